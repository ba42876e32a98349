// The splash and the main window, driven through their controls with scripted dialogs.
#include "support/SqlLiteral.h"
#include "app/DatabaseChoice.h"
#include "app/F5.h"
#include "app/StartUp.h"
#include "app/mainFm1.h"
#include "campaign/ChangeNotice.h"
#include "charts/FeedbackChartPanel.h"
#include "controls/ChartControl.h"
#include "core/Connection.h"
#include "core/Schema.h"
#include "controls/DataGrid.h"
#include "campaign/ProgramState.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "core/SqlText.h"
#include "charts/chartFm1.h"
#include "charts/clientBrowseFm1.h"
#include "feedback/Form5.h"
#include "plans/Form3.h"
#include "plans/definitionFm1.h"
#include "reports/ReportWindow.h"
#include "exchange/mainFm3.h"
#include "support/TempAppFolder.h"
#include "support/TestServer.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLockFile>
#include <QMouseEvent>
#include <QSettings>
#include <QSignalSpy>
#include <QSysInfo>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    std::unique_ptr<mainFm1> window;

    void TearDown() override
    {
        window.reset();
        Dialogs::install(nullptr);
    }

    ProgramState& state() const { return window->state(); }
    QString currentPlan() const { return window->state().currentPlanNo(); }

    // An executed plan with its daily rows (telephone counts) and targets.
    void executePlan(const QString& no, const QString& title, QList<int> dailyPhones = {}, int targets = 0)
    {
        Connection& db = *folder.connection();
        db.execute(QStringLiteral("INSERT INTO \"planTable\" (序号, 题目) VALUES (%1, %2)").arg(sqlLiteral(no), sqlLiteral(title)));
        db.execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号, 题目, 反馈合计, 反馈率) VALUES (%1, %2, '', '')")
                       .arg(sqlLiteral(no), sqlLiteral(title)));
        int day = 1;
        for (int phones : dailyPhones)
            db.execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）) VALUES (%1, '2026-12-%2', %3, %4, %4)")
                           .arg(sqlLiteral(no))
                           .arg(day++, 2, 10, QLatin1Char('0'))
                           .arg(sqlLiteral(title))
                           .arg(phones));
        for (int i = 0; i < targets; ++i)
            db.execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES (%1, 'c%2')").arg(sqlLiteral(no)).arg(i));
    }

    void open()
    {
        window.reset(mainFm1::load(folder.path()));
        ASSERT_TRUE(window);
        window->Form_Activate();
    }

    template <typename T>
    T* control(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }

    void click(const QString& name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    QString text(const QString& name) const { return control<QLineEdit>(name)->text(); }

    int count(const QString& statement) const { return Recordset(folder.connection(), statement).recordCount(); }
    double currentDayPhones() const { return control<ChartControl>(QStringLiteral("MSChart3"))->cellValue(1, 1); }
};

