// Recording responses in the feedback window, checked in the database afterwards.
#include "support/SqlLiteral.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "core/SqlText.h"
#include "feedback/Form5.h"
#include "support/ProgramTest.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

enum Counter { Phone = 0, Fax = 1, Product1 = 6, Product2 = 7 };

class FeedbackWindowTest : public ProgramTest {
protected:
    std::unique_ptr<Form5> window;

    void SetUp() override
    {
        ProgramTest::SetUp();
        Clock::setToday(QDate(2026, 12, 7));
        run("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）, 反馈合计, 反馈率) VALUES ('P1', '春季直邮', '300', '', '')");
        run("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）, 反馈合计, 反馈率) VALUES ('P0', '旧计划', '0', '', '')");
        run("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
            "('P1', '2026-12-05', '春季直邮', 2, 2, 2)");
        run("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 记录号) VALUES ('P1', '北京甲公司', '1'), ('P1', 'O''K 贸易', '2'), "
            "('P1', '上海乙公司', '3'), ('P0', '北京甲公司', '1')");
    }
    void TearDown() override
    {
        window.reset();
        Clock::reset();
        ProgramTest::TearDown();
    }

    void run(const char* sql) { folder.connection()->execute(QString::fromUtf8(sql)); }

    static QString titleOf(const QString& planNo)
    {
        return planNo == QStringLiteral("P1") ? QStringLiteral("春季直邮") : QStringLiteral("旧计划");
    }
    // As the main window leaves things: the plan current.
    void open(const QString& planNo = QStringLiteral("P1"))
    {
        state.setCurrentPlan(planNo, titleOf(planNo));
        window = std::make_unique<Form5>(state);
        window->show();
    }

    QPushButton* button(const QString& name) const { return window->findChild<QPushButton*>(name); }
    void click(const QString& name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void count(int counter) { click(QStringLiteral("Command17(%1)").arg(counter)); }
    QLineEdit* box(const QString& name) const { return window->findChild<QLineEdit*>(name); }

    void chooseTarget(int row)
    {
        auto rs = window->planTargetRecordset();
        rs->setAbsolutePosition(row);
        window->DataGrid2_Click();
    }

    std::shared_ptr<Recordset> day(const QString& date) const
    {
        return std::make_shared<Recordset>(folder.connection(),
                                           QStringLiteral("Select * From \"feedbackTable\" Where 序号 = 'P1' And 时间 = '%1'").arg(date));
    }
    std::shared_ptr<Recordset> target(const QString& name) const
    {
        return std::make_shared<Recordset>(
            folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 序号 = 'P1' And 营销对象 = ") + sqlLiteral(name));
    }
    int rows(const QString& statement) const { return Recordset(folder.connection(), statement).recordCount(); }
    static int field(const std::shared_ptr<Recordset>& rs, const char* name) { return rs->value(QString::fromUtf8(name)).toInt(); }
};

TEST_F(FeedbackWindowTest, TheFirstResponseOfADayStartsTodaysRowAndTheNextAddsToIt)
{
    open();
    EXPECT_EQ(box("Text2")->text(), QStringLiteral("1/1"));
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("3/3"));
    EXPECT_FALSE(window->findChild<QWidget*>("Frame2")->isVisible());
    chooseTarget(1);
    EXPECT_TRUE(window->findChild<QWidget*>("Frame2")->isVisible());
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("北京甲公司"));
    count(Phone);
    EXPECT_EQ(box("Text5(0)")->text(), QStringLiteral("1"));
    click("Command9");

    auto today = day("2026-12-07");
    ASSERT_EQ(today->recordCount(), 1);
    EXPECT_EQ(field(today, "电话数"), 1);
    EXPECT_EQ(field(today, "传真数"), 0);
    EXPECT_EQ(field(today, "反馈合计（当日）"), 1);
    EXPECT_EQ(field(today, "反馈合计（至今日）"), 3);   // continues from the earlier day
    EXPECT_EQ(today->text(QStringLiteral("题目")), QStringLiteral("春季直邮"));
    auto earlier = day("2026-12-05");
    EXPECT_EQ(field(earlier, "电话数"), 2);
    EXPECT_EQ(field(earlier, "反馈合计（至今日）"), 2);
    auto first = target("北京甲公司");
    EXPECT_EQ(field(first, "电话数"), 1);
    EXPECT_EQ(field(first, "反馈合计"), 1);
    EXPECT_EQ(first->text(QStringLiteral("记录号")), QString());
    EXPECT_EQ(box("Text1(15)")->text(), QStringLiteral("3"));

