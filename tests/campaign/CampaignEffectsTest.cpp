// What the executed plans were worth: cost per response, achievement, the response curve and the
// forecast of a running plan's final count, figured by hand.
#include "campaign/CampaignEffects.h"
#include "support/CampaignTest.h"
#include "support/PlanRowsForTests.h"

#include <gtest/gtest.h>

namespace {

const QDate Today(2026, 12, 8);

class CampaignEffectsTest : public CampaignTest {
protected:
    void addPlan(const QString& planNo, const QString& expected, const QString& cost)
    {
        PlanRowsForTests::addPlan(state.store(), planNo, expected, cost);
    }
    void addDays(const QString& planNo, const QDate& first, const QList<std::pair<int, int>>& days)
    {
        PlanRowsForTests::addDays(state.connection(), planNo, first, days);
    }
    void addDailyCounts(const QString& planNo, const QDate& first, const QList<int>& counts)
    {
        PlanRowsForTests::addDailyCounts(state.connection(), planNo, first, counts);
    }
    CampaignEffects::Analysis analysis() { return CampaignEffects::read(state.connection(), Today); }
    static const PlanEffect& plan(const CampaignEffects::Analysis& analysis, const QString& planNo)
    {
        for (const PlanEffect& plan : analysis.plans) {
            if (plan.planNo == planNo)
                return plan;
        }
        throw std::runtime_error("no such plan");
    }
};

// The user's trial: three finished campaigns of one curve, a running one on its second day.
TEST_F(CampaignEffectsTest, FinishedPlansForecastTheRunningOneFromTheirCurve)
{
    const QList<int> curve{10, 20, 20, 20, 15, 10, 5};
    for (const QString planNo : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}) {
        addPlan(planNo, QStringLiteral("80"), QStringLiteral("5000"));
        addDailyCounts(planNo, QDate(2026, 9, 1), curve);
    }
    addPlan(QStringLiteral("R"), QStringLiteral("120"), QStringLiteral("900"));
    addDailyCounts(QStringLiteral("R"), Today.addDays(-1), {10, 20});

    const CampaignEffects::Analysis result = analysis();
    ASSERT_EQ(result.plans.size(), 4);
    EXPECT_EQ(result.finishedWithResponses, 3);
    const PlanEffect& finished = plan(result, QStringLiteral("A"));
    EXPECT_TRUE(finished.finished);
    EXPECT_EQ(finished.total, QStringLiteral("100"));
    EXPECT_EQ(finished.rate, QStringLiteral("10%"));
    EXPECT_EQ(finished.achievement, QStringLiteral("125%"));
    EXPECT_EQ(finished.costPerResponse, QStringLiteral("50.00"));
    EXPECT_EQ(finished.days, QStringLiteral("7"));
    EXPECT_EQ(finished.halfResponseDay, QStringLiteral("3"));
    EXPECT_EQ(finished.forecastText, QStringLiteral("100"));

    const PlanEffect& running = plan(result, QStringLiteral("R"));
    EXPECT_FALSE(running.finished);
    EXPECT_EQ(running.forecastDay, 2);
    EXPECT_EQ(running.forecastText, QStringLiteral("100（100–100）"));
    EXPECT_EQ(running.achievement, QStringLiteral("25%"));
    EXPECT_EQ(running.costPerResponse, QStringLiteral("30.00"));
    EXPECT_EQ(running.halfResponseDay, QStringLiteral("2"));
    EXPECT_EQ(running.channels, (QList<qint64>{30, 0, 0, 0, 0, 0}));

    // What the chart draws for many finished plans: their shares by day, here all of one curve.
    const CampaignEffects::ShareBand band = CampaignEffects::finishedShares(result, 8);
    ASSERT_EQ(band.median.size(), 8);
    EXPECT_DOUBLE_EQ(band.median[2], 0.5);
    EXPECT_DOUBLE_EQ(band.lower[0], 0.1);
    EXPECT_DOUBLE_EQ(band.upper[7], 1.0);
}

// Shares by day 2 of 20 %, 40 %, 50 % and 60 % (days without a row carry the day before); a
// finished plan without responses has no share. 30 responses by day 2: 30 ÷ 45 % (the median),
// from 30 ÷ 52.5 % to 30 ÷ 35 % (the quartiles).
TEST_F(CampaignEffectsTest, TheForecastIsTheMedianShareWithTheQuartilesAsItsRange)
{
    const QDate long_ago(2026, 6, 1);
    const QList<std::pair<QString, QList<std::pair<int, int>>>> finished{
        {QStringLiteral("A"), {{1, 2}, {5, 8}}},
        {QStringLiteral("B"), {{1, 4}, {3, 6}}},
        {QStringLiteral("C"), {{1, 5}, {4, 5}}},
        {QStringLiteral("D"), {{1, 3}, {2, 3}, {6, 4}}},
        {QStringLiteral("E"), {{1, 0}, {2, 0}}},
    };
    for (const auto& [planNo, days] : finished) {
        addPlan(planNo, QString(), QString());
        addDays(planNo, long_ago, days);
    }
    addPlan(QStringLiteral("R"), QString(), QString());
    addDailyCounts(QStringLiteral("R"), Today.addDays(-1), {10, 20});
    // Three days since its only row: its day 4, where A holds 20 %, D 60 % and B, C all.
    addPlan(QStringLiteral("S"), QString(), QString());
    addDailyCounts(QStringLiteral("S"), Today.addDays(-3), {8});

    const CampaignEffects::Analysis result = analysis();
    EXPECT_EQ(result.finishedWithResponses, 4);
    const PlanEffect& running = plan(result, QStringLiteral("R"));
    EXPECT_EQ(running.forecastText, QStringLiteral("67（57–86）"));
    EXPECT_EQ(running.forecast.finishedCount, 4);
    EXPECT_TRUE(running.forecastNote.contains(QStringLiteral("45%"))) << running.forecastNote.toStdString();
    EXPECT_EQ(plan(result, QStringLiteral("S")).forecastDay, 4);
    EXPECT_EQ(plan(result, QStringLiteral("S")).forecastText, QStringLiteral("10（8–16）"));
    EXPECT_EQ(plan(result, QStringLiteral("A")).days, QStringLiteral("5"));
    EXPECT_EQ(plan(result, QStringLiteral("A")).halfResponseDay, QStringLiteral("5"));
    EXPECT_EQ(plan(result, QStringLiteral("E")).halfResponseDay, QString());
    EXPECT_EQ(plan(result, QStringLiteral("E")).achievement, QString());
    EXPECT_EQ(plan(result, QStringLiteral("E")).costPerResponse, QString());
}