TEST_F(MainWindowTest, WithoutPlansBothPositionsReadZeroAndTheDailyGridIsForPlanNumberEmpty)
{
    open();
    EXPECT_EQ(text("Text1"), QStringLiteral("0/0"));
    EXPECT_EQ(text("Text2"), QStringLiteral("0/0"));
    EXPECT_EQ(currentPlan(), QString());
    ASSERT_TRUE(window->dayRows());
    EXPECT_EQ(window->dayRows()->source(), QStringLiteral("Select * From \"feedbackTable\" Where \"序号\" = ?1"));
    EXPECT_EQ(window->dayRows()->values(), QVariantList{QString()});
    EXPECT_EQ(control<DataGrid>("DataGrid2")->model()->rowCount(), 0);
    EXPECT_EQ(control<DataGrid>("DataGrid1")->model()->columnCount(), 8);
    click("Command1(2)");
    click("Command8");   // nothing to delete: no question either
    EXPECT_TRUE(dialogs.log().isEmpty()) << (dialogs.log().isEmpty() ? std::string() : dialogs.log()[0].text.toStdString());
    EXPECT_TRUE(control<QRadioButton>("Option1")->isChecked());

    window->findChild<QAction*>("recordBack1")->trigger();   // still opens, on the empty plan number
    bool recording = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<Form5*>(w)) {
            recording = true;
            form->close();
        }
    EXPECT_TRUE(recording);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainWindowTest, TheLastPlanIsCurrentAndTheButtonsStopAtBothEnds)
{
    executePlan("A1", "春季", {2, 3});
    executePlan("B2", "夏季", {5});
    executePlan("C3", "秋季", {7, 1, 4});
    open();
    EXPECT_EQ(text("Text1"), QStringLiteral("3/3"));
    EXPECT_EQ(currentPlan(), QStringLiteral("C3"));
    EXPECT_EQ(state().currentPlanTitle(), QStringLiteral("秋季"));
    EXPECT_EQ(text("Text2"), QStringLiteral("1/3"));
    EXPECT_EQ(currentDayPhones(), 7);

    click("Command1(2)");
    EXPECT_EQ(text("Text1"), QStringLiteral("3/3"));
    click("Command1(0)");
    EXPECT_EQ(text("Text1"), QStringLiteral("1/3"));
    click("Command1(1)");
    EXPECT_EQ(text("Text1"), QStringLiteral("1/3"));
    EXPECT_EQ(currentPlan(), QStringLiteral("A1"));
    EXPECT_EQ(text("Text2"), QStringLiteral("1/2"));
    EXPECT_EQ(window->dayRows()->recordCount(), 2);
    EXPECT_EQ(currentDayPhones(), 7);   // the buttons change the daily grid, not the charts

    click("Command2(3)");
    EXPECT_EQ(text("Text2"), QStringLiteral("2/2"));
    EXPECT_EQ(currentDayPhones(), 3);   // choosing a day redraws the current day
    click("Command2(2)");
    EXPECT_EQ(text("Text2"), QStringLiteral("2/2"));
    click("Command1(3)");
    EXPECT_EQ(currentPlan(), QStringLiteral("C3"));
}

