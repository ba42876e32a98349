#include "effectFm1.h"

#include "EffectTable.h"
#include "campaign/CounterFields.h"
#include "campaign/ProgramState.h"
#include "controls/ChartControl.h"
#include "controls/DataGrid.h"
#include "controls/Dialogs.h"
#include "controls/NamedWidgets.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "exchange/destinations/ExcelWriter.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int WidthTwips = 17250;
constexpr int HeightTwips = 10800;

const QColor FinishedCurve(150, 170, 200);
const QColor FinishedMedian(70, 90, 140);
// More finished plans than this are drawn as their median and quartiles.
constexpr int MostFinishedCurves = 40;
const QColor SelectedCurve(220, 40, 40);
const QColor CostBar(65, 55, 253);

QStringList channelCaptions()
{
    return {QStringLiteral("电话"), QStringLiteral("传真"), QStringLiteral("Email"),
            QStringLiteral("信函"), QStringLiteral("面访"), QStringLiteral("参观")};
}

// A table of counts and their shares under captions, one column each.
QTableWidget* mixGrid(const QString& name, int columns, QWidget* parent)
{
    auto* grid = new QTableWidget(2, columns, parent);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setVerticalHeaderLabels({QStringLiteral("数量"), QStringLiteral("占比")});
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = grid->fontMetrics().height() + 8;
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->setFixedHeight(2 * rowHeight + grid->horizontalHeader()->sizeHint().height() + 2 * grid->frameWidth());
    return grid;
}

void fillMix(QTableWidget* grid, const QList<qint64>& counts)
{
    const QStringList shares = CampaignEffects::sharesText(counts);
    for (int i = 0; i < grid->columnCount(); ++i) {
        const QStringList texts{QString::number(counts.value(i)), shares.value(i)};
        for (int row = 0; row < 2; ++row) {
            auto* item = new QTableWidgetItem(texts[row]);
            item->setTextAlignment(Qt::AlignCenter);
            grid->setItem(row, i, item);
        }
    }
}

// A share as the curves show it: a percentage with one decimal.
QString percentCell(double share)
{
    return QString::number(std::round(share * 1000.0) / 10.0, 'f', 1);
}

} // namespace

effectFm1::effectFm1(const ProgramState& state)
    : FormWindow(QStringLiteral("effectFm1"), QStringLiteral("营销效果分析"), WidthTwips, HeightTwips), state_(state),
      selectedPlanNo_(state.currentPlanNo())
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);
    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    layout->addWidget(Label4);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* gridArea = new QWidget(splitter);
    buildGrids(gridArea);
    splitter->addWidget(gridArea);
    splitter->addWidget(buildCharts());
    // The curves need height to be read; the grid scrolls.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1 = NamedWidgets::button(QStringLiteral("Command1"), QStringLiteral("导出…"), this);
    Command2 = NamedWidgets::button(QStringLiteral("Command2"), QStringLiteral("打印"), this);
    Command3 = NamedWidgets::button(QStringLiteral("Command3"), QStringLiteral("返回"), this);
    for (QPushButton* button : {Command1, Command2, Command3})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, &effectFm1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &effectFm1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &effectFm1::Command3_Click);

    // One save announces its daily rows and its plan: the window reads everything again once.
    reload_.setSingleShot(true);
    reload_.setInterval(0);
    connect(&reload_, &QTimer::timeout, this, &effectFm1::Form_Load);
    connect(&state_, &ProgramState::changed, this, &effectFm1::followChange);
    connect(&state_, &ProgramState::productNamesChanged, this, [this] { showSelectedPlan(); });
    Form_Load();
}

effectFm1::~effectFm1() = default;

