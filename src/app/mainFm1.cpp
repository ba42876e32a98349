#include "mainFm1.h"

#include "charts/FeedbackChartPanel.h"
#include "charts/chartFm1.h"
#include "charts/clientBrowseFm1.h"
#include "core/AppState.h"
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/DbError.h"
#include "controls/Dialogs.h"
#include "core/ExecutedPlans.h"
#include "core/Navigation.h"
#include "controls/RecordControls.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "controls/SingleWindow.h"
#include "feedback/Form5.h"
#include "feedback/feedbackFm1.h"
#include "plans/Form3.h"
#include "plans/definitionFm1.h"
#include "reports/ReportDefinitions.h"
#include "reports/ReportWindow.h"
#include "core/TextRules.h"
#include "exchange/export/fbTFixFm1.h"
#include "exchange/export/outputFm2.h"
#include "exchange/mainFm3.h"

#include <QApplication>
#include <functional>
#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 12120;
constexpr int HeightTwips = 11700;

bool hasRows(const std::shared_ptr<Recordset>& recordset)
{
    return recordset && recordset->recordCount() > 0;
}

} // namespace

mainFm1* mainFm1::load(const QString& appPath)
{
    AppState& state = AppState::instance();
    state.dbConnection.reset();
    const QString databasePath = QDir(appPath).filePath(Schema::MainDatabaseName);
    try {
        state.lockDatabase(databasePath);
        auto connection = Connection::open(databasePath);
        Schema::checkMainDatabase(*connection);
        Schema::ensureRowMarks(*connection);
        state.dbConnection = connection;
    } catch (const DbError& error) {
        state.releaseDatabase();
        Dialogs::instance().message(error.description(), QStringLiteral("Marquel"), MsgButtons::Ok, MsgIcon::Critical);
        return nullptr;
    }
    state.appPath = QDir::cleanPath(appPath);
    return new mainFm1;
}

