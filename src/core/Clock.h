#pragma once

#include <QDate>
#include <QDateTime>

// The program's idea of today: the system clock, unless a test has fixed the date.
// Daily statistics are filed under today's date, so tests fix it to know which row
// a response lands in.
class Clock {
public:
    static QDate today();

    // Today's date with the real time of day.
    static QDateTime now();

    // Fixes today() to `date` until reset(); an invalid date also resets.
    static void setToday(const QDate& date);

    // Back to the system clock.
    static void reset();
};
