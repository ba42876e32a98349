#include "FeedbackRules.h"

#include "CounterFields.h"
#include "core/Clock.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

#include <cmath>

namespace FeedbackRules {

const QStringList& counterFields()
{
    return CounterFields::all();
}

qint64 channelTotal(const QList<qint64>& counters)
{
    qint64 total = 0;
    for (int i = 0; i < ChannelCount && i < counters.size(); ++i)
        total += counters[i];
    return total;
}

bool isToday(const QVariant& time)
{
    if (time.typeId() == QMetaType::QDate)
        return time.toDate() == Clock::today();
    if (time.typeId() == QMetaType::QDateTime)
        return time.toDateTime().date() == Clock::today();
    return false;
}

bool moveToTodaysRow(Recordset& days)
{
    if (days.recordCount() == 0)
        return false;
    const int lastRow = days.recordCount() - 1;
    if (!isToday(days.valueAt(lastRow, days.fieldIndex(QStringLiteral("时间")))))
        return false;
    if (days.currentRow() != lastRow)
        days.moveLast();
    return true;
}

void recomputeRunningTotals(Recordset& days)
{
    // Every day of the plan counts, also when the rows are narrowed at the moment.
    if (!days.filter().isEmpty())
        days.setFilter(QString());
    days.requery();
    const int toDate = days.fieldIndex(QStringLiteral("反馈合计（至今日）"));
    const QList<QVariant> dayTotals = days.columnValues(days.fieldIndex(QStringLiteral("反馈合计（当日）")));
    const QList<QVariant> runningTotals = days.columnValues(toDate);
    qint64 running = 0;
    for (int row = 0; row < dayTotals.size(); ++row) {
        running += dayTotals[row].toLongLong();
        if (!runningTotals[row].isNull() && runningTotals[row].toLongLong() == running)
            continue;
        days.setAbsolutePosition(row + 1);
        days.setValue(toDate, running);
        days.update();
    }
    days.moveLast();
}

qint64 scaleValue(const QString& scaleText)
{
    bool ok = false;
    const double value = TextRules::trimBlanks(scaleText).toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 9.2e18)
        return 0;
    return qint64(std::nearbyint(value));
}

// The percentage in plain decimals with up to 15 significant digits, as the rate was
// always written, but never in exponent form (1 of 30000 is 0.00333…, not 3.33E-03).
static QString decimalText(double value)
{
    const int integerDigits = value >= 1 ? int(std::floor(std::log10(value))) + 1 : 1;
    QString text = QString::number(value, 'f', std::max(0, 15 - integerDigits));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

QString responseRateText(qint64 total, const QString& scaleText)
{
    const qint64 scale = scaleValue(scaleText);
    if (scale == 0)
        return QStringLiteral("0");
    QString rate = decimalText(double(total) / double(scale) * 100.0).left(4);
    if (rate.endsWith(QLatin1Char('.')))
        rate.chop(1);   // 123.3 cut to four characters reads 123, not "123."
    return rate + QLatin1Char('%');
}

} // namespace FeedbackRules