TEST_F(MainWindowTest, GridAndRecordsetStayInStepBothWays)
{
    executePlan("1", "一", {1});
    executePlan("2", "二", {2});
    executePlan("3", "三", {3});
    open();
    auto* grid = control<DataGrid>("DataGrid1");
    window->show();
    EXPECT_EQ(grid->currentRowNumber(), 2);
    click("Command1(0)");
    EXPECT_EQ(grid->currentRowNumber(), 0);

    const QRect second = grid->visualRect(grid->model()->index(1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(window->planRows()->absolutePosition(), 2);
    EXPECT_EQ(currentPlan(), QStringLiteral("2"));
    EXPECT_EQ(text("Text1"), QStringLiteral("2/3"));
    EXPECT_EQ(currentDayPhones(), 2);   // choosing a plan in the grid redraws

    QTest::keyClick(grid, Qt::Key_Down);   // the keyboard chooses a plan as the mouse does
    EXPECT_EQ(currentPlan(), QStringLiteral("3"));
    EXPECT_EQ(text("Text1"), QStringLiteral("3/3"));
}

TEST_F(MainWindowTest, DeletingTheOnlyPlanRemovesItsDaysAndTargetsButKeepsTheDesignedPlan)
{
    executePlan("P'1", "唯一", {1, 2}, 3);
    open();
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command8");
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log()[0].text,
              QStringLiteral("确实要删除该记录吗？\n将删除已执行的计划“P'1 唯一”，连同它的3个客户记录和2条每日反馈统计记录（计划的设计保留）。"));
    EXPECT_EQ(dialogs.log()[0].title, QStringLiteral("信息提示"));
    EXPECT_EQ(dialogs.log()[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(dialogs.log()[0].icon, MsgIcon::Question);
    EXPECT_EQ(count("Select * From \"marketingComment\""), 0);
    EXPECT_EQ(count("Select * From \"feedbackTable\""), 0);
    EXPECT_EQ(count("Select * From \"clientTableInfo\""), 0);
    EXPECT_EQ(count("Select * From \"planTable\""), 1);
    EXPECT_EQ(text("Text1"), QStringLiteral("0/0"));
    EXPECT_EQ(text("Text2"), QStringLiteral("0/0"));
}

TEST_F(MainWindowTest, DeletingAMiddlePlanMakesTheLastPlanCurrentAndCancelKeepsEverything)
{
    executePlan("1", "一", {1}, 1);
    executePlan("2", "二", {2}, 2);
    executePlan("3", "三", {3}, 1);
    open();
    click("Command1(1)");
    dialogs.queueMessage(MsgAnswer::Cancel);
    click("Command8");
    EXPECT_EQ(count("Select * From \"marketingComment\""), 3);
    EXPECT_EQ(currentPlan(), QStringLiteral("2"));

    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command8");
    EXPECT_EQ(count("Select * From \"marketingComment\" Where 序号 = '2'"), 0);
    EXPECT_EQ(count("Select * From \"clientTableInfo\""), 2);
    EXPECT_EQ(count("Select * From \"feedbackTable\""), 2);
    EXPECT_EQ(currentPlan(), QStringLiteral("3"));
    EXPECT_EQ(text("Text1"), QStringLiteral("2/2"));
}

TEST_F(MainWindowTest, AFailedDeletionLeavesThePlanWhole)
{
    executePlan("1", "一", {1}, 2);
    open();
    // A target table that refuses deletions makes the last of the three steps fail.
    folder.connection()->execute(QStringLiteral(
        "CREATE TRIGGER keep BEFORE DELETE ON \"clientTableInfo\" BEGIN SELECT RAISE(ABORT, '删除被拒绝'); END"));
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command8");
    EXPECT_EQ(count("Select * From \"marketingComment\""), 1);
    EXPECT_EQ(count("Select * From \"feedbackTable\""), 1);
    EXPECT_EQ(count("Select * From \"clientTableInfo\""), 2);
    ASSERT_EQ(dialogs.log().size(), 2);
    EXPECT_TRUE(dialogs.log()[1].text.contains(QStringLiteral("删除被拒绝")));
    EXPECT_EQ(text("Text1"), QStringLiteral("1/1"));
}

TEST_F(MainWindowTest, TheProductLegendShowsTheMappedNames)
{
    folder.connection()->execute(QStringLiteral("UPDATE \"productDF\" SET 产品1名称 = '打印机', 产品5名称 = '扫描仪'"));
    open();
    EXPECT_EQ(control<QLabel>("Label2(0)")->text(), QStringLiteral("R1:打印机"));
    EXPECT_EQ(control<QLabel>("Label2(1)")->text(), QStringLiteral("R2:"));
    EXPECT_EQ(control<QLabel>("Label2(4)")->text(), QStringLiteral("R5:扫描仪"));
    EXPECT_EQ(state().productNames().value(4), QStringLiteral("扫描仪"));
    EXPECT_EQ(control<QLabel>("Label1(6)")->text(), QStringLiteral("合计1"));
    // Names renamed at another seat reach the program's state; the legend follows at once.
    state().setProductNames({QStringLiteral("复印机"), QStringLiteral("传真机")});
    EXPECT_EQ(control<QLabel>("Label2(0)")->text(), QStringLiteral("R1:复印机"));
    EXPECT_EQ(control<QLabel>("Label2(4)")->text(), QStringLiteral("R5:"));
}

TEST_F(MainWindowTest, TheProductMappingOpensOnceAndItsNamesReachTheLegend)
{
    open();
    window->findChild<QAction*>("definition2")->trigger();
    window->findChild<QAction*>("definition2")->trigger();
    QList<definitionFm1*> mappings;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<definitionFm1*>(w))
            mappings << m;
    ASSERT_EQ(mappings.size(), 1);
    mappings[0]->findChild<QLineEdit*>("Text1(1)")->setText(QStringLiteral("复印机"));
    QTest::mouseClick(mappings[0]->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    mappings[0]->close();
    window->Form_Activate();   // coming back to the main window
    EXPECT_EQ(control<QLabel>("Label2(1)")->text(), QStringLiteral("R2:复印机"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainWindowTest, ThePrintMenuOpensEachReportOnceForTheCurrentPlan)
{
    executePlan("2026-01", "春季直邮", {3, 4});
    executePlan("2026-02", "电话营销", {1, 2, 5});
    open();
    for (const char* item : {"print1", "print1", "print2", "print3", "print3"})
        window->findChild<QAction*>(QString::fromUtf8(item))->trigger();
    QMap<QString, ReportWindow*> reports;
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* r = qobject_cast<ReportWindow*>(w); r && r->isVisible()) {
            reports[r->objectName()] = r;
            ++count;
        }
    ASSERT_EQ(count, 3);
    EXPECT_EQ(reports["printFm10"]->windowTitle(), QStringLiteral("打印反馈记录"));
    EXPECT_EQ(reports["printFm11"]->windowTitle(), QStringLiteral("打印客户反馈记录"));
    EXPECT_EQ(reports["printFm12"]->windowTitle(), QStringLiteral("打印反馈统计总表"));
    // The daily report is the current plan's (the last one executed): three days, one page.
    EXPECT_EQ(reports["printFm10"]->findChild<QLineEdit*>("Text1(0)")->text(), QStringLiteral("终止页：1"));
    EXPECT_EQ(reports["printFm11"]->findChild<QLineEdit*>("Text1(2)")->text(), QStringLiteral("第 0 页"));
    for (ReportWindow* r : reports)
        r->close();
}

TEST_F(MainWindowTest, TheImportMenuItemOpensTheImportWindowOnce)
{
    open();
    window->findChild<QAction*>("inputClient")->trigger();
    window->findChild<QAction*>("inputClient")->trigger();
    QList<mainFm3*> imports;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<mainFm3*>(w))
            imports << m;
    ASSERT_EQ(imports.size(), 1);
    EXPECT_TRUE(imports[0]->isVisible());
    EXPECT_EQ(imports[0]->windowTitle(), QStringLiteral("导入数据"));
    imports[0]->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainWindowTest, AnExecutedPlanIsCurrentWhenTheUserComesBack)
{
    executePlan("A", "旧计划", {3});
    folder.connection()->execute(QStringLiteral("INSERT INTO \"planTable\" (序号, 题目) VALUES ('B', '新计划')"));
    open();
    window->findChild<QAction*>("createMarketing")->trigger();
    window->findChild<QAction*>("createMarketing")->trigger();
    Form3* editor = nullptr;
    int editors = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* e = qobject_cast<Form3*>(w)) {
            editor = e;
            ++editors;
        }
    ASSERT_EQ(editors, 1);
    QTest::mouseClick(editor->findChild<QPushButton*>("Command6"), Qt::LeftButton);
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("现在执行B计划!"));
    window->Form_Activate();
    EXPECT_EQ(currentPlan(), QStringLiteral("B"));
    EXPECT_EQ(text("Text1"), QStringLiteral("2/2"));
    EXPECT_EQ(text("Text2"), QStringLiteral("1/1"));
    editor->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainWindowTest, TheChartButtonOpensThePlanComparisonOnceAndOnlyWithPlans)
{
    auto chartWindows = [] {
        int found = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            found += qobject_cast<chartFm1*>(w) != nullptr;
        return found;
    };
    open();
    click("Command9");
    EXPECT_EQ(chartWindows(), 0);
    executePlan("1", "一", {1});
    executePlan("2", "二", {2});
    window->Form_Activate();
    click("Command9");
    click("Command9");
    EXPECT_EQ(chartWindows(), 1);
    EXPECT_EQ(window->planRows()->absolutePosition(), 2);   // the current plan stays
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* chart = qobject_cast<chartFm1*>(w))
            chart->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainWindowTest, ExitAsksFirstAndCancelKeepsEverything)
{
    executePlan("1", "一", {1});
    open();
    dialogs.queueMessage(MsgAnswer::Cancel);
    window->findChild<QAction*>("exit2")->trigger();
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("确实要退出该系统吗？"));
    EXPECT_EQ(currentPlan(), QStringLiteral("1"));

    // The program's event loop ends with 0 on OK; Cancel leaves it running (until the test ends it).
    auto runExit = [this](MsgAnswer answer) {
        dialogs.queueMessage(answer);
        QTimer triggerExit;
        triggerExit.setSingleShot(true);
        QObject::connect(&triggerExit, &QTimer::timeout, [this] { window->findChild<QAction*>("exit2")->trigger(); });
        triggerExit.start(0);
        QTimer stillRunning;
        stillRunning.setSingleShot(true);
        QObject::connect(&stillRunning, &QTimer::timeout, [] { QApplication::exit(7); });
        stillRunning.start(300);
        return QApplication::exec();
    };
    EXPECT_EQ(runExit(MsgAnswer::Cancel), 7);
    EXPECT_EQ(runExit(MsgAnswer::Ok), 0);

    // A plan typed and not saved in the plan editor: leaving asks about it, and keeping it
    // keeps the program running.
    window->findChild<QAction*>("createMarketing")->trigger();
    QWidget* editor = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("Form3"))
            editor = widget;
    ASSERT_TRUE(editor);
    editor->findChild<QLineEdit*>("Text1(1)")->setText(QStringLiteral("未保存的题目"));
    dialogs.queueSaveAnswer(SaveAnswer::Cancel);
    EXPECT_EQ(runExit(MsgAnswer::Ok), 7);
    EXPECT_TRUE(editor->isVisible());
    dialogs.queueSaveAnswer(SaveAnswer::Discard);
    EXPECT_EQ(runExit(MsgAnswer::Ok), 0);
}

