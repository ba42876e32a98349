#include "core/Clock.h"

#include <gtest/gtest.h>

TEST(ClockTest, FixedTodayKeepsTheRealTimeOfDayUntilReset)
{
    const QDate fixed(2026, 12, 7);
    Clock::setToday(fixed);
    const QTime before = QTime::currentTime();
    const QDateTime now = Clock::now();
    const QTime after = QTime::currentTime();
    EXPECT_EQ(Clock::today(), fixed);
    EXPECT_EQ(now.date(), fixed);
    if (before <= after) { // not across midnight
        EXPECT_TRUE(before <= now.time() && now.time() <= after);
    }

    Clock::reset();
    const QDate realToday = QDate::currentDate();
    EXPECT_EQ(Clock::today(), realToday);
}
