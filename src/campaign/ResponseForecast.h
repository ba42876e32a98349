#pragma once

#include "ResponseCurve.h"

#include <QList>
#include <QString>
#include <optional>

// The final count of a running campaign, forecast from the response curves of finished ones:
// by day d a finished campaign had received a share s(d) of its final responses, so a running one
// with C responses on its day d ends near C ÷ s(d). The middle (median) of the finished
// campaigns' shares gives the forecast; their quartiles give its range, the middle half of them.
namespace ResponseForecast {

struct Forecast {
    bool made = false;
    qint64 expected = 0;              // C ÷ the median share
    qint64 low = 0;                   // C ÷ the upper quartile share
    std::optional<qint64> high;       // C ÷ the lower quartile share; none when that share is 0
    double medianShare = 0;
    double lowerShare = 0;
    double upperShare = 0;
    int finishedCount = 0;            // the finished campaigns the shares come from
    QString reason;                   // why none was made
};

// The shares are those of the finished curves with responses (a curve without any has no share).
Forecast make(qint64 countSoFar, int day, const QList<const ResponseCurve*>& finished);

// "100（90–110）"; "100（90以上）" without an upper bound; "—" when none was made.
QString text(const Forecast& forecast);

// The q-quantile (0 … 1) of sorted values, interpolated between neighbours.
double quantile(const QList<double>& sorted, double q);

} // namespace ResponseForecast