TEST_F(MainWindowTest, MenusCarryTheirCaptionsAndControlsTheirAccessibleNames)
{
    open();
    window->show();
    const QList<std::pair<const char*, const char*>> items = {
        {"exit2", "退出该系统"}, {"createMarketing", "创建营销计划"}, {"effectAnalysis", "营销效果分析"},
        {"inputClient", "营销对象数据导入"},
        {"recordBack1", "记录反馈"}, {"browseFeedback", "营销对象反馈浏览"}, {"cilentTableTotal", "营销对象表维护"},
        {"maintainTable2", "每日反馈统计表维护"}, {"definition2", "产品对照定义"}, {"print1", "打印反馈统计表"},
        {"print2", "打印客户反馈表"}, {"print3", "打印统计总表"}};
    for (const auto& [name, caption] : items) {
        auto* action = window->findChild<QAction*>(QString::fromUtf8(name));
        ASSERT_TRUE(action) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption));
    }
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Marquel"));
    auto* first = control<QPushButton>("Command1(0)");
    EXPECT_EQ(first->accessibleName(), QStringLiteral("<<"));
    EXPECT_EQ(first->accessibleDescription(), QStringLiteral("Command1(0)"));
    EXPECT_EQ(control<QPushButton>("Command8")->accessibleName(), QStringLiteral("删除"));
    EXPECT_EQ(control<DataGrid>("DataGrid2")->accessibleDescription(), QStringLiteral("DataGrid2"));
}

