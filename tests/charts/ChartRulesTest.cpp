// The rules behind the charts that need no window: chart widths, the plan comparison's
// reading of stored texts, product sums.
#include "charts/ChartWidth.h"
#include "charts/FeedbackDays.h"
#include "charts/PlanComparison.h"

#include <gtest/gtest.h>

namespace {

TEST(ChartWidthRule, FollowsTheRowCountUntilTheChartOnceFillsItsFrame)
{
    EXPECT_EQ(ChartWidth::next(11055, 1), 4400);
    EXPECT_EQ(ChartWidth::next(4400, 3), 5200);
    EXPECT_EQ(ChartWidth::next(5200, 18), 11200);
    // The width is not capped before the chart has once been as wide as the frame.
    EXPECT_EQ(ChartWidth::next(11200, 19), 11600);
    EXPECT_EQ(ChartWidth::next(11055, 81), 36400);
    // Once that wide, it stays at the frame's width, also for fewer rows.
    EXPECT_EQ(ChartWidth::next(11600, 19), 11415);
    EXPECT_EQ(ChartWidth::next(11415, 1), 11415);
    EXPECT_EQ(ChartWidth::next(36400, 2), 11415);
}

TEST(ChartWidthRule, MoreThan81RowsTakeTheFrameWidthAtOnce)
{
    EXPECT_EQ(ChartWidth::next(11055, 82), 11415);
    EXPECT_EQ(ChartWidth::next(0, 400), 11415);
    EXPECT_EQ(ChartWidth::next(11055, 32767), 11415);
    EXPECT_EQ(ChartWidth::next(4400, 2000000000), 11415);   // no overflow of the reckoning itself
}

TEST(PlanComparisonTexts, RateIsReadFromItsFirstFourCharactersCutBeforePercent)
{
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("12.3%")), "12.3");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("100%")), "100");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("5%")), "5");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("0")), "0");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("12.345%")), "12.3");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("33.33333%")), "33.3");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("123456")), "1234");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("9.5")), "9.5");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("%12")), "0");
    EXPECT_EQ(PlanComparison::rateText(QStringLiteral("约10%")), "0");
}

TEST(PlanComparisonTexts, EmptyOrNullIsZeroAndTextsGiveTheirLeadingNumber)
{
    EXPECT_EQ(PlanComparison::rateText(QString("")), "0");
    EXPECT_EQ(PlanComparison::rateText(QVariant()), "0");
    EXPECT_EQ(PlanComparison::countText(QString("")), "0");
    EXPECT_EQ(PlanComparison::countText(QVariant()), "0");
    EXPECT_EQ(PlanComparison::totalText(QString("")), "0");
    EXPECT_EQ(PlanComparison::totalText(QVariant()), "0");

    EXPECT_EQ(PlanComparison::countText(QStringLiteral("300")), "300");
    EXPECT_EQ(PlanComparison::countText(QStringLiteral("1,200")), "1");
    EXPECT_EQ(PlanComparison::countText(QStringLiteral("500家")), "500");
    EXPECT_EQ(PlanComparison::countText(QStringLiteral("约500")), "0");
    EXPECT_EQ(PlanComparison::countText(QStringLiteral("12.5")), "12.5");
    EXPECT_EQ(PlanComparison::totalText(QStringLiteral("52")), "52");
    EXPECT_EQ(PlanComparison::totalText(QVariant(37)), "37");
}

TEST(FeedbackDaySums, ProductCountersAddUpAndTextsThatAreNoNumbersCountZero)
{
    QList<FeedbackDay> days(3);
    days[0].products = QStringList{"1", "2", "3", "4", "5"};
    days[1].products = QStringList{"10", "", "0", "4", "x"};
    days[2].products = QStringList{"100", "20"};   // the last three unread
    EXPECT_EQ(FeedbackDays::productSums(days), (QList<double>{111, 22, 3, 8, 5}));
    EXPECT_EQ(FeedbackDays::productSums({}), (QList<double>{0, 0, 0, 0, 0}));
}

} // namespace