    chooseTarget(3);
    count(Fax);
    click("Command9");
    today = day("2026-12-07");
    ASSERT_EQ(today->recordCount(), 1);
    EXPECT_EQ(field(today, "传真数"), 1);
    EXPECT_EQ(field(today, "电话数"), 1);
    EXPECT_EQ(field(today, "反馈合计（当日）"), 2);
    EXPECT_EQ(field(today, "反馈合计（至今日）"), 4);
    EXPECT_TRUE(dialogs.log().isEmpty());
}

// A new day's row gets every count clicked since the last save, the same as the target.
TEST_F(FeedbackWindowTest, OnANewDayEveryCounterClickedStartsTheRowAndProductsMakeNoTotal)
{
    open();
    chooseTarget(1);
    count(Phone);
    count(Product2);
    click("Command9");
    auto first = target("北京甲公司");
    EXPECT_EQ(field(first, "电话数"), 1);
    EXPECT_EQ(field(first, "产品2计数"), 1);
    EXPECT_EQ(field(first, "反馈合计"), 1);
    auto today = day("2026-12-07");
    EXPECT_EQ(field(today, "电话数"), 1);
    EXPECT_EQ(field(today, "产品2计数"), 1);
    EXPECT_EQ(field(today, "反馈合计（当日）"), 1);
    EXPECT_EQ(field(today, "反馈合计（至今日）"), 3);

    chooseTarget(2);
    count(Product1);   // product only: no total moves
    click("Command9");
    today = day("2026-12-07");
    EXPECT_EQ(field(today, "产品1计数"), 1);
    EXPECT_EQ(field(today, "反馈合计（当日）"), 1);   // still the one call of the first save
    EXPECT_EQ(field(today, "反馈合计（至今日）"), 3);
    EXPECT_EQ(field(target("O'K 贸易"), "反馈合计"), 0);
}

TEST_F(FeedbackWindowTest, SavingWithoutAClickStillStartsTodaysRowAndCancelledCountsAreGone)
{
    open();
    chooseTarget(1);
    click("Command9");
    auto today = day("2026-12-07");
    ASSERT_EQ(today->recordCount(), 1);
    EXPECT_EQ(field(today, "反馈合计（当日）"), 0);
    for (const char* f : {"电话数", "产品1计数"})
        EXPECT_EQ(field(today, f), 0);

    run("DELETE FROM \"feedbackTable\" Where 时间 = '2026-12-07'");
    state.announce({ChangeNotice::Table::DailyRows, QStringLiteral("P1")});
    chooseTarget(1);
    count(Fax);
    click("Command12");   // 取消: the counts go, for the target and for the day
    EXPECT_EQ(box("Text5(1)")->text(), QStringLiteral("0"));
    click("Command9");
    EXPECT_EQ(field(day("2026-12-07"), "传真数"), 0);
    EXPECT_EQ(field(target("北京甲公司"), "传真数"), 0);

    // A save clears what was counted: a later save that only edits the address adds nothing.
    count(Fax);
    click("Command9");
    box("Text4(7)")->setText(QStringLiteral("北京市海淀区"));
    click("Command9");
    EXPECT_EQ(field(day("2026-12-07"), "传真数"), 1);
    EXPECT_EQ(field(target("北京甲公司"), "传真数"), 1);
    EXPECT_EQ(target("北京甲公司")->text(QStringLiteral("地址")), QStringLiteral("北京市海淀区"));
}