TEST(StartUpTest, TheSplashStaysUntilClickedThenTheMainWindowOpens)
{
    TempAppFolder folder;
    ScriptedDialogs::installNew();
    F5* splash = StartUp::showSplash(folder.path());
    QPointer<F5> alive(splash);
    EXPECT_EQ(splash->windowTitle(), QStringLiteral("Tembra咨询中心"));
    QTest::qWait(50);
    EXPECT_EQ(qApp->findChild<mainFm1*>(), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<mainFm1*>(w) && w->isVisible());

    QTest::mouseClick(splash->Picture1, Qt::LeftButton);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    mainFm1* main = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<mainFm1*>(w))
            main = candidate;
    ASSERT_TRUE(main);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->state().connection());
    EXPECT_EQ(main->state().appPath(), folder.path());
    delete main;
    Dialogs::install(nullptr);
}

TEST(StartUpTest, AMissingDatabaseIsReportedAndNoWindowOpens)
{
    QTemporaryDir empty;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    F5* splash = StartUp::showSplash(empty.path());
    splash->Form_Click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_TRUE(dialogs.log()[0].text.contains(QStringLiteral("Tembra_Estimation.db")));
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<mainFm1*>(w));
    Dialogs::install(nullptr);
}


TEST_F(MainWindowTest, ARowSelectorClickOrADragChoosesThePlanHighlighted)
{
    executePlan("1", "一", {1}, 2);
    executePlan("2", "二", {2, 2});
    executePlan("3", "三", {3, 3, 3});
    open();
    window->show();
    auto* grid = control<DataGrid>("DataGrid1");
    auto expectPlan = [&](const QString& no, const QString& position) {
        EXPECT_EQ(grid->currentRowNumber() + 1, position.section('/', 0, 0).toInt());
        EXPECT_EQ(currentPlan(), no);
        EXPECT_EQ(text("Text1"), position);
        EXPECT_EQ(window->dayRows()->text(QStringLiteral("序号")), no);
        EXPECT_EQ(control<DataGrid>("DataGrid2")->recordset(), window->dayRows());
        EXPECT_EQ(currentDayPhones(), no.toInt());
    };

    QHeaderView* selectors = grid->verticalHeader();
    QTest::mouseClick(selectors->viewport(), Qt::LeftButton, {},
                      QPoint(selectors->width() / 2, selectors->sectionViewportPosition(0) + 3));
    expectPlan("1", "1/3");

    // Pressed on the first row, released on the third.
    const QPoint first = grid->visualRect(grid->model()->index(0, 1)).center();
    const QPoint third = grid->visualRect(grid->model()->index(2, 1)).center();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, first);
    QMouseEvent move(QEvent::MouseMove, third, grid->viewport()->mapToGlobal(third), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, third);
    expectPlan("3", "3/3");

    // "删除" deletes the plan that is highlighted and current.
    QTest::mouseClick(selectors->viewport(), Qt::LeftButton, {},
                      QPoint(selectors->width() / 2, selectors->sectionViewportPosition(0) + 3));
    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command8");
    EXPECT_EQ(count("Select * From \"marketingComment\" Where 序号 = '1'"), 0);
    EXPECT_EQ(count("Select * From \"clientTableInfo\""), 0);
    EXPECT_EQ(count("Select * From \"marketingComment\""), 2);
}

