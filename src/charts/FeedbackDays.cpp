#include "FeedbackDays.h"

#include "campaign/CounterFields.h"
#include "CurrentRowKeeper.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

#include <algorithm>

namespace FeedbackDays {

namespace {

QString fieldText(const Recordset& days, const QString& field)
{
    try {
        return days.text(field);
    } catch (const DbError&) {
        return QString();
    }
}

QStringList fieldTexts(const Recordset& days, const QStringList& fields)
{
    QStringList texts;
    for (const QString& field : fields)
        texts.append(fieldText(days, field));
    return texts;
}

} // namespace

QStringList channelFields()
{
    return CounterFields::channels() + QStringList{CounterFields::DayTotal, CounterFields::RunningTotal};
}

QStringList productFields()
{
    return CounterFields::products();
}

int dayCount(const Recordset& days)
{
    return std::max(days.absolutePosition(), 0);
}

FeedbackDay currentDay(const Recordset& days)
{
    FeedbackDay day;
    day.date = fieldText(days, QStringLiteral("时间"));
    day.channels = fieldTexts(days, channelFields());
    day.products = fieldTexts(days, productFields());
    return day;
}

QList<FeedbackDay> upToCurrentDay(Recordset& days)
{
    const int count = dayCount(days);
    if (count < 1)
        return {};
    QList<FeedbackDay> read;
    try {
        CurrentRowKeeper keeper(days);
        days.moveFirst();
        for (int i = 1; i <= count && !days.isEOF(); ++i) {
            read.append(currentDay(days));
            days.moveNext();
        }
    } catch (const DbError&) {
        // A row that cannot be reached ends the walk; the days read so far are drawn.
    }
    return read;
}

QList<double> productSums(const QList<FeedbackDay>& days)
{
    QList<double> sums(5, 0.0);
    for (const FeedbackDay& day : days) {
        for (int p = 0; p < 5; ++p)
            sums[p] += TextRules::Val(day.products.value(p));
    }
    return sums;
}

} // namespace FeedbackDays
