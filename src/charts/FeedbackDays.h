#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Recordset;

// One row of a plan's daily feedback statistics as the charts draw it: every value as the
// text of the field ("" for a value that is missing or could not be read).
struct FeedbackDay {
    QString date;          // 时间, as yyyy/M/d
    QStringList channels;  // the channelFields() in their order
    QStringList products;  // 产品1计数 … 产品5计数

    QString dailyTotal() const { return channels.value(6); }
};

// The daily rows of the current plan from its first day up to the day the user chose.
namespace FeedbackDays {

// 电话数, 传真数, Email数, 信函数, 面访人数, 参观人数, 反馈合计（当日）, 反馈合计（至今日）.
QStringList channelFields();
// 产品1计数 … 产品5计数.
QStringList productFields();

// The current row's position (1 for the first day); 0 when no day is current.
int dayCount(const Recordset& days);

// The current row's values.
FeedbackDay currentDay(const Recordset& days);

// Days 1 … dayCount(), read in one pass from the first row; the current day stays current.
// Empty when no day is current.
QList<FeedbackDay> upToCurrentDay(Recordset& days);

// For each product, the sum of its counters over the days (a counter that is not a
// number counts 0).
QList<double> productSums(const QList<FeedbackDay>& days);

} // namespace FeedbackDays