TEST_F(MainWindowTest, AFailingStepOfTheRefreshIsSkippedAndTheRestStillRun)
{
    executePlan("A1", "春季", {2, 3});
    open();
    folder.connection()->execute(QStringLiteral("DROP TABLE \"productDF\""));
    window->Form_Activate();
    EXPECT_EQ(text("Text1"), QStringLiteral("1/1"));   // the steps before and after ran
    EXPECT_EQ(text("Text2"), QStringLiteral("1/2"));
    EXPECT_EQ(currentDayPhones(), 2);
    ASSERT_EQ(dialogs.log().size(), 1);                 // one message for the failed step
    const QString said = dialogs.log().last().text;
    EXPECT_TRUE(said.contains(QStringLiteral("productDF"))) << said.toStdString();
    for (const char* sql : {"Select", "From", "Where"})
        EXPECT_FALSE(said.contains(QString::fromUtf8(sql), Qt::CaseInsensitive)) << said.toStdString();
}

TEST_F(MainWindowTest, StartingUpRefreshesTheMainWindowOnce)
{
    executePlan("A1", "春季", {1});
    F5* splash = StartUp::showSplash(folder.path());
    QApplication::setActiveWindow(splash);   // the user is on the splash and clicks it
    QApplication::processEvents();
    emit splash->continueRequested();
    mainFm1* started = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<mainFm1*>(w))
            started = m;
    ASSERT_TRUE(started);
    const std::shared_ptr<Recordset> refreshed = started->planRows();   // held, so a new one differs
    ASSERT_TRUE(refreshed);
    EXPECT_EQ(started->state().currentPlanNo(), QStringLiteral("A1"));
    QApplication::setActiveWindow(started);
    QApplication::processEvents();
    EXPECT_EQ(started->planRows(), refreshed);   // the first activation read nothing again
    EXPECT_FALSE(StartUp::startFailed());
    delete started;
    delete splash;
}

TEST_F(MainWindowTest, ASecondCopyOnTheSameDatabaseIsRefusedUntilTheFirstEnds)
{
    QLockFile otherCopy(folder.databasePath() + QStringLiteral(".lock"));
    ASSERT_TRUE(otherCopy.tryLock(0));
    EXPECT_EQ(mainFm1::load(folder.path()), nullptr);
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("另一个正在运行的 Marquel")));
    otherCopy.unlock();
    window.reset(mainFm1::load(folder.path()));
    EXPECT_TRUE(window);
    // While this copy runs, the lock is its own; it goes when the program's state is dropped.
    QLockFile later(folder.databasePath() + QStringLiteral(".lock"));
    EXPECT_FALSE(later.tryLock(0));
    window.reset();
    EXPECT_TRUE(later.tryLock(0));
}

TEST_F(MainWindowTest, AChosenDatabaseIsNamedInTheCaptionLockedAndRememberedOnceItOpened)
{
    const QString other = folder.filePath(QStringLiteral("华东分部.db"));
    Schema::createMainDatabase(other);
    QSettings(QStringLiteral("Marquel"), QStringLiteral("Marquel")).clear();

    // A chosen file that is not there: said so, nothing remembered.
    const QString missing = folder.filePath(QStringLiteral("没有.db"));
    F5* splash = StartUp::showSplash(folder.path(), DatabaseChoice::decide(missing, {}, folder.databasePath()));
    emit splash->continueRequested();
    delete splash;
    EXPECT_TRUE(StartUp::startFailed());
    EXPECT_EQ(DatabaseChoice::rememberedLocation(), QString());

    splash = StartUp::showSplash(folder.path(), DatabaseChoice::decide(other, {}, folder.databasePath()));
    emit splash->continueRequested();
    delete splash;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* started = qobject_cast<mainFm1*>(w))
            window.reset(started);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Marquel - 华东分部.db"));
    EXPECT_EQ(window->state().connection()->path(), other);
    EXPECT_EQ(DatabaseChoice::rememberedLocation(), other);
    EXPECT_FALSE(QLockFile(other + QStringLiteral(".lock")).tryLock(0));
    window.reset();

    // The file beside the program keeps the plain caption.
    window.reset(mainFm1::load(folder.path(), folder.databasePath()));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Marquel"));
}