void effectFm1::buildGrids(QWidget* area)
{
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    DataGrid1 = new DataGrid(area);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setCellTips([this](int row, int column) { return cellTip(row, column); });
    connect(DataGrid1, &DataGrid::gridClicked, this, &effectFm1::DataGrid1_Click);
    connect(DataGrid1, &DataGrid::rowColChanged, this, &effectFm1::DataGrid1_Click);
    layout->addWidget(DataGrid1, 1);

    Label2 = new QLabel(area);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setStyleSheet(QStringLiteral("color: #b00000;"));
    layout->addWidget(Label2);

    Label3 = new QLabel(area);
    Label3->setObjectName(QStringLiteral("Label3"));
    layout->addWidget(Label3);
    auto* mix = new QHBoxLayout;
    Grid1 = mixGrid(QStringLiteral("Grid1"), CounterFields::ChannelCount, area);
    Grid1->setHorizontalHeaderLabels(channelCaptions());
    Grid2 = mixGrid(QStringLiteral("Grid2"), CounterFields::ProductCount, area);
    mix->addWidget(Grid1, 6);
    mix->addWidget(Grid2, 5);
    layout->addLayout(mix);
}

QWidget* effectFm1::buildCharts()
{
    TabStrip1 = new QTabWidget(this);
    TabStrip1->setMinimumHeight(240);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    MSChart1 = new ChartControl(TabStrip1);
    MSChart1->setObjectName(QStringLiteral("MSChart1"));
    MSChart1->setChartType(ChartControl::Line2d);
    MSChart2 = new ChartControl(TabStrip1);
    MSChart2->setObjectName(QStringLiteral("MSChart2"));
    MSChart2->setChartType(ChartControl::Bar2d);
    MSChart2->setSeriesColor(1, CostBar);
    TabStrip1->addTab(MSChart1, QStringLiteral("累计反馈占比曲线"));
    TabStrip1->addTab(MSChart2, QStringLiteral("每反馈成本"));
    return TabStrip1;
}

