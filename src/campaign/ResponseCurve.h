#pragma once

#include <QDate>
#include <QList>
#include <optional>

// One plan's responses as a curve by day number: the running total on every day from the day of
// its first daily row (day 1) to the day of its last. A day without a row carries the total of
// the day before it, since nothing came in that day.
class ResponseCurve {
public:
    struct DayRow {
        QDate day;
        qint64 runningTotal = 0;   // 反馈合计（至今日）
    };

    ResponseCurve() = default;
    // From a plan's daily rows in their stored order; rows without a date are left out.
    static ResponseCurve fromRows(const QList<DayRow>& rows);

    bool isEmpty() const { return totals_.isEmpty(); }
    QDate firstDay() const { return first_; }
    QDate lastDay() const { return isEmpty() ? QDate() : first_.addDays(days() - 1); }
    // From the first day to the last, both counted; 0 without rows.
    int days() const { return int(totals_.size()); }
    qint64 finalTotal() const { return isEmpty() ? 0 : totals_.last(); }

    // The running total on day `day` (1-based); after the last day it stays the final total.
    qint64 totalOnDay(int day) const;
    // The share of the final total reached by day `day`; 0 when the final total is 0.
    double shareOnDay(int day) const;
    // The first day on which the running total reached half of the final total; none without
    // responses.
    std::optional<int> halfResponseDay() const;

private:
    QDate first_;
    QList<qint64> totals_;   // by day, from day 1
};
