// The plan editor and plan execution, driven through their controls on a real database.
#include "support/SqlLiteral.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "core/SqlText.h"
#include "plans/Form3.h"
#include "support/ProgramTest.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringEncoder>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

class PlanEditorTest : public ProgramTest {
protected:
    std::unique_ptr<Form3> editor;

    void SetUp() override
    {
        ProgramTest::SetUp();
        Clock::setToday(QDate(2026, 12, 7));
    }
    void TearDown() override
    {
        editor.reset();
        Clock::reset();
        ProgramTest::TearDown();
    }

    void addPlan(const QString& no, const QString& title, const QString& scale = QStringLiteral("300"))
    {
        folder.connection()->execute(QStringLiteral("INSERT INTO \"planTable\" (序号, 题目, 时间周期, 规模（数量）, 预计反馈数, 费用, 内容) "
                                                    "VALUES (%1, %2, '一个月', %3, '40', '12000', '内容')")
                                         .arg(sqlLiteral(no), sqlLiteral(title), sqlLiteral(scale)));
    }

    void open()
    {
        editor = std::make_unique<Form3>(state);
        editor->show();
    }

    QLineEdit* box(int i) const { return editor->findChild<QLineEdit*>(QStringLiteral("Text1(%1)").arg(i)); }
    QString position() const { return editor->findChild<QLineEdit*>("Text2")->text(); }
    QTextEdit* content() const { return editor->findChild<QTextEdit*>("RichTextBox1"); }
    void click(const QString& name) { QTest::mouseClick(editor->findChild<QPushButton*>(name), Qt::LeftButton); }
    int count(const QString& statement) const { return Recordset(folder.connection(), statement).recordCount(); }
    QString lastMessage() const { return dialogs.log().isEmpty() ? QString() : dialogs.log().last().text; }
    int questionsAsked() const
    {
        int asked = 0;
        for (const DialogRecord& record : dialogs.log())
            asked += record.kind == QStringLiteral("askToSave");
        return asked;
    }
    void clickGridRow(int row)
    {
        auto* grid = editor->findChild<DataGrid*>("DataGrid1");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 1)).center());
    }
};

TEST_F(PlanEditorTest, AnEmptyTableShowsEmptyBoxesAndTheButtonsDoNothing)
{
    open();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("创建营销计划"));
    EXPECT_EQ(position(), QStringLiteral("0/0"));
    EXPECT_EQ(box(0)->text(), QString());
    for (int i = 0; i < 4; ++i)
        click(QStringLiteral("Command3(%1)").arg(i));
    click("Command1(2)");
    EXPECT_TRUE(dialogs.log().isEmpty());
    EXPECT_EQ(position(), QStringLiteral("0/0"));
}