mainFm1::mainFm1()
    : FormWindow(QStringLiteral("mainFm1"), QStringLiteral("Marquel"), WidthTwips, HeightTwips)
{
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    buildMenu(bar);
    layout->setMenuBar(bar);

    chartPanel = new FeedbackChartPanel(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(buildGrids());
    splitter->addWidget(chartPanel);
    splitter->setStretchFactor(0, 5);
    splitter->setStretchFactor(1, 6);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    connect(this, &FormWindow::activated, this, &mainFm1::Form_Activate);
    // Whoever opens other daily rows (another plan made current anywhere), the grid shows them.
    connect(&AppState::instance(), &AppState::planFeedbackRecordsetReplaced, this, [this] {
        DataGrid2->bind(AppState::instance().planFeedbackRecordset());
        showDayPosition();
    });
    connect(chartPanel, &FeedbackChartPanel::chartWindowRequested, this,
            [this] { showSingle<chartFm1>(chartWindow_, [] { return new chartFm1; }); });
}

QAction* mainFm1::addItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void mainFm1::buildMenu(QMenuBar* bar)
{
    auto menu = [bar](const QString& name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(name);
        return m;
    };
    QMenu* exit1 = menu(QStringLiteral("exit1"), QStringLiteral("退出"));
    connect(addItem(exit1, QStringLiteral("exit2"), QStringLiteral("退出该系统")), &QAction::triggered, this,
            &mainFm1::exit2_Click);

    QMenu* marketing = menu(QStringLiteral("marketing"), QStringLiteral("营销计划"));
    connect(addItem(marketing, QStringLiteral("createMarketing"), QStringLiteral("创建营销计划")), &QAction::triggered,
            this, &mainFm1::createMarketing_Click);

    QMenu* recordBack = menu(QStringLiteral("recordBack"), QStringLiteral("营销对象（客户）"));
    connect(addItem(recordBack, QStringLiteral("inputClient"), QStringLiteral("营销对象数据导入")), &QAction::triggered,
            this, &mainFm1::inputClient_Click);
    connect(addItem(recordBack, QStringLiteral("recordBack1"), QStringLiteral("记录反馈")), &QAction::triggered, this,
            &mainFm1::recordBack1_Click);
    connect(addItem(recordBack, QStringLiteral("browseFeedback"), QStringLiteral("营销对象反馈浏览")), &QAction::triggered,
            this, &mainFm1::browseFeedback_Click);

    QMenu* maintainTable = menu(QStringLiteral("maintainTable"), QStringLiteral("表维护"));
    connect(addItem(maintainTable, QStringLiteral("cilentTableTotal"), QStringLiteral("营销对象表维护")), &QAction::triggered,
            this, &mainFm1::cilentTableTotal_Click);
    connect(addItem(maintainTable, QStringLiteral("maintainTable2"), QStringLiteral("每日反馈统计表维护")), &QAction::triggered,
            this, &mainFm1::maintainTable2_Click);

    QMenu* definition = menu(QStringLiteral("definition"), QStringLiteral("产品对照表定义"));
    connect(addItem(definition, QStringLiteral("definition2"), QStringLiteral("产品对照定义")), &QAction::triggered, this,
            &mainFm1::definition2_Click);

    QMenu* print0 = menu(QStringLiteral("print0"), QStringLiteral("打印"));
    connect(addItem(print0, QStringLiteral("print1"), QStringLiteral("打印反馈统计表")), &QAction::triggered, this,
            &mainFm1::print1_Click);
    connect(addItem(print0, QStringLiteral("print2"), QStringLiteral("打印客户反馈表")), &QAction::triggered, this,
            &mainFm1::print2_Click);
    connect(addItem(print0, QStringLiteral("print3"), QStringLiteral("打印统计总表")), &QAction::triggered, this,
            &mainFm1::print3_Click);
}

QWidget* mainFm1::buildGrids()
{
    auto* area = new QWidget(this);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);

    auto navigationRow = [area](QLineEdit*& position, QPushButton* (&buttons)[4], const QString& textName,
                                const QString& buttonName, const std::function<void(int)>& onClick) {
        auto* row = new QHBoxLayout;
        position = RecordControls::positionBox(textName, area);
        row->addWidget(position);
        RecordControls::navigationButtons(buttons, buttonName, area, row, onClick);
        return row;
    };

    DataGrid1 = new DataGrid(area);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    layout->addWidget(DataGrid1, 1);
    QHBoxLayout* planRow = navigationRow(Text1, Command1, QStringLiteral("Text1"), QStringLiteral("Command1"),
                                         [this](int i) { Command1_Click(i); });
    planRow->addStretch(1);
    Command8 = new QPushButton(QStringLiteral("删除"), area);
    Command8->setObjectName(QStringLiteral("Command8"));
    planRow->addWidget(Command8);
    layout->addLayout(planRow);

    DataGrid2 = new DataGrid(area);
    DataGrid2->setObjectName(QStringLiteral("DataGrid2"));
    layout->addWidget(DataGrid2, 1);
    QHBoxLayout* dayRow = navigationRow(Text2, Command2, QStringLiteral("Text2"), QStringLiteral("Command2"),
                                        [this](int i) { Command2_Click(i); });
    dayRow->addStretch(1);
    layout->addLayout(dayRow);

    connect(Command8, &QPushButton::clicked, this, &mainFm1::Command8_Click);
    connect(DataGrid1, &DataGrid::gridClicked, this, &mainFm1::DataGrid1_Click);
    connect(DataGrid2, &DataGrid::gridClicked, this, &mainFm1::DataGrid2_Click);
    return area;
}

