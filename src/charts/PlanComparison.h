#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class Recordset;

// What the plan comparison chart draws for one executed plan: its size, expected responses,
// responses so far and response rate, each as the text of a number.
struct PlanFigures {
    QString scale;
    QString expected;
    QString total;
    QString rate;
};

// The executed plans' stored texts as the plan comparison chart reads them.
namespace PlanComparison {

// 规模（数量） and 预计反馈数: "0" when empty or Null, else the text's leading number
// (0 when it has none).
QString countText(const QVariant& value);

// 反馈合计: the same rule ("" until the plan's first responses are counted).
QString totalText(const QVariant& value);

// 反馈率, stored as a percentage text such as "12.3%": "0" when empty or Null; else its
// first four characters, cut before a "%", read as a single-precision number
// ("12.34%" → "12.3", "100%" → "100", "5%" → "5").
QString rateText(const QVariant& value);

// The current plan's figures.
PlanFigures currentFigures(const Recordset& plans);

// The figures of every plan from the first up to the current one, read in one pass; the
// current plan stays current. Empty when no plan is current.
QList<PlanFigures> upToCurrentPlan(Recordset& plans);

} // namespace PlanComparison