TEST_F(FeedbackWindowTest, CountsGoToTodaysRowEvenAfterLookingAtAnEarlierDay)
{
    run("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
        "('P1', '2026-12-07', '春季直邮', 1, 1, 3)");
    open();
    click("Command11(0)");   // the earlier day
    EXPECT_EQ(box("Text1(1)")->text(), QStringLiteral("2026/12/5"));
    chooseTarget(1);
    count(Phone);
    EXPECT_EQ(box("Text1(1)")->text(), QStringLiteral("2026/12/7"));
    EXPECT_EQ(box("Text1(3)")->text(), QStringLiteral("2"));
    click("Command11(0)");   // looking back again before saving
    click("Command9");
    EXPECT_EQ(field(day("2026-12-07"), "电话数"), 2);
    EXPECT_EQ(field(day("2026-12-07"), "反馈合计（至今日）"), 4);
    EXPECT_EQ(field(day("2026-12-05"), "电话数"), 2);
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 序号 = 'P1'"), 2);
}

TEST_F(FeedbackWindowTest, ASearchFindsTheTargetOrTheUnknownClientOrStartsANewTarget)
{
    open();
    dialogs.queueInput(QStringLiteral("O'K"));
    click("Command5");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("已查到此客户！"));
    EXPECT_EQ(dialogs.log()[0].text, QStringLiteral("请输入营销对象："));
    EXPECT_EQ(dialogs.log()[0].title, QStringLiteral("查询输入"));
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("O'K 贸易"));
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("1/1"));

    dialogs.queueInput(std::nullopt);
    click("Command5");   // cancelled: nothing changes
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("1/1"));

    dialogs.queueInput(QStringLiteral("100%"));
    click("Command5");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("无此客户！"));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("添加新客户"));
    EXPECT_TRUE(window->findChild<QLabel*>("Label2")->isVisible());
    EXPECT_EQ(box("Text4(0)")->text(), QStringLiteral("P1"));
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("100%"));   // the name searched for
    EXPECT_FALSE(button("Command5")->isEnabled());
    box("Text4(1)")->setText(QStringLiteral("新客户"));
    count(Phone);
    click("Command9");
    EXPECT_EQ(field(target("新客户"), "电话数"), 1);
    EXPECT_TRUE(button("Command5")->isEnabled());
    EXPECT_FALSE(window->findChild<QLabel*>("Label2")->isVisible());
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("4/4"));   // the whole list is back, the new target shown

    run("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('P1', '未知客户')");
    window->Form_Activate();
    dialogs.queueInput(QStringLiteral("丁"));
    click("Command5");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("无 丁 此客户！\r\n但查到未知客户！"));
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("未知客户"));
    EXPECT_FALSE(window->findChild<QLabel*>("Label2")->isVisible());
}

TEST_F(FeedbackWindowTest, TheUnknownClientIsMadeOnceAndUsedAgain)
{
    open();
    click("Command2");
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("未知客户"));
    EXPECT_EQ(box("Text4(0)")->text(), QStringLiteral("P1"));
    count(Phone);
    click("Command9");
    EXPECT_EQ(rows("Select * From \"clientTableInfo\" Where 营销对象 = '未知客户'"), 1);
    click("Command2");
    count(Phone);
    click("Command9");
    EXPECT_EQ(rows("Select * From \"clientTableInfo\" Where 营销对象 = '未知客户'"), 1);
    EXPECT_EQ(field(target("未知客户"), "电话数"), 2);
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 时间 = '2026-12-07'"), 1);
    EXPECT_EQ(field(day("2026-12-07"), "电话数"), 2);
}

TEST_F(FeedbackWindowTest, AddingAndTheUnknownClientMakeOnlyOneRowForTheDay)
{
    open();
    click("Command7");   // 添加 starts today's row
    box("Text4(1)")->setText(QStringLiteral("丙"));
    click("Command12");  // 取消
    click("Command2");   // 未知客户 starts it again
    click("Command9");
    click("Command7");
    box("Text4(1)")->setText(QStringLiteral("丁"));
    count(Phone);
    click("Command9");
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 时间 = '2026-12-07'"), 1);
    EXPECT_EQ(field(day("2026-12-07"), "电话数"), 1);
    EXPECT_EQ(rows("Select * From \"clientTableInfo\" Where 营销对象 = '丙'"), 0);
    EXPECT_EQ(rows("Select * From \"clientTableInfo\" Where 营销对象 = '丁'"), 1);
}