TEST_F(MainWindowTest, AnEmptyServerDatabaseGetsTheProgramsTablesWhenTheUserAgrees)
{
    const QString server = TestServer::freshDatabase();
    const QString seat = QUrl(server).path().mid(1) + QStringLiteral("@localhost");
    const QString question = QStringLiteral("数据库“%1”中还没有本程序的表，是否现在创建？").arg(seat);

    dialogs.queueMessage(MsgAnswer::No);
    EXPECT_EQ(mainFm1::load(folder.path(), server), nullptr);
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log()[0].text, question);
    EXPECT_TRUE(Connection::open(server)->tables().isEmpty());

    dialogs.queueMessage(MsgAnswer::Yes);
    window.reset(mainFm1::load(folder.path(), server));
    ASSERT_TRUE(window);
    EXPECT_EQ(dialogs.log().size(), 2);
    EXPECT_TRUE(Schema::hasMainTables(*Connection::open(server)));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Marquel - ") + seat);
    EXPECT_EQ(window->state().connection()->location(), server);
    window->Form_Activate();
    EXPECT_EQ(dialogs.log().size(), 2);   // the refresh ran without a message
    window.reset();

    // Some of the tables but not all: not the program's database, or a damaged one.
    Connection::open(server)->execute(QStringLiteral("DROP TABLE \"productDF\""));
    EXPECT_EQ(mainFm1::load(folder.path(), server), nullptr);
    ASSERT_EQ(dialogs.log().size(), 3);
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("缺少表“productDF”"))) << dialogs.log().last().text.toStdString();
}

TEST_F(MainWindowTest, ThePlanShownDeletedElsewhereGivesWayToTheNextWithItsDaysAndChart)
{
    executePlan("A1", "春季", {2, 4});
    executePlan("B2", "秋季", {3});
    open();
    ASSERT_EQ(currentPlan(), QStringLiteral("B2"));
    ASSERT_EQ(currentDayPhones(), 3);

    // Another seat deleted the plan this one shows; its notice arrives.
    folder.connection()->execute(QStringLiteral("DELETE FROM \"marketingComment\" WHERE 序号 = 'B2'"));
    folder.connection()->execute(QStringLiteral("DELETE FROM \"feedbackTable\" WHERE 序号 = 'B2'"));
    emit state().changed(ChangeNotice{ChangeNotice::Table::ExecutedPlans, QStringLiteral("B2")});
    emit state().changed(ChangeNotice{ChangeNotice::Table::DailyRows, QStringLiteral("B2")});

    EXPECT_EQ(text("Text1"), QStringLiteral("1/1"));
    EXPECT_EQ(currentPlan(), QStringLiteral("A1"));
    EXPECT_EQ(window->dayRows()->recordCount(), 2);
    EXPECT_EQ(text("Text2"), QStringLiteral("1/2"));
    EXPECT_EQ(currentDayPhones(), 2);   // not the deleted plan's day
    EXPECT_TRUE(dialogs.log().isEmpty());
}

TEST_F(MainWindowTest, TheLockOfACopyThatCrashedIsTakenOver)
{
    // A lock file left by a process that no longer runs.
    QFile lock(folder.databasePath() + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("999999\nmarquel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    window.reset(mainFm1::load(folder.path()));
    EXPECT_TRUE(window);
    EXPECT_TRUE(dialogs.log().isEmpty());
}

TEST_F(MainWindowTest, AnEmptyDatabaseFileStopsTheStartWithOneMessageAndAFailureStatus)
{
    QFile::remove(folder.databasePath());
    QFile(folder.databasePath()).open(QIODevice::WriteOnly);   // zero bytes
    F5* splash = StartUp::showSplash(folder.path());
    emit splash->continueRequested();
    EXPECT_TRUE(StartUp::startFailed());
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("缺少表")));
    EXPECT_FALSE(dialogs.log().last().text.contains(QStringLiteral("no such table")));
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<mainFm1*>(w));
    delete splash;
    EXPECT_EQ(QFileInfo(folder.databasePath()).size(), 0);   // the file is left as it was
}

} // namespace

