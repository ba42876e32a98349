#include "FeedbackRules.h"

#include "CounterFields.h"
#include "core/Clock.h"
#include "core/Recordset.h"

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
        days.clearFilter();
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

} // namespace FeedbackRules
