// The target table maintenance window over the store's target rows.
#include "ExportTestData.h"
#include "controls/DataGrid.h"
#include "campaign/TargetRows.h"
#include "core/DbError.h"
#include "exchange/export/fbTFixFm1.h"
#include "exchange/export/outputFm1.h"
#include "exchange/export/outputFm2.h"
#include "support/ProgramTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// A closed window is deleted once the pending deletions run.
template <typename Window>
bool gone(QPointer<Window>& window)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

class TargetTableWindowTest : public ProgramTest {
protected:
    QPointer<fbTFixFm1> window;

    void SetUp() override
    {
        ProgramTest::SetUp();
    }
    void TearDown() override
    {
        delete window;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("outputFm1") || top->objectName() == QLatin1String("outputFm2"))
                delete top;
        ProgramTest::TearDown();
    }

    void open(bool withTargets = true)
    {
        if (withTargets)
            insertExportTargets(state.store());
        window = new fbTFixFm1(state);
        window->show();
    }
    void click(const QString& name) { QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton); }
    QString position() const { return window->findChild<QLineEdit*>("Text1")->text(); }
    DataGrid* grid() const { return window->findChild<DataGrid*>("DataGrid1"); }
    int stored(const QString& where = QStringLiteral("1 = 1")) const
    {
        return countRows(state.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where ") + where);
    }
    void chooseColumn(const QString& field)
    {
        const int column = window->rows()->fieldIndex(field);
        grid()->setCurrentIndex(grid()->model()->index(std::max(0, grid()->currentRowNumber()), column));
        ASSERT_EQ(grid()->currentFieldName(), field);
    }
    bool typeIntoLine(int line, const QString& field, const QString& text)
    {
        return grid()->model()->setData(grid()->model()->index(line, window->rows()->fieldIndex(field)), text);
    }
};

TEST_F(TargetTableWindowTest, AnEmptyTableLeavesOnlyAddShowAndReturnActing)
{
    open(false);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("营销对象表维护"));
    EXPECT_EQ(position(), QStringLiteral("0/0"));
    EXPECT_EQ(grid()->model()->columnCount(), 23);
    EXPECT_EQ(window->Command8->toolTip(), QStringLiteral("删除全部相同序号记录"));
    for (const char* name : {"Command6(0)", "Command6(2)", "Command3", "Command9", "Command2", "Command7", "Command8",
                             "Command5", "Command12", "Command13", "Command10", "Command11"})
        click(QString::fromLatin1(name));
    EXPECT_TRUE(dialogs.log().isEmpty());
    EXPECT_EQ(position(), QStringLiteral("0/0"));
    EXPECT_FALSE(window->findChild<QWidget*>("outputFm1"));
}

TEST_F(TargetTableWindowTest, AddingTwiceKeepsTheFirstRowWhenTheSecondIsCancelled)
{
    open();
    click("Command4");
    EXPECT_TRUE(window->inEditMode());
    for (const char* name : {"Command2", "Command5", "Command6(0)", "Command6(3)", "Command7", "Command8", "Command10",
                             "Command11", "Command12", "Command13"})
        EXPECT_FALSE(window->findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled()) << name;
    for (const char* name : {"Command4", "Command3", "Command9", "Command1"})
        EXPECT_TRUE(window->findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled()) << name;
    EXPECT_EQ(grid()->model()->rowCount(), 6);   // the new row is the last line, ready for typing
    EXPECT_EQ(grid()->currentRowNumber(), 5);
    ASSERT_TRUE(typeIntoLine(5, QStringLiteral("营销对象"), QStringLiteral("新客户甲")));
    EXPECT_EQ(stored(), 5);

    click("Command4");
    ASSERT_TRUE(typeIntoLine(6, QStringLiteral("营销对象"), QStringLiteral("新客户乙")));
    click("Command9");
    EXPECT_FALSE(window->inEditMode());
    EXPECT_TRUE(window->Command13->isEnabled());
    EXPECT_EQ(stored(QStringLiteral("营销对象 = '新客户甲' And 反馈合计 = 0")), 1);
    EXPECT_EQ(stored(QStringLiteral("营销对象 = '新客户乙'")), 0);
    EXPECT_EQ(grid()->model()->rowCount(), 6);
}

TEST_F(TargetTableWindowTest, SavingStoresTheTypedRowAndARefusedValueKeepsTheEdit)
{
    open(false);
    click("Command4");
    ASSERT_TRUE(typeIntoLine(0, QStringLiteral("序号"), QStringLiteral("P9")));
    ASSERT_TRUE(typeIntoLine(0, QStringLiteral("营销对象"), QStringLiteral("O'Neil 公司")));
    EXPECT_FALSE(typeIntoLine(0, QStringLiteral("电话数"), QStringLiteral("很多")));
    click("Command3");
    EXPECT_FALSE(window->inEditMode());
    EXPECT_EQ(stored(QStringLiteral("序号 = 'P9' And 营销对象 = 'O''Neil 公司'")), 1);
    EXPECT_EQ(position(), QStringLiteral("1/1"));

    // A value typed in place waits for 保存 or 取消.
    ASSERT_TRUE(typeIntoLine(0, QStringLiteral("地址"), QStringLiteral("北京")));
    click("Command9");
    EXPECT_EQ(stored(QStringLiteral("地址 = '北京'")), 0);
}