namespace {

TEST_F(MainWindowTest, TheFeedbackBrowserOpensOnceOnTheCurrentPlansTargets)
{
    auto browsers = [] {
        QList<clientBrowseFm1*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<clientBrowseFm1*>(w))
                found << b;
        return found;
    };
    executePlan("A", "旧计划", {1}, 5);
    executePlan("B", "新计划", {2}, 3);
    open();
    window->findChild<QAction*>("browseFeedback")->trigger();
    window->findChild<QAction*>("browseFeedback")->trigger();
    const QList<clientBrowseFm1*> opened = browsers();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0]->findChild<QLineEdit*>("Text2")->text(), QStringLiteral("1/3"));   // plan B's targets
    opened[0]->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(browsers().isEmpty());
}

TEST_F(MainWindowTest, MovingToAPlanWithoutDaysLeavesNoChartOfThePreviousPlan)
{
    executePlan("A", "有反馈", {4, 6});
    executePlan("B", "无反馈", {});
    open();
    auto* cumulative = control<ChartControl>(QStringLiteral("MSChart1"));
    click("Command1(0)");   // plan A
    QTest::mouseClick(control<QRadioButton>("Option2"), Qt::LeftButton);
    ASSERT_FALSE(cumulative->isBlank());
    ASSERT_EQ(cumulative->rowCount(), 1);

    click("Command1(3)");   // plan B, without days
    EXPECT_TRUE(cumulative->isBlank());
    EXPECT_TRUE(control<ChartControl>(QStringLiteral("MSChart3"))->isBlank());
    QTest::mouseClick(control<QRadioButton>("Option4"), Qt::LeftButton);   // draws nothing
    EXPECT_TRUE(control<QRadioButton>("Option2")->isChecked());          // the panel still shown
    EXPECT_FALSE(control<QRadioButton>("Option4")->isChecked());
}

} // namespace

TEST_F(MainWindowTest, ThePlanTheUserChoseStaysCurrentUntilPlansComeOrGo)
{
    executePlan("2026-01", "一月", {4});
    executePlan("2026-02", "二月", {6});
    open();
    click("Command1(0)");   // "<<": the user chooses the first plan
    ASSERT_EQ(currentPlan(), QStringLiteral("2026-01"));
    window->Form_Activate();   // back from another window
    EXPECT_EQ(currentPlan(), QStringLiteral("2026-01"));
    EXPECT_EQ(text("Text1"), QStringLiteral("1/2"));
    EXPECT_EQ(window->dayRows()->values(), QVariantList{QStringLiteral("2026-01")});

    executePlan("2026-03", "三月", {1});   // a plan executed meanwhile: the newest becomes current
    window->Form_Activate();
    EXPECT_EQ(currentPlan(), QStringLiteral("2026-03"));
    EXPECT_EQ(text("Text1"), QStringLiteral("3/3"));
}

TEST_F(MainWindowTest, TheImportWindowsExitLeavesAsTheMainWindowsExitDoes)
{
    executePlan("1", "一", {1});
    open();
    window->findChild<QAction*>("createMarketing")->trigger();
    window->findChild<QAction*>("inputClient")->trigger();
    QWidget* editor = nullptr;
    QWidget* importer = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("Form3"))
            editor = widget;
        if (widget->objectName() == QStringLiteral("mainFm3"))
            importer = widget;
    }
    ASSERT_TRUE(editor && importer);
    editor->findChild<QLineEdit*>("Text1(1)")->setText(QStringLiteral("未保存的题目"));

    QApplication::processEvents();   // what earlier tests left to run ends no loop of this one
    auto exitFromImport = [importer] {
        QTimer::singleShot(0, importer, [importer] { importer->findChild<QAction*>("exit")->trigger(); });
        QTimer::singleShot(300, [] { QApplication::exit(7); });
        return QApplication::exec();
    };
    dialogs.queueMessage(MsgAnswer::Ok);
    dialogs.queueSaveAnswer(SaveAnswer::Cancel);   // the plan editor keeps its typing
    EXPECT_EQ(exitFromImport(), 7);
    EXPECT_EQ(dialogs.log()[0].text, QStringLiteral("确实要退出该系统吗？"));
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("创建营销计划（计划“1 未保存的题目”）有未保存的修改，是否保存？"));
    EXPECT_TRUE(editor->isVisible());

    // Closing the main window by its frame asks the same way.
    dialogs.queueSaveAnswer(SaveAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(editor->isVisible());
    dialogs.queueSaveAnswer(SaveAnswer::Discard);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(editor->isVisible());
}