TEST_F(FeedbackWindowTest, ARefusedSaveStoresNothingOfTheResponse)
{
    open();
    run("CREATE TRIGGER refuse BEFORE INSERT ON \"feedbackTable\" BEGIN SELECT RAISE(ABORT, '数据库已锁定'); END");
    chooseTarget(1);
    count(Phone);
    click("Command9");
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("数据库已锁定")));
    EXPECT_EQ(field(target("北京甲公司"), "电话数"), 0);
    EXPECT_EQ(rows("Select * From \"feedbackTable\""), 1);
    run("DROP TRIGGER refuse");
    click("Command9");   // the same response, once the database accepts it
    EXPECT_EQ(field(target("北京甲公司"), "电话数"), 1);
    EXPECT_EQ(field(day("2026-12-07"), "电话数"), 1);
    EXPECT_EQ(rows("Select * From \"clientTableInfo\" Where 序号 = 'P1'"), 3);
}

TEST_F(FeedbackWindowTest, LeavingWritesThePlansTotalAndRate)
{
    open();
    chooseTarget(1);
    count(Phone);
    click("Command9");
    click("Command1");
    Recordset plan(folder.connection(), QStringLiteral("Select * From \"marketingComment\" Where 序号 = 'P1'"));
    EXPECT_EQ(plan.text(QStringLiteral("反馈合计")), QStringLiteral("3"));
    EXPECT_EQ(plan.text(QStringLiteral("反馈率")), QStringLiteral("1%"));
}

TEST_F(FeedbackWindowTest, LeavingAPlanOfScaleZeroOrNoNumberStoresRateZero)
{
    run("INSERT INTO \"feedbackTable\" (序号, 时间, 反馈合计（当日）, 反馈合计（至今日）) VALUES ('P0', '2026-12-06', 4, 4)");
    open(QStringLiteral("P0"));
    click("Command1");
    Recordset plan(folder.connection(), QStringLiteral("Select * From \"marketingComment\" Where 序号 = 'P0'"));
    EXPECT_EQ(plan.text(QStringLiteral("反馈合计")), QStringLiteral("4"));
    EXPECT_EQ(plan.text(QStringLiteral("反馈率")), QStringLiteral("0"));

    run("UPDATE \"marketingComment\" SET 规模（数量） = '约三百' WHERE 序号 = 'P0'");
    open(QStringLiteral("P0"));
    click("Command1");
    Recordset again(folder.connection(), QStringLiteral("Select * From \"marketingComment\" Where 序号 = 'P0'"));
    EXPECT_EQ(again.text(QStringLiteral("反馈合计")), QStringLiteral("4"));
    EXPECT_EQ(again.text(QStringLiteral("反馈率")), QStringLiteral("0"));
}

TEST_F(FeedbackWindowTest, BoxesAndGridsBehaveAsTheOperatorExpects)
{
    state.setProductNames({"打印机", "", "扫描仪", "", ""});
    open();
    chooseTarget(1);
    box("Text5(0)")->setText(QStringLiteral("3个"));
    count(Phone);
    EXPECT_EQ(box("Text5(0)")->text(), QStringLiteral("4"));
    box("Text5(1)")->setText(QStringLiteral("abc"));
    count(Fax);
    EXPECT_EQ(box("Text5(1)")->text(), QStringLiteral("1"));

    EXPECT_EQ(box("Text1(9)")->toolTip(), QStringLiteral("打印机计数"));
    // The product buttons keep their captions; the mapped names are their tips, and each
    // counter box says what it counts.
    auto* productButton = window->findChild<QPushButton*>("Command17(6)");
    EXPECT_EQ(productButton->text(), QStringLiteral("产品1计数"));
    EXPECT_EQ(productButton->toolTip(), QStringLiteral("打印机计数"));
    EXPECT_EQ(box("Text5(6)")->toolTip(), QStringLiteral("打印机计数"));
    EXPECT_EQ(box("Text5(6)")->accessibleName(), QStringLiteral("打印机计数"));
    EXPECT_EQ(box("Text5(0)")->accessibleName(), QStringLiteral("电话数"));
    EXPECT_EQ(box("Text5(10)")->toolTip(), QStringLiteral("产品5计数"));   // a product without a name
    EXPECT_EQ(box("Text1(10)")->toolTip(), QString());
    EXPECT_EQ(box("Text1(3)")->toolTip(), QStringLiteral("电话计数"));

    QApplication::setActiveWindow(window.get());
    box("Text1(1)")->setFocus();
    EXPECT_EQ(box("Text1(1)")->text(), QStringLiteral("2026/12/7"));

    run("INSERT INTO \"feedbackTable\" (序号, 时间) VALUES ('P1', '2026-12-06')");
    state.announce({ChangeNotice::Table::DailyRows, QStringLiteral("P1")});   // another window added a day
    EXPECT_EQ(window->findChild<DataGrid*>("DataGrid1")->recordset()->recordCount(), 2);
    EXPECT_EQ(box("Text2")->text(), QStringLiteral("2/2"));
}