TEST_F(TargetTableWindowTest, SearchByTheGridsCurrentColumn)
{
    open();
    chooseColumn(QStringLiteral("营销对象"));
    dialogs.queueInput(QStringLiteral("公司"));
    click("Command7");
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("请输入营销对象："));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("查询输入"));
    EXPECT_EQ(position(), QStringLiteral("1/3"));
    EXPECT_EQ(grid()->model()->rowCount(), 3);

    click("Command10");
    chooseColumn(QStringLiteral("序号"));
    dialogs.queueInput(QStringLiteral("P'1"));
    click("Command7");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("请输入序号："));
    EXPECT_EQ(position(), QStringLiteral("1/2"));
    dialogs.queueInput(QString());
    click("Command7");   // an empty answer changes nothing
    EXPECT_EQ(position(), QStringLiteral("1/2"));

    dialogs.clearLog();
    chooseColumn(QStringLiteral("地址"));
    click("Command7");
    EXPECT_TRUE(dialogs.log().isEmpty());
    EXPECT_EQ(position(), QStringLiteral("1/2"));
}

TEST_F(TargetTableWindowTest, ShowingTargetsWithFeedbackOfAllOrOnePlan)
{
    open();
    EXPECT_EQ(position(), QStringLiteral("1/5"));
    click("Command11");
    EXPECT_EQ(position(), QStringLiteral("1/2"));
    dialogs.queueInput(QStringLiteral("P2"));
    click("Command12");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("请输入序号:"));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("信息提示"));
    EXPECT_EQ(position(), QStringLiteral("1/1"));
    EXPECT_EQ(window->rows()->text(QStringLiteral("营销对象")), QStringLiteral("天津宏达贸易公司"));
    click("Command6(3)");
    EXPECT_EQ(position(), QStringLiteral("1/1"));
    click("Command10");
    click("Command6(3)");
    click("Command6(2)");
    EXPECT_EQ(position(), QStringLiteral("5/5"));
}

TEST_F(TargetTableWindowTest, DeletingOneRowAsksFirst)
{
    open();
    click("Command6(3)");
    dialogs.queueMessage(MsgAnswer::Cancel);
    click("Command2");
    EXPECT_EQ(stored(), 5);
    click("Command2");   // OK
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("确实要删除该记录吗？"));
    EXPECT_EQ(stored(), 4);
    EXPECT_EQ(position(), QStringLiteral("4/4"));
}

TEST_F(TargetTableWindowTest, DeletingOnePlansTargetsOffersTheCurrentNumber)
{
    open();
    QSignalSpy announced(&state, &ProgramState::changed);
    dialogs.queueInput(QStringLiteral("P'1"));
    click("Command8");
    EXPECT_EQ(dialogs.log()[0].text, QStringLiteral("确认要删除记录相同序号的序号，如下："));
    EXPECT_EQ(dialogs.log()[0].title, QStringLiteral("提示信息"));
    EXPECT_EQ(dialogs.log()[0].defaultText, QStringLiteral("P'1"));
    EXPECT_EQ(dialogs.log()[1].text, QStringLiteral("确实要删除吗？\n将删除计划“P'1”的全部2个客户记录。"));
    EXPECT_EQ(stored(), 3);
    EXPECT_EQ(position(), QStringLiteral("1/3"));
    EXPECT_EQ(announced.count(), 1);
}

TEST_F(TargetTableWindowTest, ACancelledPlanNumberStillAsksAndThenDeletesTargetsWithoutANumber)
{
    open();
    dialogs.queueInput(std::nullopt);
    dialogs.queueMessage(MsgAnswer::Cancel);
    click("Command8");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("确实要删除吗？\n将删除无序号的全部1个客户记录。"));
    EXPECT_EQ(stored(), 5);
    dialogs.queueInput(std::nullopt);
    click("Command8");
    EXPECT_EQ(stored(), 4);
    EXPECT_EQ(stored(QStringLiteral("序号 = ''")), 0);
    dialogs.queueInput(QStringLiteral("没有的序号"));   // no targets: nothing to ask about
    click("Command8");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("计划“没有的序号”没有客户记录，没有删除。"));
    EXPECT_EQ(stored(), 4);
}

TEST_F(TargetTableWindowTest, DeletingTargetsWithoutFeedbackAnsweredCancelDeletesNothing)
{
    open();
    click("Command11");
    dialogs.queueMessage(MsgAnswer::Cancel);
    click("Command5");
    EXPECT_EQ(dialogs.log().last().text,
              QStringLiteral("确实要删除无反馈客户的记录吗？\n将删除3个客户记录：无序号的1个、计划“P'1”的1个、计划“P2”的1个。"));
    EXPECT_EQ(stored(), 5);
    click("Command5");
    EXPECT_EQ(stored(), 2);
    EXPECT_EQ(stored(QStringLiteral("反馈合计 = 0")), 0);
    EXPECT_EQ(position(), QStringLiteral("1/2"));   // all targets shown again
}

