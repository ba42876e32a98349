// The feedback window beside the windows and statements that share its rows: the daily
// statistics window, plan execution, a second writer. Saves land on the window's own plan,
// add to what is stored and never make a second row for a day.
#include "support/SqlLiteral.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "feedback/Form5.h"
#include "campaign/TodaysRow.h"
#include "feedback/feedbackFm1.h"
#include "campaign/PlanExecution.h"
#include "controls/DataGrid.h"
#include "support/ProgramTest.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

namespace {

enum Counter { Phone = 0, Fax = 1, Email = 2 };

class SharedRowsTest : public ProgramTest {
protected:
    std::unique_ptr<Form5> feedback;
    std::unique_ptr<feedbackFm1> dailyTable;

    void SetUp() override
    {
        ProgramTest::SetUp();
        Clock::setToday(QDate(2026, 12, 7));
        run("INSERT INTO \"planTable\" (序号, 题目, 规模（数量）) VALUES ('P1', '春季直邮', '300'), ('P2', '秋季电话', '100')");
        run("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）, 反馈合计, 反馈率) VALUES ('P1', '春季直邮', '300', '', '')");
        run("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
            "('P1', '2026-12-05', '春季直邮', 2, 2, 2)");
        run("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('P1', '北京甲公司'), ('P1', '上海乙公司'), ('P2', '广州丙公司')");
    }
    void TearDown() override
    {
        dailyTable.reset();
        feedback.reset();
        Clock::reset();
        ProgramTest::TearDown();
    }