TEST_F(PlanEditorTest, CreateAndSaveStoresTheTrimmedBoxes)
{
    addPlan("1", "第一");
    open();
    EXPECT_EQ(position(), QStringLiteral("1/1"));
    click("Command1(0)");
    EXPECT_EQ(editor->addMode(), 1);
    EXPECT_FALSE(editor->findChild<QPushButton*>("Command1(0)")->isEnabled());
    EXPECT_FALSE(editor->findChild<QPushButton*>("Command1(2)")->isEnabled());
    EXPECT_EQ(box(0)->text(), QString());
    box(0)->setText(QStringLiteral("  P'7 "));
    box(6)->setText(QStringLiteral("500"));
    content()->setPlainText(QStringLiteral("  第一行\n第二行  "));
    click("Command1(1)");
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = 'P''7' And 规模（数量） = '500'"), 1);
    EXPECT_EQ(box(0)->text(), QStringLiteral("P'7"));
    EXPECT_EQ(content()->toPlainText(), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(position(), QStringLiteral("2/2"));
    EXPECT_EQ(editor->addMode(), 0);
    EXPECT_TRUE(editor->findChild<QPushButton*>("Command1(0)")->isEnabled());
    EXPECT_FALSE(editor->hasUnsavedChanges());
}

// A plan's number is the key of all its rows: the editor stores none without one, none twice,
// and no number of targets in words; the plan saved then executes as a new plan.
TEST_F(PlanEditorTest, ThePlanNumberMustBeGivenAndUniqueAndTheScaleAWholeNumber)
{
    addPlan("W-1", "第一");
    open();
    click("Command1(0)");
    click("Command1(1)");   // nothing typed
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("序号"))) << lastMessage().toStdString();
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("信息提示"));

    box(0)->setText(QStringLiteral("w-1"));
    box(1)->setText(QStringLiteral("重复"));
    click("Command1(1)");
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("序号“W-1”"))) << lastMessage().toStdString();

    box(0)->setText(QStringLiteral("W-2"));
    box(6)->setText(QStringLiteral("三百"));
    click("Command1(1)");
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("规模（数量）"))) << lastMessage().toStdString();
    EXPECT_EQ(count("Select * From \"planTable\""), 1);
    EXPECT_EQ(editor->addMode(), 1);                        // still the new plan, as typed
    EXPECT_EQ(box(1)->text(), QStringLiteral("重复"));

    box(6)->setText(QStringLiteral("300"));
    click("Command1(1)");
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = 'W-2' And 规模（数量） = '300'"), 1);
    box(0)->setText(QStringLiteral("W-1"));                 // an edit may not take another plan's number
    click("Command1(1)");
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("序号"))) << lastMessage().toStdString();
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = 'W-2'"), 1);

    box(0)->setText(QStringLiteral("W-2"));
    click("Command6");
    EXPECT_EQ(lastMessage(), QStringLiteral("现在执行W-2计划!"));
    EXPECT_EQ(count("Select * From \"marketingComment\" Where 序号 = 'W-2'"), 1);
}

TEST_F(PlanEditorTest, ANewPlanIsNotOverwrittenByTheGridAndCancelShowsTheCurrentRow)
{
    addPlan("1", "第一");
    addPlan("2", "第二");
    open();
    click("Command1(0)");
    box(0)->setText(QStringLiteral("3"));
    box(1)->setText(QStringLiteral("新计划"));
    auto* grid = editor->findChild<DataGrid*>("DataGrid1");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
    EXPECT_EQ(box(1)->text(), QStringLiteral("新计划"));
    for (const char* name : {"Command3(0)", "Command3(1)", "Command3(2)", "Command3(3)"}) {
        EXPECT_FALSE(editor->findChild<QPushButton*>(name)->isEnabled()) << name;
        click(name);   // the navigation stays still while the new plan is typed
    }
    EXPECT_EQ(box(1)->text(), QStringLiteral("新计划"));
    EXPECT_EQ(count("Select * From \"planTable\""), 2);
    click("Command1(1)");   // 保存 stores the new plan, not over another one
    EXPECT_EQ(count("Select * From \"planTable\" Where 题目 = '新计划'"), 1);
    EXPECT_EQ(count("Select * From \"planTable\" Where 题目 = '第一'"), 1);
    EXPECT_EQ(count("Select * From \"planTable\" Where 题目 = '第二'"), 1);
    folder.connection()->execute(QStringLiteral("DELETE FROM \"planTable\" Where 题目 = '新计划'"));
    open();
    grid = editor->findChild<DataGrid*>("DataGrid1");
    click("Command1(0)");
    box(1)->setText(QStringLiteral("新计划"));
    click("Command1(3)");
    EXPECT_EQ(box(1)->text(), QStringLiteral("第二"));
    EXPECT_EQ(count("Select * From \"planTable\""), 2);

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
    EXPECT_EQ(box(1)->text(), QStringLiteral("第一"));   // browsing, the grid chooses the plan shown
    EXPECT_EQ(position(), QStringLiteral("1/2"));
    EXPECT_EQ(questionsAsked(), 0);   // nothing typed, nothing asked
}

