#pragma once

// Executed plans and their daily rows, written straight into a test database.
#include "support/SqlLiteral.h"
#include "core/Connection.h"
#include "core/SqlText.h"

#include <QDate>
#include <QList>
#include <QString>

namespace ChartTestData {

// One day's counters: the six channels, the five products, the day's total and the
// running total; an empty text stores Null.
struct Day {
    QList<QString> channels;   // 电话数 … 参观人数
    QList<QString> products;   // 产品1计数 … 产品5计数
    QString dailyTotal;
    QString runningTotal;
};

inline QString sqlValue(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("NULL") : text;
}

inline void addDay(Connection& db, const QString& planNo, const QDate& date, const Day& day)
{
    QStringList values{sqlLiteral(planNo), sqlLiteral(date.toString(Qt::ISODate)), QStringLiteral("'计划'")};
    for (const QString& count : day.channels)
        values << sqlValue(count);
    for (const QString& count : day.products)
        values << sqlValue(count);
    values << sqlValue(day.dailyTotal) << sqlValue(day.runningTotal);
    db.execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 传真数, \"Email数\", 信函数, 面访人数, 参观人数, "
                              "产品1计数, 产品2计数, 产品3计数, 产品4计数, 产品5计数, 反馈合计（当日）, 反馈合计（至今日）) "
                              "VALUES (%1)")
                   .arg(values.join(QStringLiteral(", "))));
}

// `count` days from 2026-12-01 with counters that differ from day to day (day d has d
// telephone responses, d % 3 faxes, …, product p counted d + p times) and consistent totals.
inline void addDays(Connection& db, const QString& planNo, int count)
{
    int runningTotal = 0;
    for (int d = 1; d <= count; ++d) {
        const QList<int> channels{d, d % 3, (d * 2) % 5, d % 2, 1, (d + 1) % 4};
        int dailyTotal = 0;
        Day day;
        for (int value : channels) {
            day.channels << QString::number(value);
            dailyTotal += value;
        }
        for (int p = 1; p <= 5; ++p)
            day.products << QString::number(d + p);
        runningTotal += dailyTotal;
        day.dailyTotal = QString::number(dailyTotal);
        day.runningTotal = QString::number(runningTotal);
        addDay(db, planNo, QDate(2026, 12, 1).addDays(d - 1), day);
    }
}

inline void addPlan(Connection& db, const QString& planNo, const QString& title, const QString& scale,
                    const QString& expected, const QString& total, const QString& rate)
{
    auto valueOrNull = [](const QString& text) { return text.isNull() ? QStringLiteral("NULL") : sqlLiteral(text); };
    db.execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）, 预计反馈数, 时间周期, 费用, 反馈合计, 反馈率) "
                              "VALUES (%1, %2, %3, %4, '一个月', '10000', %5, %6)")
                   .arg(sqlLiteral(planNo), sqlLiteral(title), valueOrNull(scale), valueOrNull(expected),
                        valueOrNull(total), valueOrNull(rate)));
}

} // namespace ChartTestData