TEST_F(FeedbackWindowTest, DeletingATargetLeavesTheDailyRowsAlone)
{
    open();
    chooseTarget(3);
    const QString name = box("Text4(1)")->text();
    dialogs.queueMessage(MsgAnswer::Cancel);
    click("Command10");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("确实要删除客户“%1”（计划P1）吗？它的反馈计数将一并删除。").arg(name));
    EXPECT_EQ(rows("Select * From \"clientTableInfo\" Where 序号 = 'P1'"), 3);   // kept on Cancel
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command10");
    EXPECT_EQ(rows("Select * From \"clientTableInfo\" Where 序号 = 'P1'"), 2);
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("2/2"));
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("O'K 贸易"));
    EXPECT_EQ(rows("Select * From \"feedbackTable\""), 1);
}

// Two plans with a target of the same name; the current plan changes in the main window
// between two saves, once with nothing pending and once with a count not yet saved.
TEST_F(FeedbackWindowTest, AResponseCountsOnTheShownTargetsPlanWhenTheCurrentPlanChangesElsewhere)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("记录客户反馈"));
    auto* planLabel = window->findChild<QLabel*>("LabelPlan");
    EXPECT_EQ(planLabel->text(), QStringLiteral("当前计划：P1 春季直邮"));
    chooseTarget(1);
    count(Phone);
    click("Command9");

    state.setCurrentPlan(QStringLiteral("P0"), titleOf("P0"));   // the main window's activation
    EXPECT_EQ(planLabel->text(), QStringLiteral("当前计划：P0 旧计划"));
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("1/1"));
    chooseTarget(1);
    EXPECT_EQ(box("Text4(0)")->text(), QStringLiteral("P0"));
    count(Phone);
    click("Command9");
    EXPECT_EQ(rows("Select * From \"clientTableInfo\""), 4);   // no target overwritten or doubled
    EXPECT_EQ(Recordset(folder.connection(), "Select 电话数 From \"clientTableInfo\" Where 序号 = 'P1' And 营销对象 = '北京甲公司'").value(0).toInt(), 1);
    EXPECT_EQ(Recordset(folder.connection(), "Select 电话数 From \"clientTableInfo\" Where 序号 = 'P0' And 营销对象 = '北京甲公司'").value(0).toInt(), 1);

    // A count waiting to be saved stays with its plan when another plan becomes current.
    count(Phone);
    state.setCurrentPlan(QStringLiteral("P1"), titleOf("P1"));
    EXPECT_EQ(planLabel->text(), QStringLiteral("当前计划：P0 旧计划"));
    click("Command9");
    EXPECT_EQ(Recordset(folder.connection(), "Select 电话数 From \"feedbackTable\" Where 序号 = 'P0' And 时间 = '2026-12-07'").value(0).toInt(), 2);
    EXPECT_EQ(field(day("2026-12-07"), "电话数"), 1);
    EXPECT_EQ(Recordset(folder.connection(), "Select 电话数 From \"clientTableInfo\" Where 序号 = 'P1' And 营销对象 = '北京甲公司'").value(0).toInt(), 1);
    window->Form_Activate();   // saved: the next activation takes the current plan
    EXPECT_EQ(planLabel->text(), QStringLiteral("当前计划：P1 春季直邮"));
    EXPECT_FALSE(window->findChild<QWidget*>("Frame2")->isVisible());

    // 返回 writes the totals of both plans recorded for.
    click("Command1");
    EXPECT_EQ(Recordset(folder.connection(), "Select 反馈合计 From \"marketingComment\" Where 序号 = 'P0'").text(0), QStringLiteral("2"));
    EXPECT_EQ(Recordset(folder.connection(), "Select 反馈合计 From \"marketingComment\" Where 序号 = 'P1'").text(0), QStringLiteral("3"));
}

