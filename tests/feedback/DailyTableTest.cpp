// The daily statistics window over the current plan's daily rows.
#include "core/Connection.h"
#include "controls/DataGrid.h"
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
            "INSERT INTO \"feedbackTable\" (序号, 时间, 电话数, 反馈合计（当日）) VALUES "
            "('P''1', '2026-12-05', 1, 1), ('P''1', '2026-12-06', 2, 2), ('P''1', '2026-12-07', 3, 3), ('', '2026-12-01', 0, 0)"));
    }
    void TearDown() override
    {
        window.reset();
        ProgramTest::TearDown();
    }

    void open(const QString& planNo = QStringLiteral("P'1"))
    {
        state.setCurrentPlan(planNo, QString());
        window = std::make_unique<feedbackFm1>(state);
        window->show();
    }
    DataGrid* grid() const { return window->findChild<DataGrid*>("DataGrid1"); }
    int column(const char* name) const { return grid()->recordset()->fieldIndex(QString::fromUtf8(name)); }
    bool edit(int row, const char* field, const QString& value)
    {
        return grid()->model()->setData(grid()->model()->index(row, column(field)), value);
    }
    QList<qint64> values(const char* field) const
    {
        Recordset days(folder.connection(), QStringLiteral("Select %1 From \"feedbackTable\" Where 序号 = 'P''1'").arg(QString::fromUtf8(field)));
        QList<qint64> list;
        for (const QVariant& v : days.columnValues(0))
            list << v.toLongLong();
        return list;
    }
    QString plan(const char* field) const
    {
        return Recordset(folder.connection(), QStringLiteral("Select %1 From \"marketingComment\" Where 序号 = 'P''1'").arg(QString::fromUtf8(field))).text(0);
    }
    void click(const QString& name) { QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton); }
    QString position() const { return window->findChild<QLineEdit*>("Text1")->text(); }
    int rows(const QString& where) const
    {
        return Recordset(folder.connection(), QStringLiteral("Select * From \"feedbackTable\" Where ") + where).recordCount();
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
    click("Command8");
    EXPECT_EQ(position(), QStringLiteral("1/3"));
}

TEST_F(DailyTableTest, GridEditsWaitForSaveOrCancel)
{
    open();
    const int phones = column("电话数");
    ASSERT_TRUE(edit(0, "电话数", QStringLiteral("9")));
    EXPECT_EQ(rows("电话数 = 9"), 0);
    click("Command4");
    EXPECT_EQ(grid()->model()->data(grid()->model()->index(0, phones)).toString(), QStringLiteral("1"));
    ASSERT_TRUE(edit(0, "电话数", QStringLiteral("9")));
    click("Command3");
    EXPECT_EQ(rows("电话数 = 9"), 1);
    EXPECT_FALSE(edit(0, "电话数", QStringLiteral("很多")));
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
    EXPECT_EQ(dialogs.log()[1].text, QStringLiteral("确实要删除吗？\n将删除无序号的全部1条每日反馈统计记录。"));
    EXPECT_EQ(rows("序号 = ''"), 0);
    EXPECT_EQ(rows("1 = 1"), 3);

    dialogs.queueInput(QStringLiteral("P'1"));
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command6");
    EXPECT_EQ(dialogs.log()[3].text, QStringLiteral("确实要删除吗？\n将删除计划“P'1”的全部3条每日反馈统计记录。"));
    EXPECT_EQ(rows("1 = 1"), 0);
    EXPECT_EQ(position(), QStringLiteral("0/0"));
    EXPECT_EQ(grid()->recordset()->recordCount(), 0);
}

// A corrected count makes the day's total, the later running totals and the plan's total and
// rate right again; so does a deleted day.
TEST_F(DailyTableTest, ACorrectionOrADeletionRecomputesTheDaysAndThePlan)
{
    folder.connection()->execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号, 规模（数量）) VALUES ('P''1', '200')"));
    open();
    ASSERT_TRUE(edit(0, "传真数", QStringLiteral("2")));   // 1 call + 2 faxes on the first day
    click("Command3");
    EXPECT_EQ(values("反馈合计（当日）"), QList<qint64>({3, 2, 3}));
    EXPECT_EQ(values("反馈合计（至今日）"), QList<qint64>({3, 5, 8}));
    EXPECT_EQ(plan("反馈合计"), QStringLiteral("8"));
    EXPECT_EQ(plan("反馈率"), QStringLiteral("4%"));
    EXPECT_EQ(grid()->model()->data(grid()->model()->index(2, column("反馈合计（至今日）"))).toString(), QStringLiteral("8"));

    ASSERT_TRUE(edit(1, "反馈合计（当日）", QStringLiteral("7")));   // a total is worked out, not typed
    click("Command3");
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("不能直接修改")));
    click("Command4");
    EXPECT_EQ(values("反馈合计（当日）"), QList<qint64>({3, 2, 3}));

    ASSERT_TRUE(edit(1, "电话数", QStringLiteral("3")));
    QTest::keyClick(grid(), Qt::Key_Down);   // moving on stores the correction the same way
    EXPECT_EQ(values("反馈合计（至今日）"), QList<qint64>({3, 6, 9}));
    EXPECT_EQ(plan("反馈合计"), QStringLiteral("9"));
    ASSERT_TRUE(edit(1, "电话数", QStringLiteral("2")));
    click("Command3");

    click("Command1(0)");
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command5");
    EXPECT_EQ(values("反馈合计（至今日）"), QList<qint64>({2, 5}));
    EXPECT_EQ(plan("反馈合计"), QStringLiteral("5"));
    EXPECT_EQ(plan("反馈率"), QStringLiteral("2.5%"));
}

TEST_F(DailyTableTest, AnEditWaitingForSaveIsNeverStoredByAnotherWindowsChange)
{
    open();
    click("Command1(3)");
    ASSERT_TRUE(edit(2, "电话数", QStringLiteral("5")));
    // Another window stores a row of the plan; the edit stays pending and shown.
    folder.connection()->execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间) VALUES ('P''1', '2026-12-08')"));
    state.announce({ChangeNotice::Table::DailyRows, QStringLiteral("P'1")});
    EXPECT_EQ(values("电话数"), QList<qint64>({1, 2, 3, 0}));
    EXPECT_EQ(grid()->model()->data(grid()->model()->index(2, column("电话数"))).toString(), QStringLiteral("5"));
    EXPECT_EQ(position(), QStringLiteral("3/3"));
    click("Command3");
    EXPECT_EQ(values("电话数"), QList<qint64>({1, 2, 5, 0}));
    EXPECT_EQ(position(), QStringLiteral("3/4"));   // the other window's row is read in now

    // Leaving with an edit asks first.
    ASSERT_TRUE(edit(0, "电话数", QStringLiteral("8")));
    auto* closing = window.release();
    QPointer<feedbackFm1> alive(closing);
    dialogs.queueMessage(MsgAnswer::Cancel);
    QTest::mouseClick(closing->findChild<QPushButton*>("Command7"), Qt::LeftButton);
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("每日反馈统计表（计划“P'1”2026/12/5的记录）有未保存的修改，是否保存？"));
    EXPECT_TRUE(closing->isVisible());
    dialogs.queueSaveAnswer(SaveAnswer::Discard);
    QTest::mouseClick(closing->findChild<QPushButton*>("Command7"), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(values("电话数"), QList<qint64>({1, 2, 5, 0}));
}

} // namespace
