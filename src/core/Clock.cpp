#include "Clock.h"

#include <QTime>

namespace {

// Invalid while the system clock rules. Only the user-interface thread reads it.
QDate fixedToday;

} // namespace

QDate Clock::today()
{
    return fixedToday.isValid() ? fixedToday : QDate::currentDate();
}

QDateTime Clock::now()
{
    if (!fixedToday.isValid())
        return QDateTime::currentDateTime();
    return QDateTime(fixedToday, QTime::currentTime());
}

void Clock::setToday(const QDate& date)
{
    fixedToday = date;
}

void Clock::reset()
{
    fixedToday = QDate();
}
