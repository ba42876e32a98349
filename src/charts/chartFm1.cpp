#include "chartFm1.h"

#include "ChartCells.h"
#include "ChartWidth.h"
#include "PlanComparison.h"
#include "SwatchLegend.h"
#include "WideChartHolder.h"
#include "campaign/PlanRows.h"
#include "campaign/ProgramState.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "controls/ChartControl.h"
#include "core/Recordset.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// Wide enough for the chart at its frame's width (ChartWidth::frameFit) with its margins.
constexpr int WidthTwips = 11775;
constexpr int HeightTwips = 6600;

// The chart's columns, in order, with the colours its legend shows.
const QList<SwatchLegend::Entry>& comparisonLegend()
{
    static const QList<SwatchLegend::Entry> entries = {
        {QStringLiteral("规模(数量)"), QColor(255, 0, 0)},
        {QStringLiteral("预计反馈"), QColor(0, 255, 0)},
        {QStringLiteral("反馈总合"), QColor(65, 55, 253)},
        {QStringLiteral("反馈率"), QColor(255, 255, 0)},
    };
    return entries;
}

} // namespace

chartFm1::chartFm1(const ProgramState& state)
    : FormWindow(QStringLiteral("chartFm1"), QStringLiteral("统计图表"), WidthTwips, HeightTwips), state_(state)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);

    Label1 = new QLabel(QStringLiteral("反馈总表统计图"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont titleFont = Label1->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    Label1->setFont(titleFont);
    layout->addWidget(Label1);

    MSChart1 = new ChartControl(chartDesignWidth, this);
    MSChart1->setObjectName(QStringLiteral("MSChart1"));
    const QList<SwatchLegend::Entry>& legend = comparisonLegend();
    for (int column = 1; column <= legend.size(); ++column)
        MSChart1->setSeriesColor(column, legend[column - 1].colour);
    // A rate of 12.3 beside sizes in the thousands would be a bar too flat to see: the
    // rate is read on its own axis, 0 to 100 %, on the right.
    MSChart1->setRightAxisColumn(RateColumn, 100.0, QStringLiteral("%"));
    holder_ = new WideChartHolder(MSChart1, this);
    layout->addWidget(holder_, 1);
    layout->addLayout(SwatchLegend::build(this, QStringLiteral("Label2"), legend, Label2));

    Form_Load();
}

// The window is centred on the screen when it is first shown.
void chartFm1::Form_Load()
{
    chart1();
}

// The executed plans as stored, up to the program's current plan.
QList<PlanFigures> chartFm1::plansUpToCurrent() const
{
    try {
        Recordset plans(state_.connection(), PlanRows::executedPlansStatement());
        if (plans.recordCount() == 0)
            return {};
        plans.moveFirst();
        plans.find({FieldTest::equals(QStringLiteral("序号"), state_.currentPlanNo())});
        if (plans.isEOF())
            plans.moveLast();
        return PlanComparison::upToCurrentPlan(plans);
    } catch (const DbError&) {
        return {};
    }
}

void chartFm1::chart1()
{
    MSChart1->setChartType(ChartControl::Bar2d);
    const QList<PlanFigures> figures = plansUpToCurrent();
    if (figures.isEmpty()) {
        MSChart1->clear();
        return;
    }
    const int count = int(figures.size());
    ChartCells::setCounts(*MSChart1, count, 4);
    MSChart1->setWidthTwips(ChartWidth::next(MSChart1->widthTwips(), count));
    for (int i = 1; i <= count; ++i) {
        const PlanFigures& plan = figures[i - 1];
        ChartCells::setRowLabel(*MSChart1, i, QString::number(i));
        ChartCells::setCell(*MSChart1, i, 1, plan.scale);
        ChartCells::setCell(*MSChart1, i, 2, plan.expected);
        ChartCells::setCell(*MSChart1, i, 3, plan.total);
        ChartCells::setCell(*MSChart1, i, RateColumn, plan.rate);
    }
    holder_->showLatestRows();   // the current plan is the last group
}
