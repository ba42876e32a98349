#pragma once

#include <QString>
#include <QStringList>

// The names of the counter fields, shared by targets (clientTableInfo) and daily rows
// (feedbackTable): six channels, then five products. Every part of the program takes them
// from here.
namespace CounterFields {

inline constexpr int ChannelCount = 6;
inline constexpr int ProductCount = 5;

const QStringList& channels();   // 电话数 … 参观人数
const QStringList& products();   // 产品1计数 … 产品5计数
const QStringList& all();        // channels, then products

inline const QString TargetTotal = QStringLiteral("反馈合计");             // a target's channel total
inline const QString DayTotal = QStringLiteral("反馈合计（当日）");        // a daily row's channel total
inline const QString RunningTotal = QStringLiteral("反馈合计（至今日）");  // the plan's total up to that day

} // namespace CounterFields
