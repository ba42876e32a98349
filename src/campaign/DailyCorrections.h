#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

class ProgramState;

// Corrections of the daily rows made by hand. Each one, in one transaction, leaves the plan's
// rows as recording leaves them: the day's 反馈合计（当日） from its six channel counters, the
// running totals of the plan's rows, and the plan's 反馈合计 and 反馈率.
namespace DailyCorrections {

// What the operator changed in one daily row: the values the row showed when the edit began
// and the values typed, by field name, for the changed fields only.
struct Correction {
    qint64 rowKey = 0;
    QHash<QString, QVariant> shown;
    QHash<QString, QVariant> typed;
};

// Stores the correction. A counter gets what the operator added or took away (typed − shown)
// on top of the value stored now, so a response saved meanwhile stays; other fields get the
// typed value. The day totals are worked out, never typed. Throws DbError with a message for
// the user (the row deleted meanwhile, a total typed, a count below 0); nothing is stored then.
void correct(ProgramState& state, const Correction& correction);

// Deletes one daily row. Throws DbError when it is gone already.
void deleteRow(ProgramState& state, qint64 rowKey);

// Deletes every daily row of the plan number and returns how many there were.
int deletePlanRows(ProgramState& state, const QString& planNo);

} // namespace DailyCorrections