TEST_F(TargetTableWindowTest, ExportOpensTheExportWindowOnceAndReturnCloses)
{
    open();
    click("Command13");
    click("Command13");
    int windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        windows += top->objectName() == QLatin1String("outputFm1") && top->isVisible();
    EXPECT_EQ(windows, 1);
    ASSERT_TRUE(typeIntoLine(0, QStringLiteral("地址"), QStringLiteral("未保存")));
    click("Command1");
    EXPECT_TRUE(gone(window));
    EXPECT_EQ(stored(QStringLiteral("地址 = '未保存'")), 0);
}

TEST_F(TargetTableWindowTest, RowsAddedOrDeletedElsewhereAreReadAgain)
{
    open();
    click("Command11");
    state.store().execute(QStringLiteral(
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) VALUES ('P3', '导入的客户', 1)"));
    state.announce({ChangeNotice::Table::Targets, QStringLiteral("P3")});
    EXPECT_EQ(position(), QStringLiteral("1/3"));   // the same list, read again
    EXPECT_EQ(grid()->model()->rowCount(), 3);
}

// Another window empties the target table while a new row is being typed: the row is not
// stored for that, and stays to be saved or dropped; the rows are read once it is.
TEST_F(TargetTableWindowTest, ARowBeingTypedIsNotStoredByAnotherWindowsChange)
{
    open();
    click("Command4");
    ASSERT_TRUE(typeIntoLine(5, QStringLiteral("营销对象"), QStringLiteral("未保存的客户")));
    TargetRows::deleteAll(state);   // 清空数据 in the import window
    EXPECT_EQ(stored(), 0);
    EXPECT_TRUE(window->inEditMode());
    EXPECT_EQ(window->rows()->text(QStringLiteral("营销对象")), QStringLiteral("未保存的客户"));
    click("Command3");
    EXPECT_EQ(stored(QStringLiteral("营销对象 = '未保存的客户'")), 1);
    EXPECT_EQ(stored(), 1);
    EXPECT_EQ(position(), QStringLiteral("1/1"));   // read again: only the saved row is left
    EXPECT_EQ(grid()->model()->rowCount(), 1);

    // A value typed in place over a stored row waits for 取消 just the same.
    ASSERT_TRUE(typeIntoLine(0, QStringLiteral("地址"), QStringLiteral("北京")));
    state.store().execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (营销对象) VALUES ('导入的客户')"));
    state.announce({ChangeNotice::Table::Targets, QString()});
    EXPECT_EQ(stored(QStringLiteral("地址 = '北京'")), 0);
    click("Command9");
    EXPECT_EQ(stored(QStringLiteral("地址 = '北京'")), 0);
    EXPECT_EQ(position(), QStringLiteral("1/2"));
}

// A search and the current target outlast a re-read, so 删除 deletes the target shown.
TEST_F(TargetTableWindowTest, TheSearchAndTheCurrentTargetOutlastAReread)
{
    open();
    chooseColumn(QStringLiteral("营销对象"));
    dialogs.queueInput(QStringLiteral("公司"));
    click("Command7");
    click("Command6(2)");
    ASSERT_EQ(position(), QStringLiteral("2/3"));
    const QString current = window->rows()->text(QStringLiteral("营销对象"));
    state.store().execute(QStringLiteral(
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('P3', '导入的公司'), ('P3', '李先生')"));
    state.announce({ChangeNotice::Table::Targets, QStringLiteral("P3")});
    EXPECT_EQ(position(), QStringLiteral("2/4"));
    EXPECT_EQ(window->rows()->text(QStringLiteral("营销对象")), current);
    click("Command2");   // OK
    EXPECT_EQ(stored(QStringLiteral("营销对象 = '%1'").arg(current)), 0);
    EXPECT_EQ(stored(), 6);
}

// The maintenance window and the plan export side by side: the export takes what the
// store holds when its button is pressed, not what the grid shows.
TEST_F(TargetTableWindowTest, BesideThePlanExportTheStoreDecides)
{
    open();
    chooseColumn(QStringLiteral("营销对象"));
    dialogs.queueInput(QStringLiteral("天津"));
    click("Command7");
    EXPECT_EQ(position(), QStringLiteral("1/1"));
    QPointer<outputFm2> plan = new outputFm2(state, QStringLiteral("P'1"));
    plan->show();

    dialogs.queueInput(QStringLiteral("P'1"));
    click("Command8");   // the targets of P'1 go
    dialogs.queueInput(QStringLiteral("导出"));
    QTest::mouseClick(plan->findChild<QPushButton*>("Command1(0)"), Qt::LeftButton);
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("OK\n已导出 0 行到“%1”的表“导出”。").arg(state.exportDatabasePath()));
    EXPECT_EQ(countRows(Connection::open(state.exportDatabasePath()), QStringLiteral("Select * From 导出")), 0);
    EXPECT_EQ(position(), QStringLiteral("1/3"));
    delete plan;
}

} // namespace
