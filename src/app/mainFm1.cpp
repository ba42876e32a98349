#include "mainFm1.h"

#include "charts/FeedbackChartPanel.h"
#include "charts/EffectTable.h"
#include "charts/chartFm1.h"
#include "charts/effectFm1.h"
#include "charts/clientBrowseFm1.h"
#include "DatabaseChoice.h"
#include "DatabaseLock.h"
#include "campaign/PlanDeletion.h"
#include "campaign/PlanRows.h"
#include "campaign/ProductNames.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/DbError.h"
#include "controls/Dialogs.h"
#include "core/Navigation.h"
#include "controls/RecordControls.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "core/SchemaVersion.h"
#include "core/SqlText.h"
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
#include "exchange/ImportSource.h"
#include "exchange/mainFm3.h"

#include <QApplication>
#include <QCloseEvent>
#include <functional>
#include <optional>
#include <QDir>
#include <QFileInfo>
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

QString readOnlyNotice(const Connection& connection)
{
    const QString name = connection.isServer() ? connection.displayName() : QDir::toNativeSeparators(connection.location());
    return QStringLiteral("数据库“%1”是只读的：可以查看、统计、打印和导出到其他文件，但所做的修改都不能保存。").arg(name);
}

// The caption says which database a seat writes to, unless it is the usual file.
QString captionFor(const Connection& connection, const QString& programDatabase)
{
    if (DatabaseChoice::isSameFile(connection.location(), programDatabase))
        return QStringLiteral("Marquel");
    return QStringLiteral("Marquel - %1").arg(connection.displayName());
}

// A new server database starts without the program's tables: made when the user agrees.
// False when the user would rather not.
bool offerTables(Connection& connection)
{
    if (!connection.isServer() || !Schema::hasNoMainTables(connection))
        return true;
    const MsgAnswer answer = Dialogs::instance().message(
        QStringLiteral("数据库“%1”中还没有本程序的表，是否现在创建？").arg(connection.displayName()),
        QStringLiteral("Marquel"), MsgButtons::YesNo, MsgIcon::Question);
    if (answer != MsgAnswer::Yes)
        return false;
    Schema::createTables(connection);
    return true;
}

} // namespace

mainFm1* mainFm1::load(const QString& appPath, const QString& location)
{
    const QString programDatabase = QDir(appPath).filePath(Schema::MainDatabaseName);
    const QString databasePath = location.isEmpty() ? programDatabase : location;
    try {
        // Two copies can only harm a file they may write; one that cannot be written (a copy on
        // a CD) opens without a lock file, in a folder that may not take one. Seats share a
        // server database: the server keeps their writes apart.
        std::unique_ptr<DatabaseLock> lock;
        if (!Connection::isServerLocation(databasePath) && QFileInfo(databasePath).isWritable())
            lock = std::make_unique<DatabaseLock>(databasePath);
        auto connection = Connection::open(databasePath);
        if (!offerTables(*connection))
            return nullptr;
        Schema::checkMainDatabase(*connection);
        const QString backup = SchemaVersion::bringUpToDate(*connection);
        if (!backup.isEmpty())
            Dialogs::instance().message(QStringLiteral("数据库已升级到这个版本的 Marquel 所用的格式。升级前的数据库保存为：\n%1")
                                            .arg(QDir::toNativeSeparators(backup)),
                                        QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Information);
        Schema::ensureRowMarks(*connection);
        Schema::ensureIndexes(*connection);
        auto state = std::make_unique<ProgramState>(connection, appPath);
        if (connection->isReadOnly())
            Dialogs::instance().message(readOnlyNotice(*connection), QStringLiteral("信息提示"), MsgButtons::Ok,
                                        MsgIcon::Information);
        auto* window = new mainFm1(std::move(lock), std::move(state));
        window->setWindowTitle(captionFor(*connection, programDatabase));
        return window;
    } catch (const DbError& error) {
        // A database chosen earlier (a server that is down, a file moved away) would stop every
        // later start: the user hears how to choose another.
        const QString howToChoose = location.isEmpty()
            ? QString()
            : QStringLiteral("\n可以用“marquel --database <文件或地址>”改用另一个数据库（说明见“marquel --help”）。");
        Dialogs::instance().message(error.description() + howToChoose, QStringLiteral("Marquel"), MsgButtons::Ok,
                                    MsgIcon::Critical);
        return nullptr;
    }
}