// Typed plan fields go only with the user's word: moving to another plan or leaving asks
// first, and each answer does what it says.
TEST_F(PlanEditorTest, TypedFieldsAreNotDroppedWhenMovingOnOrReturning)
{
    addPlan("1", "第一");
    addPlan("2", "第二");
    addPlan("3", "第三");
    open();   // on plan 3
    box(1)->setText(QStringLiteral("第三改"));
    dialogs.queueSaveAnswer(SaveAnswer::Cancel);
    click("Command3(0)");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("创建营销计划（计划“3 第三改”）有未保存的修改，是否保存？"));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("信息提示"));
    EXPECT_EQ(position(), QStringLiteral("3/3"));       // stays, the typed text kept
    EXPECT_EQ(box(1)->text(), QStringLiteral("第三改"));

    dialogs.queueSaveAnswer(SaveAnswer::Discard);
    click("Command3(1)");
    EXPECT_EQ(position(), QStringLiteral("2/3"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("第二"));
    EXPECT_EQ(count("Select * From \"planTable\" Where 题目 = '第三改'"), 0);

    box(1)->setText(QStringLiteral("第二改"));
    dialogs.queueSaveAnswer(SaveAnswer::Save);
    click("Command3(0)");
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = '2' And 题目 = '第二改'"), 1);
    EXPECT_EQ(position(), QStringLiteral("1/3"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("第一"));

    // The grid: 取消 goes back to the plan typed into, 保存 stores it there and not on the
    // plan chosen.
    box(1)->setText(QStringLiteral("第一改"));
    dialogs.queueSaveAnswer(SaveAnswer::Cancel);
    clickGridRow(2);
    EXPECT_EQ(position(), QStringLiteral("1/3"));
    EXPECT_EQ(editor->findChild<DataGrid*>("DataGrid1")->currentRowNumber(), 0);
    EXPECT_EQ(box(1)->text(), QStringLiteral("第一改"));
    dialogs.queueSaveAnswer(SaveAnswer::Save);
    clickGridRow(2);
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = '1' And 题目 = '第一改'"), 1);
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = '3' And 题目 = '第三'"), 1);
    EXPECT_EQ(position(), QStringLiteral("3/3"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("第三"));

    // 返回: 取消 stays; a refused save stays with the text; 保存 stores and closes.
    QPointer<Form3> alive(editor.release());   // deleted when it closes
    alive->findChild<QLineEdit*>("Text1(0)")->setText(QStringLiteral("9"));
    QTest::mouseClick(alive->findChild<QPushButton*>("Command1(4)"), Qt::LeftButton);   // Cancel when nothing queued
    EXPECT_TRUE(alive->isVisible());
    alive->findChild<QLineEdit*>("Text1(0)")->setText(QStringLiteral("1"));   // another plan's number
    dialogs.queueSaveAnswer(SaveAnswer::Save);
    QTest::mouseClick(alive->findChild<QPushButton*>("Command1(4)"), Qt::LeftButton);
    EXPECT_TRUE(alive->isVisible());
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("序号")));
    alive->findChild<QLineEdit*>("Text1(0)")->setText(QStringLiteral("9"));
    dialogs.queueSaveAnswer(SaveAnswer::Save);
    QTest::mouseClick(alive->findChild<QPushButton*>("Command1(4)"), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = '9' And 题目 = '第三'"), 1);
    EXPECT_FALSE(dialogs.hasPendingAnswers());
}

TEST_F(PlanEditorTest, DeletingAMiddleRowShowsTheLastRowAndDeletingTheLastEmptiesTheBoxes)
{
    addPlan("1", "第一");
    addPlan("2", "第二");
    addPlan("3", "第三");
    open();
    click("Command3(1)");
    EXPECT_EQ(box(0)->text(), QStringLiteral("2"));
    dialogs.queueMessage(MsgAnswer::Cancel);
    click("Command1(2)");
    EXPECT_EQ(count("Select * From \"planTable\""), 3);
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("确实要删除这条记录吗？"));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("删除提示"));
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command1(2)");
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = '2'"), 0);
    EXPECT_EQ(box(0)->text(), QStringLiteral("3"));
    EXPECT_EQ(position(), QStringLiteral("2/2"));
    for (int i = 0; i < 2; ++i) {
        dialogs.queueMessage(MsgAnswer::Ok);
        click("Command1(2)");
    }
    EXPECT_EQ(count("Select * From \"planTable\""), 0);
    EXPECT_EQ(box(0)->text(), QString());
    EXPECT_EQ(position(), QStringLiteral("0/0"));
}