    void run(const char* sql) { folder.connection()->execute(QString::fromUtf8(sql)); }
    int number(const QString& sql) const
    {
        Recordset rs(folder.connection(), sql);
        return rs.hasCurrentRow() ? rs.value(0).toInt() : -1;
    }
    int rows(const QString& sql) const { return Recordset(folder.connection(), sql).recordCount(); }
    int todays(const char* fieldName, const QString& plan = QStringLiteral("P1")) const
    {
        Recordset rs(folder.connection(), QStringLiteral("Select * From \"feedbackTable\" Where 序号 = %1 And 时间 = '2026-12-07'")
                                              .arg(sqlLiteral(plan)));
        return rs.hasCurrentRow() ? rs.value(QString::fromUtf8(fieldName)).toInt() : -1;
    }
    int targets(const char* fieldName, const QString& name) const
    {
        Recordset rs(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = ") + sqlLiteral(name));
        return rs.value(QString::fromUtf8(fieldName)).toInt();
    }

    void openFeedback()
    {
        state.setCurrentPlan(QStringLiteral("P1"), QStringLiteral("春季直邮"));
        feedback = std::make_unique<Form5>(state);
        feedback->show();
    }
    void openDailyTable()
    {
        dailyTable = std::make_unique<feedbackFm1>(state);
        dailyTable->show();
    }
    std::shared_ptr<Recordset> dailyTableRows() const { return dailyTable->findChild<DataGrid*>("DataGrid1")->recordset(); }
    void chooseTarget(int row)
    {
        feedback->planTargetRecordset()->setAbsolutePosition(row);
        feedback->DataGrid2_Click();
    }
    void click(QWidget* window, const QString& name)
    {
        QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton);
    }
    void count(int counter) { click(feedback.get(), QStringLiteral("Command17(%1)").arg(counter)); }
    void save() { click(feedback.get(), QStringLiteral("Command9")); }
    QLineEdit* box(const QString& name) const { return feedback->findChild<QLineEdit*>(name); }
};

TEST_F(SharedRowsTest, ExecutingAnotherPlanWhileRecordingNeverMixesTheTwoPlansRows)
{
    openFeedback();
    chooseTarget(1);
    count(Phone);

    Recordset planTable(folder.connection(), QStringLiteral("Select * From \"planTable\""));
    planTable.moveLast();   // P2
    ASSERT_EQ(PlanExecution::execute(state, planTable.bookmark()).outcome, PlanExecution::Outcome::Executed);
    EXPECT_EQ(state.currentPlanNo(), QStringLiteral("P2"));
    // The click waiting for P1's target stays with P1.
    EXPECT_EQ(feedback->planNo(), QStringLiteral("P1"));
    save();
    EXPECT_EQ(todays("电话数", "P1"), 1);
    EXPECT_EQ(todays("电话数", "P2"), 0);   // P2's first day, untouched
    EXPECT_EQ(targets("电话数", "北京甲公司"), 1);

    // Once saved, the next activation works for P2.
    feedback->Form_Activate();
    EXPECT_EQ(feedback->planTargetRecordset()->recordCount(), 1);
    chooseTarget(1);
    count(Fax);
    save();
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 序号 = 'P2'"), 1);
    EXPECT_EQ(todays("传真数", "P2"), 1);
    EXPECT_EQ(todays("传真数", "P1"), 0);
    EXPECT_EQ(targets("传真数", "广州丙公司"), 1);

    // Executing the plan already executed switches back: the window follows again.
    planTable.moveFirst();
    ASSERT_EQ(PlanExecution::execute(state, planTable.bookmark()).outcome, PlanExecution::Outcome::AlreadyExecuted);
    EXPECT_EQ(feedback->planTargetRecordset()->recordCount(), 2);
    chooseTarget(2);
    count(Email);
    save();
    EXPECT_EQ(todays("Email数", "P1"), 1);
    EXPECT_EQ(todays("Email数", "P2"), 0);
    EXPECT_EQ(targets("Email数", "上海乙公司"), 1);
}

TEST_F(SharedRowsTest, ACorrectionInTheDailyTableIsKeptByTheNextResponse)
{
    run("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
        "('P1', '2026-12-07', '春季直邮', 5, 5, 7)");
    openFeedback();
    openDailyTable();
    chooseTarget(1);
    EXPECT_EQ(box("Text1(3)")->text(), QStringLiteral("5"));

    // The operator corrects today's phone count to 3 in the daily table and saves it.
    auto* grid = dailyTable->findChild<DataGrid*>("DataGrid1");
    const int phones = dailyTableRows()->fieldIndex(QStringLiteral("电话数"));
    ASSERT_TRUE(grid->model()->setData(grid->model()->index(1, phones), QStringLiteral("3")));
    click(dailyTable.get(), "Command3");
    ASSERT_EQ(todays("电话数"), 3);

    count(Phone);
    save();
    EXPECT_EQ(todays("电话数"), 4);   // 3 + the new response, not the old 5 + 1
    EXPECT_EQ(todays("反馈合计（当日）"), 4);
    EXPECT_EQ(todays("反馈合计（至今日）"), 6);
}

TEST_F(SharedRowsTest, ASearchInTheDailyTableNeverLeadsToASecondRowForToday)
{
    run("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
        "('P1', '2026-12-07', '春季直邮', 1, 1, 3)");
    openFeedback();
    openDailyTable();
    dialogs.queueInput(QStringLiteral("other"));
    click(dailyTable.get(), "Command2");   // 查寻 narrows the daily table's rows to none
    ASSERT_EQ(dailyTableRows()->recordCount(), 0);

    chooseTarget(1);
    count(Phone);
    save();
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 序号 = 'P1' And 时间 = '2026-12-07'"), 1);
    EXPECT_EQ(todays("电话数"), 2);
    EXPECT_EQ(todays("反馈合计（至今日）"), 4);
}

TEST_F(SharedRowsTest, ANewDayStartedByTheFeedbackWindowIsNeverAPendingRowOfTheSharedRows)
{
    openFeedback();
    openDailyTable();
    click(feedback.get(), "Command7");   // 添加: a new target and, today having no row, a new day
    EXPECT_EQ(box("Text1(1)")->text(), QStringLiteral("2026/12/7"));
    EXPECT_EQ(dailyTableRows()->editMode(), Recordset::EditMode::None);

    // Moving in the daily table stores nothing.
    click(dailyTable.get(), "Command1(0)");
    click(dailyTable.get(), "Command1(3)");
    EXPECT_EQ(rows("Select * From \"feedbackTable\""), 1);
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 序号 Is Null Or 时间 Is Null"), 0);

    click(feedback.get(), "Command12");   // 取消
    click(feedback.get(), "Command2");    // 未知客户: made, with today's new day shown
    EXPECT_EQ(dailyTableRows()->editMode(), Recordset::EditMode::None);
    box("Text4(1)")->setText(QStringLiteral("未知客户"));
    count(Phone);
    save();
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 序号 = 'P1'"), 2);
    EXPECT_EQ(todays("电话数"), 1);
    EXPECT_EQ(targets("电话数", "未知客户"), 1);
}

TEST_F(SharedRowsTest, CountsSavedMeanwhileByAnotherWriterAreAddedToNotOverwritten)
{
    openFeedback();
    chooseTarget(1);
    count(Phone);
    // Another copy of the program (another connection) records two calls for the same target.
    auto other = Connection::open(folder.connection()->location());
    other->execute(QStringLiteral("Update \"clientTableInfo\" Set 电话数 = 2, 反馈合计 = 2 Where 营销对象 = '北京甲公司'"));
    TodaysRow::Increments two;
    two.counters[Phone] = 2;
    TodaysRow::add(other, QStringLiteral("P1"), QStringLiteral("春季直邮"), two);

    save();
    EXPECT_EQ(targets("电话数", "北京甲公司"), 3);
    EXPECT_EQ(targets("反馈合计", "北京甲公司"), 3);
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 时间 = '2026-12-07'"), 1);
    EXPECT_EQ(todays("电话数"), 3);
    EXPECT_EQ(todays("反馈合计（至今日）"), 5);
}

TEST_F(SharedRowsTest, TwoWritersAtOnceLoseNoCountAndMakeOneRowPerDay)
{
    const QString path = folder.connection()->location();
    auto writer = [path] {
        auto db = Connection::open(path);
        TodaysRow::Increments one;
        one.counters[Phone] = 1;
        for (int i = 0; i < 60; ++i)
            TodaysRow::add(db, QStringLiteral("P1"), QStringLiteral("春季直邮"), one);
    };
    std::thread first(writer);
    std::thread second(writer);
    first.join();
    second.join();
    EXPECT_EQ(rows("Select * From \"feedbackTable\" Where 序号 = 'P1' And 时间 = '2026-12-07'"), 1);
    EXPECT_EQ(todays("电话数"), 120);
    EXPECT_EQ(todays("反馈合计（至今日）"), 122);
}

TEST_F(SharedRowsTest, RefusedCountsAndOverlongSearchesGetAClearMessageAndChangeNothing)
{
    openFeedback();
    chooseTarget(1);
    box("Text5(0)")->setText(QStringLiteral("-1"));
    save();
    ASSERT_FALSE(dialogs.log().isEmpty());
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("不能小于 0")));
    EXPECT_EQ(targets("电话数", "北京甲公司"), 0);
    EXPECT_EQ(rows("Select * From \"feedbackTable\""), 1);

    click(feedback.get(), "Command12");
    dialogs.queueInput(QString(20000, QLatin1Char('%')) + QStringLiteral("公司"));
    click(feedback.get(), "Command5");
    const QString said = dialogs.log().last().text;
    EXPECT_FALSE(said.contains(QStringLiteral("pattern"))) << said.toStdString();
    EXPECT_FALSE(said.contains(QStringLiteral("like"), Qt::CaseInsensitive)) << said.toStdString();
}

