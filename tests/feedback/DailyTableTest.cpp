// The daily statistics window over the program's daily rows.
#include "core/AppState.h"
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/ExecutedPlans.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "feedback/feedbackFm1.h"
#include "support/ProgramTest.h"

#include <QApplication>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DailyTableTest : public ProgramTest {
protected:
    std::unique_ptr<feedbackFm1> window;

    void SetUp() override
    {
        ProgramTest::SetUp();
        folder.connection()->execute(QStringLiteral(
            "INSERT INTO feedbackTable (序号, 时间, 电话数, 反馈合计（当日）) VALUES "
            "('P''1', '2026-12-05', 1, 1), ('P''1', '2026-12-06', 2, 2), ('P''1', '2026-12-07', 3, 3), ('', '2026-12-01', 0, 0)"));
    }
    void TearDown() override
    {
        window.reset();
        ProgramTest::TearDown();
    }

    void open(const QString& planNo = QStringLiteral("P'1"))
    {
        state.currentPlanNo = planNo;
        ExecutedPlans::openPlanFeedback(state);
        window = std::make_unique<feedbackFm1>();
        window->show();
    }
    void click(const QString& name) { QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton); }
    QString position() const { return window->findChild<QLineEdit*>("Text1")->text(); }
    int rows(const QString& where) const
    {
        return Recordset(folder.connection(), QStringLiteral("Select * From feedbackTable Where ") + where).recordCount();
    }
};

TEST_F(DailyTableTest, WithoutRowsTheButtonsDoNothing)
{
    open(QStringLiteral("none"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("每日反馈统计表"));
    EXPECT_EQ(position(), QStringLiteral("0/0"));
    for (const char* name : {"Command1(2)", "Command2", "Command3", "Command4", "Command5", "Command6", "Command8"})
        click(QString::fromUtf8(name));
    EXPECT_TRUE(dialogs.log().isEmpty());
    EXPECT_EQ(rows("1 = 1"), 4);
}

TEST_F(DailyTableTest, ASearchNarrowsToOnePlanNumberAndShowAllWidensAgain)
{
    open();
    EXPECT_EQ(position(), QStringLiteral("1/3"));
    click("Command1(3)");
    EXPECT_EQ(position(), QStringLiteral("3/3"));
    dialogs.queueInput(QString());
    click("Command2");   // empty answer: nothing changes
    EXPECT_EQ(position(), QStringLiteral("3/3"));
    dialogs.queueInput(QStringLiteral("P2"));
    click("Command2");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("请输入序号："));
    EXPECT_EQ(position(), QStringLiteral("0/0"));
    EXPECT_EQ(state.planFeedbackRecordset()->recordCount(), 0);   // the main window sees the narrowing too
    click("Command8");
    EXPECT_EQ(position(), QStringLiteral("1/3"));
}

TEST_F(DailyTableTest, GridEditsWaitForSaveOrCancel)
{
    open();
    auto* grid = window->findChild<DataGrid*>("DataGrid1");
    const int phones = state.planFeedbackRecordset()->fieldIndex(QStringLiteral("电话数"));
    ASSERT_TRUE(grid->model()->setData(grid->model()->index(0, phones), QStringLiteral("9")));
    EXPECT_EQ(rows("电话数 = 9"), 0);
    click("Command4");
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, phones)).toString(), QStringLiteral("1"));
    ASSERT_TRUE(grid->model()->setData(grid->model()->index(0, phones), QStringLiteral("9")));
    click("Command3");
    EXPECT_EQ(rows("电话数 = 9"), 1);
    EXPECT_FALSE(grid->model()->setData(grid->model()->index(0, phones), QStringLiteral("很多")));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("信息提示"));
}

TEST_F(DailyTableTest, DeletingOneRowAsksFirst)
{
    open();
    click("Command1(2)");
    dialogs.queueMessage(MsgAnswer::Cancel);
    click("Command5");
    EXPECT_EQ(rows("1 = 1"), 4);
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command5");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("确实要删除该记录吗？"));
    EXPECT_EQ(rows("时间 = '2026-12-06'"), 0);
    EXPECT_EQ(position(), QStringLiteral("2/2"));
}

TEST_F(DailyTableTest, DeletingByPlanNumberOffersTheCurrentOneAndCancellingMeansTheEmptyNumber)
{
    open();
    dialogs.queueInput(std::nullopt);
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command6");
    EXPECT_EQ(dialogs.log()[0].text, QStringLiteral("确认要删除记录相同序号的序号，如下："));
    EXPECT_EQ(dialogs.log()[0].title, QStringLiteral("提示信息"));
    EXPECT_EQ(dialogs.log()[0].defaultText, QStringLiteral("P'1"));
    EXPECT_EQ(dialogs.log()[1].text, QStringLiteral("确实要删除吗？"));
    EXPECT_EQ(rows("序号 = ''"), 0);
    EXPECT_EQ(rows("1 = 1"), 3);

    dialogs.queueInput(QStringLiteral("P'1"));
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command6");
    EXPECT_EQ(rows("1 = 1"), 0);
    EXPECT_EQ(position(), QStringLiteral("0/0"));
    EXPECT_EQ(window->findChild<DataGrid*>("DataGrid1")->recordset(), state.planFeedbackRecordset());
}

TEST_F(DailyTableTest, ReturnDropsTheProgramsDailyRows)
{
    open();
    auto* closing = window.release();
    QPointer<feedbackFm1> alive(closing);
    QTest::mouseClick(closing->findChild<QPushButton*>("Command7"), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_FALSE(state.planFeedbackRecordset());
}

} // namespace