void effectFm1::Form_Load()
{
    std::shared_ptr<Recordset> rows;
    try {
        analysis_ = CampaignEffects::read(state_.connection(), Clock::today());
        table_ = EffectTable::build(analysis_.plans);
        rows = std::make_shared<Recordset>(table_, EffectTable::query());
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    const QDate quietSince = analysis_.today.addDays(-CampaignEffects::QuietDaysOfAFinishedPlan);
    Label1->setText(QStringLiteral("已完成的计划：最后一条每日反馈在 %1 天以前（%2 或更早）；其余计划为进行中。")
                        .arg(CampaignEffects::QuietDaysOfAFinishedPlan)
                        .arg(quietSince.toString(QStringLiteral("yyyy/M/d"))));
    Label4->setText(QStringLiteral("预测：今天（第 d 天）的累计反馈 ÷ 已完成计划到第 d 天的累计占比的中位数；"
                                   "范围取占比的上、下四分位数（中间一半的已完成计划）。已完成且有反馈的计划：%1 个。")
                        .arg(analysis_.finishedWithResponses));
    // The plan shown before stays selected; the first time, the main window's current plan.
    int selected = int(analysis_.plans.size()) - 1;
    for (int i = 0; i < analysis_.plans.size(); ++i) {
        if (analysis_.plans[i].planNo == selectedPlanNo_)
            selected = i;
    }
    if (selected >= 0)
        rows->setAbsolutePosition(selected + 1);
    selectedPlanNo_ = selected >= 0 ? analysis_.plans[selected].planNo : QString();
    DataGrid1->bind(rows);
    showProblems();
    showSelectedPlan();
    drawCosts();
}

void effectFm1::DataGrid1_Click()
{
    const std::shared_ptr<Recordset> rows = DataGrid1->recordset();
    if (!rows || !rows->hasCurrentRow())
        return;
    const int row = rows->currentRow();
    if (row < 0 || row >= analysis_.plans.size() || analysis_.plans[row].planNo == selectedPlanNo_)
        return;
    selectedPlanNo_ = analysis_.plans[row].planNo;
    showSelectedPlan();
}

void effectFm1::Command1_Click()
{
    if (!table_)
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("导出营销效果分析");
    request.filter = QStringLiteral("Excel工作簿|*.xlsx");
    request.defaultExt = QStringLiteral("xlsx");
    request.fileName = EffectTable::name() + QStringLiteral(".xlsx");
    request.flags = FileDialogFlag::OverwritePrompt | FileDialogFlag::HideReadOnly | FileDialogFlag::PathMustExist;
    const std::optional<FileChoice> choice = Dialogs::instance().saveFile(request);
    if (!choice)
        return;
    ExportJob job;
    job.kind = ExportKind::Excel;
    job.path = choice->path;
    job.name = EffectTable::name();
    job.rows = ExportRows::wholeTable(EffectTable::name());
    try {
        const ExportResult result = ExcelWriter::replace(*table_, job);
        Dialogs::instance().message(QStringLiteral("已导出 %1 个计划到：%2").arg(result.rows).arg(QDir::toNativeSeparators(result.file)),
                                    QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Information);
    } catch (const DbError& error) {
        reportError(QStringLiteral("导出没有完成：") + error.description());
    }
}

void effectFm1::Command2_Click()
{
    if (table_)
        emit printRequested(table_);
}

void effectFm1::Command3_Click()
{
    close();
}

// Responses or plans saved, here or at another seat: everything is read again.
void effectFm1::followChange(const ChangeNotice& notice)
{
    if (notice.table == ChangeNotice::Table::ExecutedPlans || notice.table == ChangeNotice::Table::DailyRows)
        reload_.start();
}

void effectFm1::showProblems()
{
    QStringList problems;
    for (const PlanEffect& plan : analysis_.plans) {
        if (!plan.problem.isEmpty())
            problems << QStringLiteral("计划“%1”：%2").arg(plan.planNo, QString(plan.problem).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
    Label2->setVisible(!problems.isEmpty());
    Label2->setText(problems.join(QStringLiteral("  ")));
}

const PlanEffect* effectFm1::selectedPlan() const
{
    for (const PlanEffect& plan : analysis_.plans) {
        if (plan.planNo == selectedPlanNo_)
            return &plan;
    }
    return nullptr;
}

void effectFm1::showSelectedPlan()
{
    const PlanEffect* plan = selectedPlan();
    showMix(plan);
    drawCurves(plan);
}

void effectFm1::showMix(const PlanEffect* plan)
{
    QStringList products;
    for (int i = 0; i < CounterFields::ProductCount; ++i) {
        const QString name = state_.productNames().value(i).trimmed();
        products << (name.isEmpty() ? QStringLiteral("产品%1").arg(i + 1) : name);
    }
    Grid2->setHorizontalHeaderLabels(products);
    if (!plan) {
        Label3->setText(QStringLiteral("反馈构成：没有已执行的计划。"));
        Grid1->clearContents();
        Grid2->clearContents();
        return;
    }
    Label3->setText(QStringLiteral("计划“%1 %2”的反馈构成（按渠道、按产品）：").arg(plan->planNo, plan->title));
    fillMix(Grid1, plan->channels);
    fillMix(Grid2, plan->products);
}

namespace {

// One line of the curves chart: its legend text, colour and share by day from day 1.
struct CurveLine {
    QString label;
    QColor color;
    QList<double> shares;
    int lastDay = 0;   // 0: every day
};

QList<double> sharesOf(const ResponseCurve& curve, double final, int days)
{
    QList<double> shares;
    for (int day = 1; day <= days; ++day)
        shares << (final > 0 ? double(curve.totalOnDay(day)) / final : 0.0);
    return shares;
}

// A running plan's final count is not known yet: its curve divides by its forecast (by its count
// so far when there is none) and runs up to today, the day its forecast is made on.
CurveLine selectedLine(const PlanEffect& plan, int days)
{
    const bool running = !plan.finished;
    const bool forecast = running && plan.forecast.made;
    CurveLine line;
    line.label = plan.planNo + (forecast  ? QStringLiteral("（所选，÷ 预测 %1）").arg(plan.forecast.expected)
                                : running ? QStringLiteral("（所选，÷ 至今累计）")
                                          : QStringLiteral("（所选）"));
    line.color = SelectedCurve;
    line.shares = sharesOf(plan.curve, forecast ? double(plan.forecast.expected) : double(plan.curve.finalTotal()), days);
    line.lastDay = running ? plan.forecastDay : 0;
    return line;
}

} // namespace

// The finished plans' curves in one light colour, the selected plan's in red, by day number, the
// day a running plan's forecast is made on marked. Past a few dozen finished plans their lines
// would bury one another (and take long to draw): their median and quartiles by day stand for them.
void effectFm1::drawCurves(const PlanEffect* plan)
{
    QList<const PlanEffect*> finished;
    int days = plan ? plan->forecastDay : 0;
    for (const PlanEffect& other : analysis_.plans) {
        if (other.finished && other.curve.finalTotal() > 0 && &other != plan) {
            finished << &other;
            days = std::max(days, other.curve.days());
        }
    }
    const bool selectedShown = plan && plan->curve.finalTotal() > 0;
    if (selectedShown)
        days = std::max(days, plan->curve.days());
    QList<CurveLine> lines;
    if (finished.size() > MostFinishedCurves) {
        const CampaignEffects::ShareBand band = CampaignEffects::finishedShares(analysis_, days);
        lines << CurveLine{QStringLiteral("已完成计划：下四分位数"), FinishedCurve, band.lower}
              << CurveLine{QStringLiteral("已完成计划：中位数"), FinishedMedian, band.median}
              << CurveLine{QStringLiteral("已完成计划：上四分位数"), FinishedCurve, band.upper};
    } else {
        for (const PlanEffect* other : finished)
            lines << CurveLine{other->planNo, FinishedCurve, sharesOf(other->curve, double(other->curve.finalTotal()), days)};
    }
    if (selectedShown)
        lines << selectedLine(*plan, days);
    MSChart1->setTitle(QStringLiteral("累计反馈占比（%）　灰：已完成的计划　红：所选计划　虚线：预测所在日"));
    if (lines.isEmpty()) {
        MSChart1->setMarkedRow(0);
        MSChart1->clear();
        return;
    }
    MSChart1->setRowCount(days);
    MSChart1->setColumnCount(int(lines.size()));
    for (int day = 1; day <= days; ++day) {
        MSChart1->setRow(day);
        MSChart1->setRowLabel(QString::number(day));
    }
    for (int column = 1; column <= lines.size(); ++column) {
        const CurveLine& line = lines[column - 1];
        MSChart1->setColumn(column);
        MSChart1->setColumnLabel(line.label);
        MSChart1->setSeriesColor(column, line.color);
        MSChart1->setLineEnd(column, line.lastDay);
        for (int day = 1; day <= days; ++day) {
            MSChart1->setRow(day);
            MSChart1->setData(percentCell(line.shares.value(day - 1)));
        }
    }
    const bool marked = plan && !plan->finished && plan->forecastDay > 0;
    MSChart1->setMarkedRow(marked ? plan->forecastDay : 0,
                           marked ? QStringLiteral("第 %1 天：预测所在日（%2）").arg(plan->forecastDay).arg(plan->forecastText) : QString());
}

void effectFm1::drawCosts()
{
    QList<const PlanEffect*> costed;
    for (const PlanEffect& plan : analysis_.plans) {
        if (!plan.costPerResponse.isEmpty())
            costed << &plan;
    }
    MSChart2->setTitle(QStringLiteral("每反馈成本（费用 ÷ 反馈合计）"));
    if (costed.isEmpty()) {
        MSChart2->clear();
        return;
    }
    MSChart2->setRowCount(int(costed.size()));
    MSChart2->setColumnCount(1);
    MSChart2->setColumn(1);
    MSChart2->setColumnLabel(QStringLiteral("每反馈成本"));
    for (int row = 1; row <= costed.size(); ++row) {
        MSChart2->setRow(row);
        MSChart2->setRowLabel(costed[row - 1]->planNo);
        MSChart2->setData(costed[row - 1]->costPerResponse);
    }
}

QString effectFm1::cellTip(int row, int column) const
{
    if (row < 0 || row >= analysis_.plans.size())
        return QString();
    const PlanEffect& plan = analysis_.plans[row];
    switch (column) {
    case EffectTable::Forecast:
        return plan.forecastNote;
    case EffectTable::Expected:
    case EffectTable::Achievement:
    case EffectTable::Cost:
    case EffectTable::CostPerResponse:
        return plan.problem;
    default:
        return QString();
    }
}

void effectFm1::reportError(const QString& description)
{
    Dialogs::instance().message(description, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
}
