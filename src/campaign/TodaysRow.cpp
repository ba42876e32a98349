#include "TodaysRow.h"

#include "FeedbackRules.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "PlanRows.h"
#include "core/Recordset.h"
#include "core/Transaction.h"

namespace TodaysRow {

namespace {

// The last of the plan's rows dated today; -1 when there is none.
int rowOfToday(const Recordset& days)
{
    const QList<QVariant> dates = days.columnValues(days.fieldIndex(QStringLiteral("时间")));
    for (int row = int(dates.size()) - 1; row >= 0; --row)
        if (FeedbackRules::isToday(dates[row]))
            return row;
    return -1;
}

void appendToday(Recordset& days, const QString& planNo, const QString& title)
{
    days.addNew();
    days.setValue(QStringLiteral("序号"), planNo);
    days.setValue(QStringLiteral("时间"), Clock::today());
    days.setValue(QStringLiteral("题目"), title);
    days.setValue(QStringLiteral("反馈内容"), QString());
    days.update();
}

} // namespace

qint64 add(const std::shared_ptr<Connection>& db, const QString& planNo, const QString& title,
           const Increments& increments)
{
    Transaction transaction(*db);
    Recordset days(db, PlanRows::feedbackStatement(planNo));
    const int row = rowOfToday(days);
    if (row < 0)
        appendToday(days, planNo, title);
    else
        days.setAbsolutePosition(row + 1);

    const QStringList& fields = FeedbackRules::counterFields();
    QList<qint64> counters;
    for (int i = 0; i < FeedbackRules::CounterCount; ++i)
        counters << days.value(fields[i]).toLongLong() + increments.counters.value(i);
    for (int i = 0; i < FeedbackRules::CounterCount; ++i)
        days.setValue(fields[i], counters[i]);
    days.setValue(QStringLiteral("反馈合计（当日）"), FeedbackRules::channelTotal(counters));
    if (increments.content)
        days.setValue(QStringLiteral("反馈内容"), *increments.content);
    days.update();

    FeedbackRules::recomputeRunningTotals(days);
    const qint64 total = days.value(QStringLiteral("反馈合计（至今日）")).toLongLong();
    transaction.commit();
    return total;
}

std::optional<qint64> planTotal(const std::shared_ptr<Connection>& db, const QString& planNo)
{
    Recordset days(db, PlanRows::feedbackStatement(planNo));
    if (days.recordCount() == 0)
        return std::nullopt;
    days.moveLast();
    return days.value(QStringLiteral("反馈合计（至今日）")).toLongLong();
}

} // namespace TodaysRow
