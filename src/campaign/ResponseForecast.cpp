#include "ResponseForecast.h"

#include <algorithm>
#include <cmath>

namespace ResponseForecast {

namespace {

qint64 countAt(qint64 countSoFar, double share)
{
    return qint64(std::llround(double(countSoFar) / share));
}

} // namespace

double quantile(const QList<double>& sorted, double q)
{
    if (sorted.isEmpty())
        return 0;
    const double position = q * double(sorted.size() - 1);
    const int below = int(std::floor(position));
    const int above = std::min(below + 1, int(sorted.size()) - 1);
    return sorted[below] + (position - below) * (sorted[above] - sorted[below]);
}

Forecast make(qint64 countSoFar, int day, const QList<const ResponseCurve*>& finished)
{
    Forecast forecast;
    QList<double> shares;
    for (const ResponseCurve* curve : finished) {
        if (curve->finalTotal() > 0)
            shares.append(curve->shareOnDay(day));
    }
    forecast.finishedCount = int(shares.size());
    if (shares.size() < 2) {
        forecast.reason = QStringLiteral("已完成且有反馈的计划不足两个（现有 %1 个），无法预测。").arg(shares.size());
        return forecast;
    }
    std::sort(shares.begin(), shares.end());
    forecast.medianShare = quantile(shares, 0.5);
    forecast.lowerShare = quantile(shares, 0.25);
    forecast.upperShare = quantile(shares, 0.75);
    if (forecast.medianShare <= 0) {
        forecast.reason = QStringLiteral("已完成的计划到第 %1 天的累计占比（中位数）为 0，无法由当前累计推算。").arg(day);
        return forecast;
    }
    forecast.made = true;
    forecast.expected = countAt(countSoFar, forecast.medianShare);
    forecast.low = countAt(countSoFar, forecast.upperShare);
    if (forecast.lowerShare > 0)
        forecast.high = countAt(countSoFar, forecast.lowerShare);
    return forecast;
}

QString text(const Forecast& forecast)
{
    if (!forecast.made)
        return QStringLiteral("—");
    if (!forecast.high)
        return QStringLiteral("%1（%2以上）").arg(forecast.expected).arg(forecast.low);
    return QStringLiteral("%1（%2–%3）").arg(forecast.expected).arg(forecast.low).arg(*forecast.high);
}

} // namespace ResponseForecast