TEST_F(PlanEditorTest, ARefusedSaveKeepsTheRowAndTheTypedTextAndSaysWhy)
{
    addPlan("1", "第一");
    open();
    box(0)->setText(QString(51, QLatin1Char('9')));   // the plan number holds at most 50
    box(1)->setText(QStringLiteral("改了"));
    click("Command1(1)");
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("信息提示"));
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("序号")));
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = '1' And 题目 = '第一'"), 1);
    EXPECT_EQ(box(1)->text(), QStringLiteral("改了"));

    dialogs.queueSaveAnswer(SaveAnswer::Discard);
    click("Command1(0)");   // the refused edit is dropped only on the user's word
    box(0)->setText(QString(51, QLatin1Char('8')));
    click("Command1(1)");
    EXPECT_EQ(count("Select * From \"planTable\""), 1);
    EXPECT_EQ(editor->addMode(), 1);   // still creating: the number can be shortened and saved
    box(0)->setText(QStringLiteral("2"));
    click("Command1(1)");
    EXPECT_EQ(count("Select * From \"planTable\""), 2);
}

TEST_F(PlanEditorTest, TextFilesLoadAsUtf8OrGb18030AndCancellingChangesNothing)
{
    addPlan("1", "第一");
    open();
    const QString utf8Path = folder.filePath("utf8.txt");
    const QString gbPath = folder.filePath("gb.txt");
    QFile utf8(utf8Path);
    ASSERT_TRUE(utf8.open(QIODevice::WriteOnly));
    utf8.write(QStringLiteral("直邮内容：“春季”").toUtf8());
    utf8.close();
    QFile gb(gbPath);
    ASSERT_TRUE(gb.open(QIODevice::WriteOnly));
    QStringEncoder encoder("GB18030");
    gb.write(encoder.encode(QStringLiteral("电话营销，北京地区")));
    gb.close();

    dialogs.queueOpenFile(std::nullopt);
    click("Command2");
    EXPECT_EQ(content()->toPlainText(), QStringLiteral("内容"));
    EXPECT_EQ(dialogs.log().last().file.title, QStringLiteral("载入文件"));
    EXPECT_EQ(dialogs.log().last().file.filter, QStringLiteral("*.txt|*.txt"));

    dialogs.queueOpenFile(FileChoice{utf8Path, "utf8.txt"});
    click("Command2");
    EXPECT_EQ(content()->toPlainText(), QStringLiteral("直邮内容：“春季”"));
    dialogs.queueOpenFile(FileChoice{gbPath, "gb.txt"});
    click("Command2");
    EXPECT_EQ(content()->toPlainText(), QStringLiteral("电话营销，北京地区"));
    EXPECT_EQ(count("Select * From \"planTable\" Where 内容 = '内容'"), 1);   // stored only by 保存
    click("Command5");
    EXPECT_EQ(content()->toPlainText(), QString());
}

TEST_F(PlanEditorTest, TheBoxesFollowTheKeyboardRules)
{
    open();
    QApplication::setActiveWindow(editor.get());
    box(8)->setFocus();
    QTest::keyClick(box(8), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), box(0));
    QTest::keyClick(box(0), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), box(8));
    QTest::keyClick(box(8), Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), box(8));
}