TEST_F(FeedbackWindowTest, ANewTargetIsNeverStoredWithoutAName)
{
    open();
    dialogs.queueInput(QStringLiteral("  天津丁公司 "));
    click("Command5");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("无此客户！"));
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("天津丁公司"));
    box("Text4(1)")->setText(QStringLiteral("　"));
    count(Phone);
    click("Command9");
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("信息提示"));
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("营销对象")));
    EXPECT_EQ(rows("Select * From \"clientTableInfo\""), 4);
    EXPECT_EQ(rows("Select * From \"feedbackTable\""), 1);
    // The form is kept as typed, still a new target.
    EXPECT_EQ(box("Text5(0)")->text(), QStringLiteral("1"));
    EXPECT_TRUE(window->findChild<QLabel*>("Label2")->isVisible());
    EXPECT_FALSE(button("Command5")->isEnabled());
    box("Text4(1)")->setText(QStringLiteral("天津丁公司"));
    click("Command9");
    EXPECT_EQ(field(target("天津丁公司"), "电话数"), 1);
    EXPECT_EQ(field(day("2026-12-07"), "电话数"), 1);
}

TEST_F(FeedbackWindowTest, CountsNotYetSavedAreNeverDroppedWithoutAsking)
{
    open();
    chooseTarget(1);
    count(Phone);
    dialogs.queueSaveAnswer(SaveAnswer::Cancel);
    chooseTarget(2);   // another target: asked, and cancelled
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("记录客户反馈（客户“北京甲公司”）有未保存的修改，是否保存？"));
    EXPECT_EQ(dialogs.log().last().kind, QStringLiteral("askToSave"));
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("北京甲公司"));
    EXPECT_EQ(box("Text5(0)")->text(), QStringLiteral("1"));
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("1/3"));

    dialogs.queueSaveAnswer(SaveAnswer::Discard);
    chooseTarget(2);
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("O'K 贸易"));
    EXPECT_EQ(box("Text1(1)")->text(), QStringLiteral("2026/12/5"));   // the stored days again, no new day
    EXPECT_EQ(field(target("北京甲公司"), "电话数"), 0);

    count(Fax);
    dialogs.queueSaveAnswer(SaveAnswer::Save);
    click("Command14");   // the panel's 返回
    EXPECT_EQ(field(target("O'K 贸易"), "传真数"), 1);
    EXPECT_FALSE(window->findChild<QWidget*>("Frame2")->isVisible());

    chooseTarget(3);
    box("Text4(7)")->setText(QStringLiteral("上海市"));   // a typed field counts as a change too
    dialogs.queueSaveAnswer(SaveAnswer::Cancel);
    click("Command1");   // the window's 返回
    EXPECT_TRUE(window->isVisible());
    dialogs.queueSaveAnswer(SaveAnswer::Save);
    click("Command1");
    EXPECT_EQ(target("上海乙公司")->text(QStringLiteral("地址")), QStringLiteral("上海市"));
    EXPECT_FALSE(dialogs.hasPendingAnswers());
}

} // namespace

namespace {

TEST_F(FeedbackWindowTest, ChoosingATargetMovesNothingOnTheWindow)
{
    open();
    QApplication::processEvents();
    const QSize windowSize = window->size();
    const QRect targets = window->findChild<QWidget*>(QStringLiteral("DataGrid2"))->geometry();
    chooseTarget(2);
    QApplication::processEvents();
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("Frame2"))->isVisible());
    EXPECT_EQ(window->size(), windowSize);
    EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("DataGrid2"))->geometry(), targets);
}

} // namespace

namespace {

TEST_F(FeedbackWindowTest, ASearchMatchingSeveralTargetsSaysHowMany)
{
    open();
    dialogs.queueInput(QStringLiteral("公司"));
    click("Command5");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("已查到2个客户！"));
    EXPECT_TRUE(box("Text3")->text().endsWith(QStringLiteral("/2")));
}

} // namespace
