#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class Recordset;

// How responses add up: totals, today's daily row, the running totals and the response rate.
namespace FeedbackRules {

// The six channel counters make a total; the five product counters never do.
constexpr int ChannelCount = 6;
constexpr int CounterCount = 11;

// Counter fields in button order: six channels, then five products.
const QStringList& counterFields();

qint64 channelTotal(const QList<qint64>& counters);

// Whether a daily row's 时间 is today's date (compared as dates, not as texts).
bool isToday(const QVariant& time);

// Makes today's row current when the plan's last daily row is today's. Returns false
// (leaving the position alone) when today has no row yet.
bool moveToTodaysRow(Recordset& days);

// Recomputes 反馈合计（至今日） of every daily row in the rows' order: the sum of
// 反馈合计（当日） of the rows up to it. Re-reads the rows first and ends on the last one.
// Only rows whose running total changes are written.
void recomputeRunningTotals(Recordset& days);

} // namespace FeedbackRules
