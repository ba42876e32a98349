// One campaign from execution to the main window: a plan is executed, three responses are
// recorded over two days, the feedback window is left, and the main window shows it all.
#include "app/mainFm1.h"
#include "campaign/ProgramState.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "feedback/Form5.h"
#include "plans/Form3.h"
#include "support/TempAppFolder.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

template <typename W>
W* openWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<W*>(w); found && found->isVisible())
            return found;
    return nullptr;
}

void click(QWidget* window, const QString& name)
{
    QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton);
}

TEST(WholeRoadTest, ExecuteRecordReturnAndSeeItInTheMainWindow)
{
    TempAppFolder folder;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    Clock::setToday(QDate(2026, 12, 7));
    folder.connection()->execute(QStringLiteral(
        "INSERT INTO \"planTable\" (序号, 题目, 规模（数量）, 预计反馈数, 时间周期, 费用) VALUES ('21', '冬季直邮', '300', '30', '两周', '9000')"));
    folder.connection()->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('21', '甲'), ('21', '乙')"));

    std::unique_ptr<mainFm1> main(mainFm1::load(folder.path()));
    ASSERT_TRUE(main);
    main->show();
    main->Form_Activate();

    main->findChild<QAction*>("createMarketing")->trigger();
    auto* editor = openWindow<Form3>();
    ASSERT_TRUE(editor);
    click(editor, "Command6");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("现在执行21计划!"));
    click(editor, "Command1(4)");
    main->Form_Activate();
    EXPECT_EQ(main->state().currentPlanNo(), QStringLiteral("21"));

    main->findChild<QAction*>("recordBack1")->trigger();
    auto* recording = openWindow<Form5>();
    ASSERT_TRUE(recording);
    auto respond = [recording](int targetRow, int counter) {
        recording->planTargetRecordset()->setAbsolutePosition(targetRow);
        recording->DataGrid2_Click();
        click(recording, QStringLiteral("Command17(%1)").arg(counter));
        click(recording, "Command9");
    };
    respond(1, 0);               // day one: 甲 by telephone
    Clock::setToday(QDate(2026, 12, 8));
    main->Form_Activate();       // the operator looked at the main window in between
    recording->Form_Activate();
    respond(2, 3);               // day two: 乙 by letter
    respond(1, 1);               // and 甲 again, by fax
    click(recording, "Command1");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openWindow<Form5>(), nullptr);

    main->Form_Activate();
    EXPECT_EQ(main->findChild<QLineEdit*>("Text1")->text(), QStringLiteral("1/1"));
    EXPECT_EQ(main->findChild<QLineEdit*>("Text2")->text(), QStringLiteral("1/2"));
    EXPECT_EQ(main->findChild<DataGrid*>("DataGrid2")->model()->rowCount(), 2);

    Recordset plan(folder.connection(), QStringLiteral("Select * From \"marketingComment\""));
    EXPECT_EQ(plan.text(QStringLiteral("反馈合计")), QStringLiteral("3"));
    EXPECT_EQ(plan.text(QStringLiteral("反馈率")), QStringLiteral("1%"));

    Recordset days(folder.connection(), QStringLiteral("Select * From \"feedbackTable\" Where 序号 = '21'"));
    ASSERT_EQ(days.recordCount(), 2);
    EXPECT_EQ(days.value(QStringLiteral("时间")), QVariant(QDate(2026, 12, 7)));
    EXPECT_EQ(days.value(QStringLiteral("电话数")).toInt(), 1);
    EXPECT_EQ(days.value(QStringLiteral("反馈合计（至今日）")).toInt(), 1);
    days.moveNext();
    EXPECT_EQ(days.value(QStringLiteral("时间")), QVariant(QDate(2026, 12, 8)));
    EXPECT_EQ(days.value(QStringLiteral("信函数")).toInt(), 1);
    EXPECT_EQ(days.value(QStringLiteral("传真数")).toInt(), 1);
    EXPECT_EQ(days.value(QStringLiteral("反馈合计（当日）")).toInt(), 2);
    EXPECT_EQ(days.value(QStringLiteral("反馈合计（至今日）")).toInt(), 3);

    Recordset first(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '甲'"));
    EXPECT_EQ(first.value(QStringLiteral("电话数")).toInt(), 1);
    EXPECT_EQ(first.value(QStringLiteral("传真数")).toInt(), 1);
    EXPECT_EQ(first.value(QStringLiteral("反馈合计")).toInt(), 2);
    Recordset second(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '乙'"));
    EXPECT_EQ(second.value(QStringLiteral("反馈合计")).toInt(), 1);

    main.reset();
    Clock::reset();
    Dialogs::install(nullptr);
}

} // namespace
