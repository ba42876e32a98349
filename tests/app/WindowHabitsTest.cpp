// What the user meets in every window: each opens entirely on the screen (run on a
// 1600×1000 and on a 1366×768 screen), the main window's grids sort without losing the
// current plan, the splash takes a key.
#include "app/F5.h"
#include "app/mainFm1.h"
#include "controls/DataGrid.h"
#include "controls/FormWindow.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "support/ProgramTest.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class WindowsFitTheScreen : public ProgramTest {
protected:
    std::unique_ptr<mainFm1> window;

    void SetUp() override
    {
        ProgramTest::SetUp();
        Connection& db = *folder.connection();
        db.execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号, 题目) VALUES ('2026-02', '华北区电话营销'), "
                                  "('2026-01', '春季直邮'), ('2026-03', '年终回访')"));
        db.execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数) VALUES "
                                  "('2026-03', '2026-12-01', '年终回访', 3), ('2026-03', '2026-12-02', '年终回访', 5)"));
        window.reset(mainFm1::load(folder.path()));
        ASSERT_TRUE(window);
        window->show();
        window->Form_Activate();
    }
    void TearDown() override
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget != window.get() && qobject_cast<FormWindow*>(widget))
                widget->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.reset();
        ProgramTest::TearDown();
    }
};

TEST_F(WindowsFitTheScreen, EveryWindowOpensEntirelyOnTheScreenAboveTheMainWindow)
{
    for (const char* item : {"createMarketing", "inputClient", "recordBack1", "browseFeedback", "cilentTableTotal",
                             "maintainTable2", "definition2", "print1", "print2", "print3", "effectAnalysis"})
        window->findChild<QAction*>(QString::fromLatin1(item))->trigger();
    QApplication::processEvents();
    const QRect available = window->screen()->availableGeometry();
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<FormWindow*>(widget);
        if (!form || !form->isVisible())
            continue;
        ++windows;
        const std::string name = form->objectName().toStdString();
        EXPECT_TRUE(available.contains(form->frameGeometry())) << name;
        EXPECT_GE(form->width(), form->minimumSizeHint().width()) << name;
        EXPECT_GE(form->height(), form->minimumSizeHint().height()) << name;
        if (form != window.get())
            EXPECT_EQ(form->windowHandle()->transientParent(), window->windowHandle()) << name;
    }
    EXPECT_EQ(windows, 12);
}

// On a laptop's screen the plan grid shows all its columns, and the feedback window's target
// list a target's whole name and phone.
TEST_F(WindowsFitTheScreen, TheGridsShowWholeColumnsWithoutScrolling)
{
    auto rightEdge = [](DataGrid* grid, int column) { return grid->columnViewportPosition(column) + grid->columnWidth(column); };
    auto* plans = window->findChild<DataGrid*>(QStringLiteral("DataGrid1"));
    ASSERT_EQ(plans->model()->columnCount(), 8);   // … 费用, 反馈合计, 反馈率
    EXPECT_LE(rightEdge(plans, 7), plans->viewport()->width());

    const QString name = QStringLiteral("厦门海湾国际贸易有限公司");
    folder.connection()->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1) VALUES "
                                                "('2026-03', '%1', '0592-75740154')").arg(name));
    window->findChild<QAction*>(QStringLiteral("recordBack1"))->trigger();
    QWidget* feedback = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("Form5"))
            feedback = widget;
    ASSERT_TRUE(feedback);
    auto* targets = feedback->findChild<DataGrid*>(QStringLiteral("DataGrid2"));
    EXPECT_GE(targets->columnWidth(1), targets->fontMetrics().horizontalAdvance(name));
    EXPECT_LE(rightEdge(targets, 2), targets->viewport()->width());   // 序号, 营销对象, 电话1
}

TEST_F(WindowsFitTheScreen, SortingThePlansKeepsTheCurrentPlanAndAClickTakesThePlanShown)
{
    auto* plans = window->findChild<DataGrid*>(QStringLiteral("DataGrid1"));
    ASSERT_EQ(window->state().currentPlanNo(), QStringLiteral("2026-03"));
    plans->sortByHeader(0);   // by 序号: 2026-01, 2026-02, 2026-03
    EXPECT_EQ(plans->currentIndex().row(), 2);
    EXPECT_EQ(window->state().currentPlanNo(), QStringLiteral("2026-03"));
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("Text2"))->text(), QStringLiteral("1/2"));

    plans->setFocus();
    QTest::mouseClick(plans->viewport(), Qt::LeftButton, {}, plans->visualRect(plans->model()->index(0, 0)).center());
    EXPECT_EQ(window->state().currentPlanNo(), QStringLiteral("2026-01"));
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("2/3"));

    window->Form_Activate();   // coming back: the plans read again, still sorted
    EXPECT_EQ(plans->model()->data(plans->model()->index(0, 0)).toString(), QStringLiteral("2026-01"));
    EXPECT_TRUE(plans->horizontalHeader()->isSortIndicatorShown());
}

TEST_F(WindowsFitTheScreen, DeleteInThePlansAsksAsTheButtonDoesAndInTheDaysDeletesNoPlan)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* days = window->findChild<DataGrid*>(QStringLiteral("DataGrid2"));
    days->setFocus();
    QTest::keyClick(days, Qt::Key_Delete);
    EXPECT_TRUE(dialogs.log().isEmpty());

    auto* plans = window->findChild<DataGrid*>(QStringLiteral("DataGrid1"));
    plans->setFocus();
    dialogs.queueMessage(MsgAnswer::Cancel);
    QTest::keyClick(plans, Qt::Key_Delete);
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_TRUE(dialogs.log().first().text.startsWith(QStringLiteral("确实要删除该记录吗？")));
    EXPECT_EQ(Recordset(folder.connection(), QStringLiteral("Select * From \"marketingComment\"")).recordCount(), 3);
}

TEST(SplashKeys, AKeyContinuesAsAClickDoes)
{
    F5 splash;
    QSignalSpy continued(&splash, &F5::continueRequested);
    splash.show();
    QTest::keyClick(&splash, Qt::Key_Shift);
    EXPECT_EQ(continued.count(), 0);
    QTest::keyClick(&splash, Qt::Key_Space);
    EXPECT_EQ(continued.count(), 1);
}

} // namespace
