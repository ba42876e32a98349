#include "PlanComparison.h"

#include "CurrentRowKeeper.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

namespace PlanComparison {

namespace {

bool isEmptyValue(const QVariant& value)
{
    return value.isNull() || TextRules::joinedText(value).isEmpty();
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

QVariant fieldValue(const Recordset& plans, const QString& field)
{
    try {
        return plans.value(field);
    } catch (const DbError&) {
        return QVariant();
    }
}

} // namespace

QString countText(const QVariant& value)
{
    if (isEmptyValue(value))
        return QStringLiteral("0");
    return numberText(TextRules::Val(TextRules::joinedText(value)));
}

QString totalText(const QVariant& value)
{
    return countText(value);
}

QString rateText(const QVariant& value)
{
    if (isEmptyValue(value))
        return QStringLiteral("0");
    QString head = TextRules::joinedText(value).left(4);
    const qsizetype percent = head.indexOf(QLatin1Char('%'));
    if (percent >= 0)
        head.truncate(percent);
    const float rate = float(TextRules::Val(head));
    // Seven significant digits are what a single-precision number holds: 12.3 stays 12.3.
    return QString::number(double(rate), 'g', 7);
}

PlanFigures currentFigures(const Recordset& plans)
{
    PlanFigures figures;
    figures.scale = countText(fieldValue(plans, QStringLiteral("规模（数量）")));
    figures.expected = countText(fieldValue(plans, QStringLiteral("预计反馈数")));
    figures.total = totalText(fieldValue(plans, QStringLiteral("反馈合计")));
    figures.rate = rateText(fieldValue(plans, QStringLiteral("反馈率")));
    return figures;
}

QList<PlanFigures> upToCurrentPlan(Recordset& plans)
{
    const int count = plans.absolutePosition();
    if (count < 1)
        return {};
    QList<PlanFigures> read;
    try {
        CurrentRowKeeper keeper(plans);
        plans.moveFirst();
        for (int i = 1; i <= count && !plans.isEOF(); ++i) {
            read.append(currentFigures(plans));
            plans.moveNext();
        }
    } catch (const DbError&) {
        // A row that cannot be reached ends the walk; the plans read so far are drawn.
    }
    return read;
}

} // namespace PlanComparison