TEST_F(PlanEditorTest, ExecutingAppendsThePlanAndItsFirstDayOnceOnly)
{
    addPlan("  12 ", "春季直邮");
    open();
    click("Command6");
    EXPECT_EQ(lastMessage(), QStringLiteral("现在执行12计划!"));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("OK"));
    EXPECT_EQ(state.currentPlanNo(), QStringLiteral("12"));
    EXPECT_EQ(state.currentPlanTitle(), QStringLiteral("春季直邮"));
    EXPECT_EQ(count("Select * From \"marketingComment\" Where 序号 = '12' And 题目 = '春季直邮' And 规模（数量） = '300' "
                    "And 预计反馈数 = '40' And 时间周期 = '一个月' And 费用 = '12000' And 反馈合计 = '' And 反馈率 = ''"),
              1);
    Recordset day(folder.connection(), QStringLiteral("Select * From \"feedbackTable\" Where 序号 = '12'"));
    ASSERT_EQ(day.recordCount(), 1);
    EXPECT_EQ(day.value(QStringLiteral("时间")), QVariant(QDate(2026, 12, 7)));   // the date alone, no time
    EXPECT_EQ(day.text(QStringLiteral("题目")), QStringLiteral("春季直邮"));
    EXPECT_EQ(day.value(QStringLiteral("电话数")).toInt(), 0);

    state.setCurrentPlan(QStringLiteral("other"), QString());
    click("Command6");
    EXPECT_EQ(lastMessage(), QStringLiteral("此计划已执行！"));
    EXPECT_EQ(dialogs.log().last().icon, MsgIcon::None);
    EXPECT_EQ(state.currentPlanNo(), QStringLiteral("12"));
    EXPECT_EQ(count("Select * From \"marketingComment\""), 1);
    EXPECT_EQ(count("Select * From \"feedbackTable\""), 1);
}

TEST_F(PlanEditorTest, PlanNumbersWithApostrophesPercentAndChinesePunctuationAreFoundExactly)
{
    addPlan("O'Neil%，。", "特殊");
    addPlan("O'Neil_，。", "相近");
    open();
    click("Command3(0)");
    click("Command6");
    click("Command3(3)");
    click("Command6");
    EXPECT_EQ(lastMessage(), QStringLiteral("现在执行O'Neil_，。计划!"));
    click("Command3(0)");
    click("Command6");
    EXPECT_EQ(lastMessage(), QStringLiteral("此计划已执行！"));
    EXPECT_EQ(count("Select * From \"marketingComment\""), 2);
}

TEST_F(PlanEditorTest, NothingIsExecutedWithoutAStoredPlan)
{
    open();
    click("Command6");   // empty table
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("保存")));
    addPlan("1", "第一");
    editor.reset();
    open();
    click("Command1(0)");
    box(0)->setText(QStringLiteral("2"));
    click("Command6");   // a new plan not yet saved
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("保存")));
    EXPECT_EQ(count("Select * From \"marketingComment\""), 0);
    EXPECT_EQ(count("Select * From \"feedbackTable\""), 0);
    EXPECT_EQ(box(0)->text(), QStringLiteral("2"));
}

TEST_F(PlanEditorTest, AFailedExecutionLeavesNeitherRow)
{
    addPlan("5", "第五");
    folder.connection()->execute(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON \"feedbackTable\" BEGIN SELECT RAISE(ABORT, '磁盘已满'); END"));
    open();
    click("Command6");
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("磁盘已满")));
    EXPECT_EQ(count("Select * From \"marketingComment\""), 0);
    folder.connection()->execute(QStringLiteral("DROP TRIGGER refuse"));
    click("Command6");
    EXPECT_EQ(lastMessage(), QStringLiteral("现在执行5计划!"));
}

TEST_F(PlanEditorTest, ReturnWithNothingTypedClosesTheEditorWithoutAsking)
{
    addPlan("1", "第一");
    auto* window = new Form3(state);
    window->show();
    QPointer<Form3> alive(window);
    QTest::mouseClick(window->findChild<QPushButton*>("Command1(0)"), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QPushButton*>("Command1(4)"), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(dialogs.log().isEmpty());
    EXPECT_EQ(count("Select * From \"planTable\""), 1);
}

} // namespace
