// Recording a response, without windows: which plan, which rows, what is refused.
#include "campaign/PlanTotals.h"
#include "campaign/ProgramState.h"
#include "campaign/ResponseRecording.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "support/CampaignTest.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

enum Counter { Phone = 0, Fax = 1, Product2 = 7 };

class ResponseRecordingTest : public CampaignTest {
protected:

    void SetUp() override
    {
        Clock::setToday(QDate(2026, 12, 7));
        run("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）) VALUES ('W-1', '春季推广', '300'), ('W-2', '秋季电话', '0')");
        run("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
            "('W-1', '2026-12-05', '春季推广', 2, 2, 2), ('W-2', '2026-12-06', '秋季电话', 0, 0, 0)");
        run("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1) VALUES ('W-1', '北京甲公司', '010-1'), ('W-2', '广州丙公司', '020-3')");
        state.setCurrentPlan(QStringLiteral("W-2"), QStringLiteral("秋季电话"));
    }
    void TearDown() override { Clock::reset(); }

    qint64 today(const char* plan, const char* field) const
    {
        return number(QStringLiteral("Select %1 From \"feedbackTable\" Where 序号 = '%2' And 时间 = '2026-12-07'")
                          .arg(QString::fromUtf8(field), QString::fromUtf8(plan)));
    }
    qint64 target(const char* name, const char* field) const
    {
        return number(QStringLiteral("Select %1 From \"clientTableInfo\" Where 营销对象 = '%2'")
                          .arg(QString::fromUtf8(field), QString::fromUtf8(name)));
    }
    // What the window sends for a target shown with its stored fields and one click.
    ResponseRecording::Draft click(qint64 targetKey, int counter, const QStringList& fields)
    {
        ResponseRecording::Draft draft;
        draft.targetKey = targetKey;
        draft.fields = fields;
        draft.targetAdded[counter] = 1;
        draft.dayAdded[counter] = 1;
        return draft;
    }
};

TEST_F(ResponseRecordingTest, AResponseCountsOnItsTargetsPlanWhateverPlanIsCurrent)
{
    notices.clear();
    const qint64 w1Target = key("北京甲公司");
    const auto result = ResponseRecording::record(state, click(w1Target, Phone, {"北京甲公司", "010-1"}));
    EXPECT_EQ(result.planNo, QStringLiteral("W-1"));
    EXPECT_EQ(result.targetKey, w1Target);
    EXPECT_EQ(result.runningTotal, 3);
    EXPECT_EQ(today("W-1", "电话数"), 1);
    EXPECT_EQ(Recordset(folder.connection(), "Select 题目 From \"feedbackTable\" Where 序号 = 'W-1' And 时间 = '2026-12-07'").text(0),
              QStringLiteral("春季推广"));
    EXPECT_EQ(today("W-2", "电话数"), -1);   // no row of today for the current plan
    EXPECT_EQ(target("北京甲公司", "电话数"), 1);
    EXPECT_EQ(target("北京甲公司", "反馈合计"), 1);
    EXPECT_EQ(target("广州丙公司", "电话数"), 0);
    EXPECT_EQ(number("Select count(*) From \"clientTableInfo\" Where 营销对象 = '广州丙公司' And 序号 = 'W-2'"), 1);
    ASSERT_EQ(notices.size(), 3);
    EXPECT_EQ(notices[0].planNo, QStringLiteral("W-1"));
    EXPECT_EQ(notices[0].keys, QList<qint64>{w1Target});
    EXPECT_EQ(notices[1].table, ChangeNotice::Table::DailyRows);
    EXPECT_EQ(notices[2].table, ChangeNotice::Table::ExecutedPlans);
    EXPECT_EQ(notices[2].planNo, QStringLiteral("W-1"));
}

TEST_F(ResponseRecordingTest, CountersAddToWhatIsStoredNowSoNoSaveIsLost)
{
    const qint64 w1Target = key("北京甲公司");
    auto first = click(w1Target, Phone, {"北京甲公司", "010-1"});
    auto second = click(w1Target, Phone, {"北京甲公司", "010-1"});
    second.targetAdded[Product2] = 1;   // a product only: no total moves
    second.dayAdded[Product2] = 1;
    ResponseRecording::record(state, first);
    ResponseRecording::record(state, second);   // shown before the first was saved
    EXPECT_EQ(target("北京甲公司", "电话数"), 2);
    EXPECT_EQ(target("北京甲公司", "产品2计数"), 1);
    EXPECT_EQ(target("北京甲公司", "反馈合计"), 2);
    EXPECT_EQ(today("W-1", "电话数"), 2);
    EXPECT_EQ(today("W-1", "反馈合计（当日）"), 2);
    EXPECT_EQ(today("W-1", "反馈合计（至今日）"), 4);
    EXPECT_EQ(number("Select count(*) From \"feedbackTable\" Where 序号 = 'W-1'"), 2);
}

TEST_F(ResponseRecordingTest, ANewTargetNeedsANameAndAnExecutedPlan)
{
    ResponseRecording::Draft nameless;
    nameless.newTargetPlan = QStringLiteral("W-1");
    nameless.fields = QStringList{QStringLiteral("　 "), QStringLiteral("010-9")};
    nameless.targetAdded[Phone] = nameless.dayAdded[Phone] = 1;
    try {
        ResponseRecording::record(state, nameless);
        FAIL() << "a target without a name was stored";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("营销对象")));
    }
    EXPECT_EQ(number("Select count(*) From \"clientTableInfo\""), 2);
    EXPECT_EQ(today("W-1", "电话数"), -1);

    ResponseRecording::Draft named = nameless;
    named.fields[0] = QStringLiteral(" 新客户 ");
    named.newTargetPlan = QStringLiteral("W-9");   // a plan deleted meanwhile
    EXPECT_THROW(ResponseRecording::record(state, named), DbError);
    EXPECT_EQ(number("Select count(*) From \"clientTableInfo\""), 2);

    named.newTargetPlan = QStringLiteral("W-1");
    const auto result = ResponseRecording::record(state, named);
    EXPECT_EQ(Recordset(folder.connection(), QStringLiteral("Select 营销对象, 序号 From \"clientTableInfo\" Where rowid = %1")
                                                 .arg(result.targetKey)).text(0), QStringLiteral("新客户"));
    EXPECT_EQ(target("新客户", "电话数"), 1);
    EXPECT_EQ(today("W-1", "电话数"), 1);
}