void mainFm1::reportError(const QString& description)
{
    Dialogs::instance().message(description, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
}

void mainFm1::showPlanPosition()
{
    const auto plans = AppState::instance().planRecordset();
    Text1->setText(plans ? TextRules::positionText(plans->absolutePosition(), plans->recordCount())
                         : QStringLiteral("0/0"));
}

void mainFm1::showDayPosition()
{
    const auto days = AppState::instance().planFeedbackRecordset();
    Text2->setText(days ? TextRules::positionText(days->absolutePosition(), days->recordCount())
                        : QStringLiteral("0/0"));
}

void mainFm1::reopenPlanFeedback()
{
    AppState& state = AppState::instance();
    ExecutedPlans::openPlanFeedback(state);
    DataGrid2->bind(state.planFeedbackRecordset());
    showDayPosition();
}

void mainFm1::drawCurrentDay()
{
    chartPanel->chart3();
    chartPanel->selectCurrentDayOption();
}

// Each step runs even when an earlier one failed; the first failure is told once.
void mainFm1::Form_Activate()
{
    AppState& state = AppState::instance();
    QString firstFailure;
    auto step = [&firstFailure](const std::function<void()>& work) {
        try {
            work();
        } catch (const DbError& error) {
            if (firstFailure.isEmpty())
                firstFailure = error.description();
        }
    };
    step([&] {
        state.setPlanRecordset(nullptr);
        state.setPlanRecordset(state.openRecordset(QStringLiteral("Select * From marketingComment")));
        DataGrid1->bind(state.planRecordset());
    });
    step([&] {
        ExecutedPlans::moveToLastPlan(state);
        showPlanPosition();
    });
    step([&] { reopenPlanFeedback(); });
    step([&] { showDayPosition(); });
    step([&] { setLabel(); });
    step([&] { drawCurrentDay(); });
    step([&] { chartPanel->setProductLegend(state.productNames); });
    if (!firstFailure.isEmpty())
        reportError(firstFailure);
}

void mainFm1::setLabel()
{
    ExecutedPlans::loadProductNames(AppState::instance());
}

void mainFm1::Command1_Click(int index)
{
    AppState& state = AppState::instance();
    const auto plans = state.planRecordset();
    if (!hasRows(plans))
        return;
    try {
        Navigation::move(*plans, index);
        showPlanPosition();
        ExecutedPlans::takeCurrentPlan(state);
        reopenPlanFeedback();   // the charts keep the previous plan until a day is chosen
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void mainFm1::Command2_Click(int index)
{
    const auto days = AppState::instance().planFeedbackRecordset();
    if (!hasRows(days))
        return;
    try {
        Navigation::move(*days, index);
        showDayPosition();
        drawCurrentDay();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void mainFm1::DataGrid1_Click()
{
    AppState& state = AppState::instance();
    if (!hasRows(state.planRecordset()))
        return;
    try {
        showPlanPosition();
        ExecutedPlans::takeCurrentPlan(state);
        reopenPlanFeedback();
        drawCurrentDay();
    } catch (const DbError&) {
        // a click that cannot be followed leaves the window as it was
    }
}

void mainFm1::DataGrid2_Click()
{
    if (!hasRows(AppState::instance().planFeedbackRecordset()))
        return;
    try {
        showDayPosition();
        drawCurrentDay();
    } catch (const DbError&) {
    }
}

void mainFm1::Command8_Click()
{
    AppState& state = AppState::instance();
    if (!hasRows(state.planRecordset()))
        return;
    const MsgAnswer answer = Dialogs::instance().message(QStringLiteral("确实要删除该记录吗？"), QStringLiteral("信息提示"),
                                                         MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok)
        return;
    try {
        ExecutedPlans::deleteCurrentPlan(state);
        state.announceClientRowsChanged();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    Form_Activate();
}

void mainFm1::createMarketing_Click()
{
    showSingle<Form3>(planEditor_, [] { return new Form3; });
}

void mainFm1::inputClient_Click()
{
    showSingle<mainFm3>(importWindow_, [] { return new mainFm3; });
}

void mainFm1::recordBack1_Click()
{
    if (!AppState::instance().planFeedbackRecordset())
        return;
    showSingle<Form5>(feedbackWindow_, [] { return new Form5; });
}

void mainFm1::browseFeedback_Click()
{
    showSingle<clientBrowseFm1>(browseWindow_, [this] {
        auto* browser = new clientBrowseFm1;
        // The browser's "导出" exports the current plan's responders in the export window.
        connect(browser, &clientBrowseFm1::exportRequested, this,
                [this] { showSingle<outputFm2>(responderExport_, [] { return new outputFm2; }); });
        return browser;
    });
}

void mainFm1::maintainTable2_Click()
{
    showSingle<feedbackFm1>(dailyTable_, [] { return new feedbackFm1; });
}

void mainFm1::print1_Click()
{
    showSingle<ReportWindow>(statisticsReport_, [] { return new ReportWindow(ReportDefinitions::feedbackStatistics()); });
}

void mainFm1::print2_Click()
{
    showSingle<ReportWindow>(addressBookReport_, [] { return new ReportWindow(ReportDefinitions::respondingClients()); });
}

void mainFm1::print3_Click()
{
    showSingle<ReportWindow>(summaryReport_, [] { return new ReportWindow(ReportDefinitions::campaignSummary()); });
}

void mainFm1::cilentTableTotal_Click()
{
    showSingle<fbTFixFm1>(targetTable_, [] { return new fbTFixFm1; });
}

void mainFm1::definition2_Click()
{
    showSingle<definitionFm1>(definitionWindow_, [] { return new definitionFm1; });
}

void mainFm1::exit2_Click()
{
    const MsgAnswer answer = Dialogs::instance().message(QStringLiteral("确实要退出该系统吗？"), QStringLiteral("信息提示"),
                                                         MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok)
        return;
    AppState::instance().reset();
    QApplication::exit(0);
}