mainFm1::mainFm1(std::unique_ptr<DatabaseLock> lock, std::unique_ptr<ProgramState> state)
    : FormWindow(QStringLiteral("mainFm1"), QStringLiteral("Marquel"), WidthTwips, HeightTwips),
      lock_(std::move(lock)),
      state_(std::move(state)),
      importSource_(std::make_unique<ImportSource>())
{
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    buildMenu(bar);
    layout->setMenuBar(bar);

    chartPanel = new FeedbackChartPanel(*state_, this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(buildGrids());
    splitter->addWidget(chartPanel);
    splitter->setStretchFactor(0, 5);
    splitter->setStretchFactor(1, 6);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    connect(this, &FormWindow::activated, this, &mainFm1::Form_Activate);
    // A plan made current elsewhere (executed in the plan editor) is shown with its days.
    connect(state_.get(), &ProgramState::currentPlanChanged, this, &mainFm1::followCurrentPlan);
    connect(state_.get(), &ProgramState::changed, this, &mainFm1::followChange);
    // Names renamed here or at another seat: the legend and the chart show them at once.
    connect(state_.get(), &ProgramState::productNamesChanged, this, [this] {
        chartPanel->setProductLegend(state_->productNames());
        try {
            drawCurrentDay();
        } catch (const DbError&) {
        }
    });
    connect(chartPanel, &FeedbackChartPanel::chartWindowRequested, this,
            [this] { showSingle<chartFm1>(chartWindow_, [this] { return new chartFm1(*state_); }); });
}

// The other windows use the program's state: they go before it does.
mainFm1::~mainFm1()
{
    for (QWidget* window : openedWindows())
        delete window;
}

QList<QWidget*> mainFm1::openedWindows() const
{
    return {definitionWindow_, importWindow_, planEditor_, chartWindow_, feedbackWindow_, dailyTable_,
            statisticsReport_, addressBookReport_, summaryReport_, browseWindow_, targetTable_, responderExport_,
            effectWindow_, effectReport_};
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
    connect(addItem(marketing, QStringLiteral("effectAnalysis"), QStringLiteral("营销效果分析")), &QAction::triggered,
            this, &mainFm1::effectAnalysis_Click);

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
    Text1->setText(plans_ ? TextRules::positionText(plans_->absolutePosition(), plans_->recordCount())
                          : QStringLiteral("0/0"));
}

void mainFm1::showDayPosition()
{
    Text2->setText(days_ ? TextRules::positionText(days_->absolutePosition(), days_->recordCount())
                         : QStringLiteral("0/0"));
}

void mainFm1::openPlans()
{
    plans_.reset();
    DataGrid1->bind(nullptr);
    plans_ = state_->openRecordset(PlanRows::executedPlansStatement());
    DataGrid1->bind(plans_);
}

// The plan of the plan grid's current row becomes the program's current plan.
void mainFm1::takeCurrentPlan()
{
    if (plans_ && plans_->hasCurrentRow())
        state_->setCurrentPlan(TextRules::trimmedText(plans_->value(QStringLiteral("序号"))),
                               TextRules::trimmedText(plans_->value(QStringLiteral("题目"))));
    else
        state_->setCurrentPlan(QString(), QString());
}

void mainFm1::reopenPlanFeedback()
{
    days_.reset();
    DataGrid2->bind(nullptr);
    days_ = state_->openRecordset(PlanRows::feedbackStatement(state_->currentPlanNo()));
    DataGrid2->bind(days_);
    chartPanel->showRows(plans_, days_);
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
    QString firstFailure;
    auto step = [&firstFailure](const std::function<void()>& work) {
        try {
            work();
        } catch (const DbError& error) {
            if (firstFailure.isEmpty())
                firstFailure = error.description();
        }
    };
    step([&] { openPlans(); });
    step([&] {
        placeCurrentPlan();
        showPlanPosition();
        takeCurrentPlan();
    });
    step([&] { reopenPlanFeedback(); });
    step([&] { showDayPosition(); });
    step([&] { setLabel(); });
    step([&] { drawCurrentDay(); });
    step([&] { chartPanel->setProductLegend(state_->productNames()); });
    if (!firstFailure.isEmpty())
        reportError(firstFailure);
}

QStringList mainFm1::planNumbers() const
{
    QStringList numbers;
    if (!plans_)
        return numbers;
    for (const QVariant& value : plans_->columnValues(plans_->fieldIndex(QStringLiteral("序号"))))
        numbers.append(TextRules::trimmedText(value));
    return numbers;
}

// The plan the user chose stays current each time the window is activated again: moving
// away from it silently would have responses recorded for another plan. Only when plans
// came or went (one executed or deleted) does the last plan become current.
void mainFm1::placeCurrentPlan()
{
    const QStringList plans = planNumbers();
    const bool plansChanged = plans != plansRead_;
    plansRead_ = plans;
    if (!plans_ || plans_->recordCount() == 0)
        return;
    const int chosen = plans.indexOf(state_->currentPlanNo());
    if (!plansChanged && chosen >= 0)
        plans_->setAbsolutePosition(chosen + 1);
    else
        plans_->moveLast();
}

void mainFm1::setLabel()
{
    state_->setProductNames(ProductNames::load(state_->store()));
}

// Another window made a plan current (it executed it): the grids show that plan and its days.
void mainFm1::followCurrentPlan()
{
    if (!plans_ || currentRowPlan() == state_->currentPlanNo())
        return;
    try {
        plans_->requery();
        DataGrid1->bind(plans_);
        if (plans_->recordCount() > 0) {
            plans_->moveFirst();
            plans_->find({FieldTest::equals(QStringLiteral("序号"), state_->currentPlanNo())});
            if (plans_->isEOF())
                plans_->moveLast();
        }
        showPlanPosition();
        reopenPlanFeedback();
        drawCurrentDay();
    } catch (const DbError&) {
        // the next activation reads everything again
    }
}

// Rows stored by another window are read again; the plan and the day shown stay current.
void mainFm1::followChange(const ChangeNotice& notice)
{
    try {
        // The plan shown is gone (deleted at another seat): the plan now shown becomes current,
        // with its own days and chart, not the deleted plan's.
        if (notice.table == ChangeNotice::Table::ExecutedPlans && plans_ && !rereadKeepingRow(plans_, DataGrid1)) {
            takeCurrentPlan();
            reopenPlanFeedback();
            drawCurrentDay();
        }
        if (notice.table == ChangeNotice::Table::DailyRows && days_ && notice.touchesPlan(state_->currentPlanNo()))
            rereadKeepingRow(days_, DataGrid2);
    } catch (const DbError&) {
    }
    showPlanPosition();
    showDayPosition();
}

bool mainFm1::rereadKeepingRow(const std::shared_ptr<Recordset>& shared, DataGrid* grid)
{
    Recordset& rows = *shared;
    const std::optional<Recordset::Bookmark> shown =
        rows.hasCurrentRow() ? std::optional<Recordset::Bookmark>(rows.bookmark()) : std::nullopt;
    rows.requery();
    grid->bind(shared);
    try {
        if (shown)
            rows.setBookmark(*shown);
        return true;
    } catch (const DbError&) {
        if (rows.recordCount() > 0)
            rows.moveLast();
        return false;
    }
}

QString mainFm1::currentRowPlan() const
{
    return plans_ && plans_->hasCurrentRow() ? TextRules::trimmedText(plans_->value(QStringLiteral("序号"))) : QString();
}

void mainFm1::Command1_Click(int index)
{
    if (!hasRows(plans_))
        return;
    try {
        Navigation::move(*plans_, index);
        showPlanPosition();
        takeCurrentPlan();
        reopenPlanFeedback();   // the charts keep the previous plan until a day is chosen
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void mainFm1::Command2_Click(int index)
{
    if (!hasRows(days_))
        return;
    try {
        Navigation::move(*days_, index);
        showDayPosition();
        drawCurrentDay();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void mainFm1::DataGrid1_Click()
{
    if (!hasRows(plans_))
        return;
    try {
        showPlanPosition();
        takeCurrentPlan();
        reopenPlanFeedback();
        drawCurrentDay();
    } catch (const DbError&) {
        // a click that cannot be followed leaves the window as it was
    }
}

void mainFm1::DataGrid2_Click()
{
    if (!hasRows(days_))
        return;
    try {
        showDayPosition();
        drawCurrentDay();
    } catch (const DbError&) {
    }
}

void mainFm1::Command8_Click()
{
    if (!hasRows(plans_) || !plans_->hasCurrentRow())
        return;
    const QString planNo = currentRowPlan();
    PlanDeletion::PlanContents contents;
    try {
        contents = PlanDeletion::contentsOf(state_->store(), planNo);
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    // The plan's targets and daily rows go with it: the user hears how many before agreeing.
    const QString question =
        QStringLiteral("确实要删除该记录吗？\n将删除已执行的计划“%1”，连同它的%2个客户记录和%3条每日反馈统计记录（计划的设计保留）。")
            .arg(TextRules::trimBlanks(planNo + QLatin1Char(' ') + TextRules::trimmedText(plans_->value(QStringLiteral("题目")))))
            .arg(contents.targets)
            .arg(contents.days);
    const MsgAnswer answer =
        Dialogs::instance().message(question, QStringLiteral("信息提示"), MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok)
        return;
    try {
        PlanDeletion::deleteExecutedPlan(*state_, planNo);
    } catch (const DbError& error) {
        reportError(error.description());
    }
    Form_Activate();
}

void mainFm1::createMarketing_Click()
{
    showSingle<Form3>(planEditor_, [this] { return new Form3(*state_); });
}

void mainFm1::inputClient_Click()
{
    showSingle<mainFm3>(importWindow_, [this] {
        auto* importWindow = new mainFm3(*state_, *importSource_);
        connect(importWindow, &mainFm3::exitRequested, this, &mainFm1::exit2_Click);
        return importWindow;
    });
}

void mainFm1::recordBack1_Click()
{
    if (!days_)
        return;
    showSingle<Form5>(feedbackWindow_, [this] { return new Form5(*state_); });
}

void mainFm1::browseFeedback_Click()
{
    showSingle<clientBrowseFm1>(browseWindow_, [this] {
        auto* browser = new clientBrowseFm1(*state_);
        // The browser's "导出" exports the current plan's responders in the export window.
        connect(browser, &clientBrowseFm1::exportRequested, this, [this](const QString& planNo) {
            delete responderExport_;
            showSingle<outputFm2>(responderExport_, [this, planNo] { return new outputFm2(*state_, planNo); });
        });
        return browser;
    });
}

void mainFm1::maintainTable2_Click()
{
    showSingle<feedbackFm1>(dailyTable_, [this] { return new feedbackFm1(*state_); });
}

void mainFm1::print1_Click()
{
    showSingle<ReportWindow>(statisticsReport_, [this] { return new ReportWindow(*state_, ReportDefinitions::feedbackStatistics()); });
}

void mainFm1::print2_Click()
{
    showSingle<ReportWindow>(addressBookReport_, [this] { return new ReportWindow(*state_, ReportDefinitions::respondingClients()); });
}

void mainFm1::print3_Click()
{
    showSingle<ReportWindow>(summaryReport_, [this] { return new ReportWindow(*state_, ReportDefinitions::campaignSummary()); });
}

void mainFm1::effectAnalysis_Click()
{
    showSingle<effectFm1>(effectWindow_, [this] {
        auto* window = new effectFm1(*state_);
        // The report prints the table as the window computed it; a report opened before shows
        // older figures, so it gives way to the new one.
        connect(window, &effectFm1::printRequested, this, [this](std::shared_ptr<Connection> rows) {
            delete effectReport_;
            showSingle<ReportWindow>(effectReport_, [this, rows] {
                return new ReportWindow(*state_, ReportDefinitions::campaignEffects(EffectTable::name()), rows);
            });
        });
        return window;
    });
}

void mainFm1::cilentTableTotal_Click()
{
    showSingle<fbTFixFm1>(targetTable_, [this] { return new fbTFixFm1(*state_); });
}

void mainFm1::definition2_Click()
{
    showSingle<definitionFm1>(definitionWindow_, [this] { return new definitionFm1(*state_); });
}

void mainFm1::exit2_Click()
{
    const MsgAnswer answer = Dialogs::instance().message(QStringLiteral("确实要退出该系统吗？"), QStringLiteral("信息提示"),
                                                         MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok)
        return;
    if (!closeOtherWindows())
        return;   // a window kept its unsaved changes: the program stays
    QApplication::exit(0);
}

// Closing the main window by its frame leaves the program too: the other windows first ask
// about what they have not saved, and one kept open keeps the main window open.
void mainFm1::closeEvent(QCloseEvent* event)
{
    if (!closeOtherWindows()) {
        event->ignore();
        return;
    }
    FormWindow::closeEvent(event);
}

// Closes every window the main window opened; each asks about what it has not saved. False
// when one of them stays open because the user chose to keep its changes.
bool mainFm1::closeOtherWindows()
{
    for (QWidget* window : openedWindows())
        if (window && window->isVisible() && !window->close())
            return false;
    return true;
}
