#include "mainFm1.h"

#include "charts/FeedbackChartPanel.h"
#include "charts/chartFm1.h"
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
#include "core/TextRules.h"
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
    try {
        state.dbConnection = Connection::open(QDir(appPath).filePath(Schema::MainDatabaseName));
    } catch (const DbError& error) {
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
    addItem(recordBack, QStringLiteral("browseFeedback"), QStringLiteral("营销对象反馈浏览"));

    QMenu* maintainTable = menu(QStringLiteral("maintainTable"), QStringLiteral("表维护"));
    addItem(maintainTable, QStringLiteral("cilentTableTotal"), QStringLiteral("营销对象表维护"));
    connect(addItem(maintainTable, QStringLiteral("maintainTable2"), QStringLiteral("每日反馈统计表维护")), &QAction::triggered,
            this, &mainFm1::maintainTable2_Click);

    QMenu* definition = menu(QStringLiteral("definition"), QStringLiteral("产品对照表定义"));
    connect(addItem(definition, QStringLiteral("definition2"), QStringLiteral("产品对照定义")), &QAction::triggered, this,
            &mainFm1::definition2_Click);

    QMenu* print0 = menu(QStringLiteral("print0"), QStringLiteral("打印"));
    addItem(print0, QStringLiteral("print1"), QStringLiteral("打印反馈统计表"));
    addItem(print0, QStringLiteral("print2"), QStringLiteral("打印客户反馈表"));
    addItem(print0, QStringLiteral("print3"), QStringLiteral("打印统计总表"));
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

void mainFm1::Form_Activate()
{
    AppState& state = AppState::instance();
    try {
        ExecutedPlans::openPlans(state);
        DataGrid1->bind(state.planRecordset());
        showPlanPosition();
        reopenPlanFeedback();
        setLabel();
        drawCurrentDay();
        chartPanel->setProductLegend(state.productNames);
    } catch (const DbError& error) {
        reportError(error.description());
    }
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

void mainFm1::maintainTable2_Click()
{
    showSingle<feedbackFm1>(dailyTable_, [] { return new feedbackFm1; });
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