TEST_F(CampaignEffectsTest, WithoutEnoughToGoOnThereIsNoForecastAndItSaysWhy)
{
    EXPECT_TRUE(analysis().plans.isEmpty());

    addPlan(QStringLiteral("A"), QStringLiteral("10"), QStringLiteral("100"));
    addDays(QStringLiteral("A"), QDate(2026, 6, 1), {{1, 0}, {3, 10}});
    addPlan(QStringLiteral("R"), QStringLiteral("10"), QStringLiteral("100"));
    addDailyCounts(QStringLiteral("R"), Today, {4});
    addPlan(QStringLiteral("N"), QStringLiteral("10"), QStringLiteral("100"));   // executed, no daily row

    CampaignEffects::Analysis result = analysis();
    EXPECT_EQ(plan(result, QStringLiteral("R")).forecastText, QStringLiteral("—"));
    EXPECT_TRUE(plan(result, QStringLiteral("R")).forecastNote.contains(QStringLiteral("不足两个")));
    const PlanEffect& none = plan(result, QStringLiteral("N"));
    EXPECT_FALSE(none.finished);
    EXPECT_EQ(none.forecastText, QStringLiteral("—"));
    EXPECT_TRUE(none.forecastNote.contains(QStringLiteral("没有每日反馈行")));
    EXPECT_EQ(none.days, QString());

    // Two finished plans, both without a response on their first day: a share of 0 on day 1.
    addPlan(QStringLiteral("B"), QStringLiteral("10"), QStringLiteral("100"));
    addDays(QStringLiteral("B"), QDate(2026, 6, 1), {{1, 0}, {2, 10}});
    result = analysis();
    EXPECT_EQ(plan(result, QStringLiteral("R")).forecastText, QStringLiteral("—"));
    EXPECT_TRUE(plan(result, QStringLiteral("R")).forecastNote.contains(QStringLiteral("为 0")));
}

TEST_F(CampaignEffectsTest, StoredTextsThatAreNoNumberLeaveTheirFigureEmptyAndSaySo)
{
    addPlan(QStringLiteral("A"), QStringLiteral("约200"), QStringLiteral("约5000元"));
    addPlan(QStringLiteral("B"), QStringLiteral("3"), QStringLiteral("5,000元"));
    addPlan(QStringLiteral("C"), QString(), QStringLiteral("5000"));
    addPlan(QStringLiteral("D"), QStringLiteral("300"), QStringLiteral("0"));
    for (const QString planNo : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("D")})
        addDailyCounts(planNo, Today, {1});

    const CampaignEffects::Analysis result = analysis();
    const PlanEffect& a = plan(result, QStringLiteral("A"));
    EXPECT_EQ(a.cost, QStringLiteral("约5000元"));
    EXPECT_EQ(a.costPerResponse, QString());
    EXPECT_EQ(a.achievement, QString());
    EXPECT_TRUE(a.problem.contains(QStringLiteral("费用“约5000元”不是数字"))) << a.problem.toStdString();
    EXPECT_TRUE(a.problem.contains(QStringLiteral("预计反馈数“约200”不是数字")));
    EXPECT_EQ(plan(result, QStringLiteral("B")).costPerResponse, QStringLiteral("5000.00"));
    EXPECT_EQ(plan(result, QStringLiteral("B")).achievement, QStringLiteral("33.3%"));
    EXPECT_EQ(plan(result, QStringLiteral("B")).problem, QString());
    EXPECT_EQ(plan(result, QStringLiteral("C")).costPerResponse, QString());   // no response yet
    EXPECT_EQ(plan(result, QStringLiteral("C")).achievement, QString());
    EXPECT_EQ(plan(result, QStringLiteral("D")).costPerResponse, QStringLiteral("0.00"));
    EXPECT_EQ(plan(result, QStringLiteral("D")).achievement, QStringLiteral("0.33%"));
    EXPECT_EQ(CampaignEffects::percentText(150, 1), QStringLiteral("15000%"));   // every whole digit kept
}

} // namespace