TEST_F(ResponseRecordingTest, ARefusedResponseStoresNothing)
{
    const qint64 w1Target = key("北京甲公司");
    auto below = click(w1Target, Phone, {"北京甲公司", "010-1"});
    below.targetAdded[Fax] = -1;   // corrected below 0 by hand
    EXPECT_THROW(ResponseRecording::record(state, below), DbError);
    run("Delete From \"clientTableInfo\" Where 营销对象 = '北京甲公司'");
    EXPECT_THROW(ResponseRecording::record(state, click(w1Target, Phone, {"北京甲公司"})), DbError);
    EXPECT_EQ(number("Select count(*) From \"clientTableInfo\""), 1);
    EXPECT_EQ(today("W-1", "电话数"), -1);
}

TEST_F(ResponseRecordingTest, EverySavedResponseLeavesThePlansTotalAndRateRight)
{
    const qint64 w1Target = key("北京甲公司");
    ResponseRecording::record(state, click(w1Target, Phone, {"北京甲公司"}));
    auto second = click(w1Target, Fax, {"北京甲公司"});
    second.dayAdded[Fax] = 2;
    ResponseRecording::record(state, second);
    Recordset w1(folder.connection(), QStringLiteral("Select 反馈合计, 反馈率 From \"marketingComment\" Where 序号 = 'W-1'"));
    EXPECT_EQ(w1.text(0), QStringLiteral("5"));
    EXPECT_EQ(w1.text(1), QStringLiteral("1.66%"));   // 5 of 300, cut
    EXPECT_EQ(today("W-1", "反馈合计（至今日）"), 5);

    // A correction of an earlier day moved the running totals after it: today's row follows it.
    run("UPDATE \"feedbackTable\" SET 反馈合计（当日） = 3, 电话数 = 3, 反馈合计（至今日） = 3 Where 序号 = 'W-1' And 时间 = '2026-12-05'");
    run("UPDATE \"feedbackTable\" SET 反馈合计（至今日） = 6 Where 序号 = 'W-1' And 时间 = '2026-12-07'");
    ResponseRecording::record(state, click(w1Target, Phone, {"北京甲公司"}));
    EXPECT_EQ(today("W-1", "反馈合计（至今日）"), 7);
    EXPECT_EQ(number("Select count(*) From \"feedbackTable\" Where 序号 = 'W-1'"), 2);
}

TEST_F(ResponseRecordingTest, TheRateIsThePercentageCutToFourCharactersNeverAnExponent)
{
    const QList<std::tuple<qint64, const char*, const char*>> cases{
        {37, "300", "12.3%"}, {2, "3", "66.6%"},   {1, "3", "33.3%"},     {1, "300", "0.33%"}, {300, "300", "100%"},
        {5, "200", "2.5%"},   {1, "30000", "0.00%"}, {370, "300", "123%"}, {0, "300", "0%"},    {5, "0", "0"},
        {5, "", "0"},         {5, "三百", "0"},      {5, " 200 ", "2.5%"}, {1, "8", "12.5%"},   {1, "40", "2.5%"},
        {201, "10000", "2.01%"}, {241, "2000", "12.0%"}, {123456, "100", "1234%"}, {7, "0300", "2.33%"}};
    for (const auto& [total, scale, rate] : cases) {
        run("DELETE FROM \"marketingComment\" WHERE 序号 = 'R'");
        run("DELETE FROM \"feedbackTable\" WHERE 序号 = 'R'");
        state.store().execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号, 规模（数量）) VALUES ('R', '%1')").arg(QString::fromUtf8(scale)));
        state.store().execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 反馈合计（至今日）) VALUES ('R', '2026-12-01', %1)").arg(total));
        const auto totals = PlanTotals::write(folder.connection(), QStringLiteral("R"));
        ASSERT_TRUE(totals);
        EXPECT_EQ(totals->rate, QString::fromUtf8(rate)) << total << " of " << scale;
        EXPECT_EQ(totals->total, total);
    }
}

TEST_F(ResponseRecordingTest, PlanTotalsComeFromThePlansOwnRows)
{
    ResponseRecording::record(state, click(key("北京甲公司"), Phone, {"北京甲公司"}));
    const auto totals = PlanTotals::store(state, QStringLiteral("W-1"));
    ASSERT_TRUE(totals);
    EXPECT_EQ(totals->total, 3);
    EXPECT_EQ(totals->rate, QStringLiteral("1%"));
    Recordset w1(folder.connection(), QStringLiteral("Select 反馈合计, 反馈率 From \"marketingComment\" Where 序号 = 'W-1'"));
    EXPECT_EQ(w1.text(0), QStringLiteral("3"));
    EXPECT_EQ(w1.text(1), QStringLiteral("1%"));
    EXPECT_EQ(PlanTotals::store(state, QStringLiteral("W-2"))->rate, QStringLiteral("0"));   // scale 0
    EXPECT_FALSE(PlanTotals::store(state, QStringLiteral("W-9")));
}

} // namespace
