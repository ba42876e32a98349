#include "TodaysRow.h"

#include "CounterFields.h"
#include "PlanReference.h"
#include "PlanRows.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/WriteBatch.h"

namespace TodaysRow {

namespace {

QString q(const QString& name)
{
    return SqlText::quoteName(name);
}

// The key of the plan's last row dated today (a day kept with a time of day counts too); Null
// when today has no row.
QString todaysRowKey(BoundSql& statement, const PlanReference& plan)
{
    const QDate today = Clock::today();
    return QStringLiteral("(SELECT max(rowid) FROM \"feedbackTable\" WHERE %1 = %2 AND %3 >= %4 AND %3 < %5)")
        .arg(q(QStringLiteral("序号")), plan.in(statement), q(QStringLiteral("时间")), statement.bind(today),
             statement.bind(today.addDays(1)));
}

// The day total today's row has once the increments are added: the sum of its six channel counters.
QString newDayTotal(BoundSql& statement, const Increments& increments)
{
    QStringList channels;
    for (int i = 0; i < CounterFields::ChannelCount; ++i)
        channels << QStringLiteral("(coalesce(%1, 0) + %2)")
                        .arg(q(CounterFields::channels()[i]), statement.bind(increments.counters.value(i)));
    return channels.join(QStringLiteral(" + "));
}

// First, while today's row still holds its old counts: its running total and those after it move
// by the change of its day total.
BoundSql shiftRunningTotals(const PlanReference& plan, const Increments& increments)
{
    BoundSql statement;
    const QString runningTotal = q(CounterFields::RunningTotal);
    const QString change = QStringLiteral("(SELECT %1 - coalesce(%2, 0) FROM \"feedbackTable\" WHERE rowid = %3)")
                               .arg(newDayTotal(statement, increments), q(CounterFields::DayTotal),
                                    todaysRowKey(statement, plan));
    statement.text = QStringLiteral("UPDATE \"feedbackTable\" SET %1 = coalesce(%1, 0) + %2 WHERE %3 = %4 AND rowid >= %5")
                         .arg(runningTotal, change, q(QStringLiteral("序号")), plan.in(statement),
                              todaysRowKey(statement, plan));
    return statement;
}

BoundSql addToTodaysRow(const PlanReference& plan, const Increments& increments)
{
    BoundSql statement;
    QStringList assignments;
    for (int i = 0; i < CounterFields::all().size(); ++i) {
        const QString field = q(CounterFields::all()[i]);
        assignments << QStringLiteral("%1 = coalesce(%1, 0) + %2").arg(field, statement.bind(increments.counters.value(i)));
    }
    assignments << QStringLiteral("%1 = %2").arg(q(CounterFields::DayTotal), newDayTotal(statement, increments));
    if (increments.content)
        assignments << QStringLiteral("%1 = %2").arg(q(QStringLiteral("反馈内容")), statement.bind(*increments.content));
    statement.text = QStringLiteral("UPDATE \"feedbackTable\" SET %1 WHERE rowid = %2")
                         .arg(assignments.join(QStringLiteral(", ")), todaysRowKey(statement, plan));
    return statement;
}

// Appended at the end of the plan's rows: its running total follows the last row's.
BoundSql appendTodaysRow(const PlanReference& plan, const QString& title, const Increments& increments)
{
    BoundSql statement;
    QStringList fields{q(QStringLiteral("序号")), q(QStringLiteral("时间")), q(QStringLiteral("题目")),
                       q(QStringLiteral("反馈内容"))};
    const QString planNo = plan.in(statement);
    QStringList values{planNo, statement.bind(Clock::today()),
                       QStringLiteral("coalesce((SELECT trim(%1) FROM \"marketingComment\" WHERE %2 = %3 LIMIT 1), %4)")
                           .arg(q(QStringLiteral("题目")), q(QStringLiteral("序号")), plan.in(statement), statement.bind(title)),
                       statement.bind(increments.content.value_or(QString()))};
    qint64 dayTotal = 0;
    for (int i = 0; i < CounterFields::all().size(); ++i) {
        fields << q(CounterFields::all()[i]);
        values << statement.bind(increments.counters.value(i));
        if (i < CounterFields::ChannelCount)
            dayTotal += increments.counters.value(i);
    }
    fields << q(CounterFields::DayTotal) << q(CounterFields::RunningTotal);
    values << statement.bind(dayTotal)
           << QStringLiteral("coalesce((SELECT %1 FROM \"feedbackTable\" WHERE %2 = %3 ORDER BY rowid DESC LIMIT 1), 0) + %4")
                  .arg(q(CounterFields::RunningTotal), q(QStringLiteral("序号")), plan.in(statement), statement.bind(dayTotal));
    statement.text = QStringLiteral("INSERT INTO \"feedbackTable\" (%1) SELECT %2 WHERE %3 IS NULL")
                         .arg(fields.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), todaysRowKey(statement, plan));
    return statement;
}

// Only a count taken back can fall below 0: each such counter is checked once the row is written.
void refuseCountsBelowZero(WriteBatch& batch, const PlanReference& plan, const Increments& increments)
{
    for (int i = 0; i < CounterFields::all().size(); ++i) {
        if (increments.counters.value(i) >= 0)
            continue;
        BoundSql condition;
        condition.text = QStringLiteral("EXISTS (SELECT 1 FROM \"feedbackTable\" WHERE rowid = %1 AND %2 < 0)")
                             .arg(todaysRowKey(condition, plan), q(CounterFields::all()[i]));
        batch.refuseWhen(condition, QStringLiteral("字段“%1”是计数，不能小于 0。").arg(CounterFields::all()[i]));
    }
}

} // namespace

void addTo(WriteBatch& batch, const PlanReference& plan, const QString& title, const Increments& increments)
{
    batch.add(shiftRunningTotals(plan, increments));
    batch.add(addToTodaysRow(plan, increments));
    batch.add(appendTodaysRow(plan, title, increments));
    refuseCountsBelowZero(batch, plan, increments);
}

qint64 add(const std::shared_ptr<Connection>& db, const QString& planNo, const QString& title,
           const Increments& increments)
{
    WriteBatch batch;
    addTo(batch, PlanReference::number(planNo), title, increments);
    db->runBatch(batch);
    return planTotal(db, planNo).value_or(0);
}

std::optional<qint64> planTotal(const std::shared_ptr<Connection>& db, const QString& planNo)
{
    Recordset days(db, PlanRows::feedbackStatement(planNo));
    if (days.recordCount() == 0)
        return std::nullopt;
    days.moveLast();
    return days.value(CounterFields::RunningTotal).toLongLong();
}

} // namespace TodaysRow