TEST_F(SharedRowsTest, TargetsDeletedElsewhereLeaveTheListAndTheTargetShownStays)
{
    openFeedback();
    chooseTarget(2);   // 上海乙公司
    count(Phone);
    run("DELETE FROM \"clientTableInfo\" Where 营销对象 = '北京甲公司'");
    state.announce({ChangeNotice::Table::Targets, QString()});
    EXPECT_EQ(feedback->planTargetRecordset()->recordCount(), 1);
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("1/1"));
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("上海乙公司"));
    save();   // the count clicked before is still saved, on the right target
    EXPECT_EQ(targets("电话数", "上海乙公司"), 1);
    EXPECT_EQ(todays("电话数"), 1);

    count(Phone);   // a count that can no longer be saved: the user hears of it
    run("DELETE FROM \"clientTableInfo\" Where 营销对象 = '上海乙公司'");
    state.announce({ChangeNotice::Table::Targets, QStringLiteral("P1")});
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("已被删除")));
    EXPECT_EQ(feedback->planTargetRecordset()->recordCount(), 0);
    EXPECT_FALSE(feedback->findChild<QWidget*>("Frame2")->isVisible());
    EXPECT_EQ(box("Text3")->text(), QStringLiteral("0/0"));
}

TEST_F(SharedRowsTest, TheTargetShownShowsCountsSavedElsewhereUnlessCountsOfItsOwnWait)
{
    openFeedback();
    chooseTarget(1);   // 北京甲公司
    // Another seat records a call for the same target and tells the others.
    run("Update \"clientTableInfo\" Set 电话数 = 1, 反馈合计 = 1 Where 营销对象 = '北京甲公司'");
    state.announce({ChangeNotice::Table::Targets, QStringLiteral("P1")});
    EXPECT_EQ(box("Text5(0)")->text(), QStringLiteral("1"));
    EXPECT_EQ(box("Text4(1)")->text(), QStringLiteral("北京甲公司"));

    count(Fax);   // counted here, not yet saved: another save elsewhere leaves it shown
    run("Update \"clientTableInfo\" Set 电话数 = 2, 反馈合计 = 2 Where 营销对象 = '北京甲公司'");
    state.announce({ChangeNotice::Table::Targets, QStringLiteral("P1")});
    EXPECT_EQ(box("Text5(1)")->text(), QStringLiteral("1"));
    save();
    EXPECT_EQ(targets("电话数", "北京甲公司"), 2);
    EXPECT_EQ(targets("传真数", "北京甲公司"), 1);
    EXPECT_EQ(box("Text5(0)")->text(), QStringLiteral("2"));
}

} // namespace
