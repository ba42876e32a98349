#pragma once

#include "campaign/PlanTotals.h"
#include "core/BoundSql.h"
#include "core/Connection.h"

#include <QDate>
#include <QList>
#include <utility>

// Executed plans and their daily rows written straight into a test's database, every value bound,
// so a test states a campaign's history in a line: its expected count, its cost, its daily counts.
namespace PlanRowsForTests {

// An executed plan titled "计划<planNo>" of 1000 targets; its total and rate as the store keeps them.
inline void addPlan(Connection& db, const QString& planNo, const QString& expected, const QString& cost)
{
    BoundSql insert;
    const QString no = insert.bind(planNo);
    const QString title = insert.bind(QStringLiteral("计划") + planNo);
    const QString expectedValue = insert.bind(expected);
    const QString costValue = insert.bind(cost);
    insert.text = QStringLiteral("INSERT INTO \"marketingComment\" (\"序号\", \"题目\", \"规模（数量）\", \"预计反馈数\", \"费用\", "
                                 "\"反馈合计\", \"反馈率\") VALUES (%1, %2, '1000', %3, %4, '', '')")
                      .arg(no, title, expectedValue, costValue);
    db.execute(insert);
}

// Daily rows from `first` on, each (day number, responses that day) by telephone, with their
// running totals; then the plan's total and rate.
inline void addDays(const std::shared_ptr<Connection>& db, const QString& planNo, const QDate& first,
                    const QList<std::pair<int, int>>& days)
{
    qint64 running = 0;
    for (const auto& [day, count] : days) {
        running += count;
        BoundSql insert;
        const QString no = insert.bind(planNo);
        const QString date = insert.bind(first.addDays(day - 1));
        const QString counted = insert.bind(count);
        const QString total = insert.bind(running);
        insert.text = QStringLiteral("INSERT INTO \"feedbackTable\" (\"序号\", \"时间\", \"电话数\", \"反馈合计（当日）\", "
                                     "\"反馈合计（至今日）\") VALUES (%1, %2, %3, %3, %4)")
                          .arg(no, date, counted, total);
        db->execute(insert);
    }
    PlanTotals::write(db, planNo);
}

// Daily rows on consecutive days from `first`, one count a day.
inline void addDailyCounts(const std::shared_ptr<Connection>& db, const QString& planNo, const QDate& first,
                           const QList<int>& counts)
{
    QList<std::pair<int, int>> days;
    for (int i = 0; i < counts.size(); ++i)
        days.append({i + 1, counts[i]});
    addDays(db, planNo, first, days);
}

} // namespace PlanRowsForTests
