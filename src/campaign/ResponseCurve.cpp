#include "ResponseCurve.h"

#include <algorithm>

ResponseCurve ResponseCurve::fromRows(const QList<DayRow>& rows)
{
    ResponseCurve curve;
    QDate first;
    QDate last;
    for (const DayRow& row : rows) {
        if (!row.day.isValid())
            continue;
        if (!first.isValid() || row.day < first)
            first = row.day;
        if (!last.isValid() || row.day > last)
            last = row.day;
    }
    if (!first.isValid())
        return curve;
    curve.first_ = first;
    // A day's total is that of its last row; a day without one is marked and carries the day before.
    QList<std::optional<qint64>> byDay(first.daysTo(last) + 1);
    for (const DayRow& row : rows) {
        if (row.day.isValid())
            byDay[first.daysTo(row.day)] = row.runningTotal;
    }
    qint64 carried = 0;
    curve.totals_.reserve(byDay.size());
    for (const std::optional<qint64>& total : byDay) {
        if (total)
            carried = *total;
        curve.totals_.append(carried);
    }
    return curve;
}

qint64 ResponseCurve::totalOnDay(int day) const
{
    if (isEmpty() || day < 1)
        return 0;
    return totals_[std::min(day, days()) - 1];
}

double ResponseCurve::shareOnDay(int day) const
{
    const qint64 final = finalTotal();
    return final > 0 ? double(totalOnDay(day)) / double(final) : 0.0;
}

std::optional<int> ResponseCurve::halfResponseDay() const
{
    const qint64 final = finalTotal();
    if (final <= 0)
        return std::nullopt;
    for (int day = 1; day <= days(); ++day) {
        if (2 * totals_[day - 1] >= final)
            return day;
    }
    return std::nullopt;
}
