// Totals, today's row, running totals and the response rate, without windows.
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "campaign/FeedbackRules.h"
#include "support/TempAppFolder.h"

#include <gtest/gtest.h>

TEST(FeedbackRulesTest, OnlyChannelsMakeATotal)
{
    EXPECT_EQ(FeedbackRules::channelTotal({1, 2, 3, 0, 0, 1, 9, 9, 9, 9, 9}), 7);
    EXPECT_EQ(FeedbackRules::counterFields().size(), 11);
}

TEST(FeedbackRulesTest, TodaysRowIsKnownByItsDateAndRunningTotalsFollowTheRowOrder)
{
    TempAppFolder folder;
    Clock::setToday(QDate(2026, 12, 7));
    Connection& db = *folder.connection();
    db.execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
                              "('1', '2026-12-05', 2, 0), ('2', '2026-12-06', 5, 0), ('1', '2026-12-06', 3, 9), ('1', '2026-12-07', 4, 0)"));
    Recordset days(folder.connection(), QStringLiteral("Select * From \"feedbackTable\" Where 序号 = '1'"));
    days.moveFirst();
    ASSERT_TRUE(FeedbackRules::moveToTodaysRow(days));
    EXPECT_EQ(days.absolutePosition(), 3);
    FeedbackRules::recomputeRunningTotals(days);
    QList<qint64> totals;
    for (int row = 0; row < days.recordCount(); ++row)
        totals << days.valueAt(row, days.fieldIndex(QStringLiteral("反馈合计（至今日）"))).toLongLong();
    EXPECT_EQ(totals, QList<qint64>({2, 5, 9}));
    EXPECT_EQ(days.absolutePosition(), 3);
    Recordset other(folder.connection(), QStringLiteral("Select * From \"feedbackTable\" Where 序号 = '2'"));
    EXPECT_EQ(other.value(QStringLiteral("反馈合计（至今日）")).toInt(), 0);   // another plan's rows are left alone

    Clock::setToday(QDate(2026, 12, 8));
    EXPECT_FALSE(FeedbackRules::moveToTodaysRow(days));
    EXPECT_FALSE(FeedbackRules::isToday(QStringLiteral("2026/12/8")));   // a text is not a date
    EXPECT_TRUE(FeedbackRules::isToday(QDate(2026, 12, 8)));
    Clock::reset();
}
