// The plan comparison window, opened on the executed plans as the main window leaves them.
#include "ChartTestData.h"
#include "charts/SwatchLegend.h"
#include "charts/chartFm1.h"
#include "campaign/PlanRows.h"
#include "controls/ChartControl.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "support/ProgramTest.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBarSeries>
#include <QLineSeries>
#include <QBarSet>
#include <QChart>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

using ChartTestData::addPlan;

class ChartWindowTest : public ProgramTest {
protected:
    std::unique_ptr<chartFm1> window;

    void TearDown() override
    {
        window.reset();
        ProgramTest::TearDown();
    }

    Connection& db() { return *folder.connection(); }

    void addFivePlans()
    {
        addPlan(db(), "2026-01", "春季办公设备直邮", "300", "40", "37", "12.3%");
        addPlan(db(), "2026-02", "华北区电话营销", "500", "60", "52", "10.4%");
        addPlan(db(), "2026-03", "年终客户回访", "200", "30", "200", "100%");
        addPlan(db(), "2026-04", "新品发布会邀请", "150", "50", "8", "5%");
        addPlan(db(), "2026-05", "展会后续跟进", "80", "20", "", "");
    }

    // The main window made the given executed plan (1-based) current.
    void openPlans(int currentPlan)
    {
        Recordset plans(folder.connection(), PlanRows::executedPlansStatement());
        plans.setAbsolutePosition(currentPlan);
        state.setCurrentPlan(plans.text(QStringLiteral("序号")), plans.text(QStringLiteral("题目")));
    }

    void open()
    {
        window = std::make_unique<chartFm1>(state);
        window->show();
    }

    ChartControl& chart() { return *window->findChild<ChartControl*>(QStringLiteral("MSChart1")); }
    QLabel* label(const QString& name) { return window->findChild<QLabel*>(name); }
    QList<double> planRow(int row)
    {
        QList<double> values;
        for (int column = 1; column <= 4; ++column)
            values << chart().cellValue(row, column);
        return values;
    }
};

TEST_F(ChartWindowTest, WithTheFirstPlanCurrentItShowsOneGroupOfFourBars)
{
    addFivePlans();
    openPlans(1);
    open();
    EXPECT_EQ(window->objectName(), "chartFm1");
    EXPECT_EQ(window->windowTitle(), QStringLiteral("统计图表"));
    EXPECT_EQ(label("Label1")->text(), QStringLiteral("反馈总表统计图"));

    EXPECT_EQ(chart().chartType(), ChartControl::Bar2d);
    EXPECT_EQ(chart().rowCount(), 1);
    EXPECT_EQ(chart().columnCount(), 4);
    EXPECT_EQ(chart().rowLabelAt(1), "1");
    EXPECT_EQ(planRow(1), (QList<double>{300, 40, 37, 12.3}));
    EXPECT_EQ(chart().widthTwips(), 4400);
    EXPECT_EQ(state.currentPlanNo(), QStringLiteral("2026-01"));
}

TEST_F(ChartWindowTest, ItDrawsThePlansUpToTheCurrentOneAndLeavesThatPlanCurrent)
{
    addFivePlans();
    openPlans(3);
    open();
    EXPECT_EQ(chart().rowCount(), 3);
    EXPECT_EQ(chart().rowLabelAt(3), "3");
    EXPECT_EQ(planRow(2), (QList<double>{500, 60, 52, 10.4}));
    EXPECT_EQ(planRow(3), (QList<double>{200, 30, 200, 100}));
    EXPECT_EQ(chart().widthTwips(), 5200);
    EXPECT_EQ(state.currentPlanNo(), QStringLiteral("2026-03"));
}

TEST_F(ChartWindowTest, APlanWithoutFeedbackShowsZeroForItsTotalAndRate)
{
    addFivePlans();
    openPlans(5);
    open();
    EXPECT_EQ(chart().rowCount(), 5);
    EXPECT_EQ(planRow(5), (QList<double>{80, 20, 0, 0}));
    EXPECT_EQ(planRow(4), (QList<double>{150, 50, 8, 5}));
}

TEST_F(ChartWindowTest, EmptyOrMissingFiguresAndLongRatesAreChartedByTheirRules)
{
    addPlan(db(), "A", "无规模", QString(), "", QString(), QString());
    addPlan(db(), "B", "长比率", "1200人", "60", "41", "12.345%");
    addPlan(db(), "C", "满额", "100", "10", "100", "100.00%");
    openPlans(3);
    open();
    EXPECT_EQ(planRow(1), (QList<double>{0, 0, 0, 0}));
    EXPECT_EQ(planRow(2), (QList<double>{1200, 60, 41, 12.3}));
    EXPECT_EQ(planRow(3), (QList<double>{100, 10, 100, 100}));
}

TEST_F(ChartWindowTest, TheLegendNamesEveryColumnInItsColour)
{
    addFivePlans();
    openPlans(2);
    open();
    const QStringList captions{"规模(数量)", "预计反馈", "反馈总合", "反馈率"};
    const QList<QColor> colours{{255, 0, 0}, {0, 255, 0}, {65, 55, 253}, {255, 255, 0}};
    for (int i = 0; i < 4; ++i) {
        QLabel* swatch = label(QStringLiteral("Label2(%1)").arg(2 * i));
        QLabel* caption = label(QStringLiteral("Label2(%1)").arg(2 * i + 1));
        ASSERT_TRUE(swatch && caption) << i;
        EXPECT_EQ(SwatchLegend::swatchColour(*swatch), colours[i]) << i;
        EXPECT_EQ(caption->text(), captions[i]);
        EXPECT_EQ(chart().seriesColor(i + 1), colours[i]) << i;
    }
}

TEST_F(ChartWindowTest, WithoutPlansItOpensOnAnEmptyChart)
{
    open();
    EXPECT_TRUE(chart().isBlank());
    EXPECT_EQ(chart().rowCount(), 1);
    chart().refresh();
    EXPECT_TRUE(chart().chart()->series().isEmpty());
}

TEST_F(ChartWindowTest, TheRateOfEveryPlanIsReadOnItsOwnAxisBesideSizesOfThousands)
{
    addPlan(db(), "A", "大型直邮", "10000", "900", "1230", "12.3%");
    addPlan(db(), "B", "小型回访", "300", "40", "37", "12.3%");
    addPlan(db(), "C", "电话营销", "5000", "300", "80", "1.6%");
    openPlans(3);
    open();
    QApplication::processEvents();
    ChartControl& drawn = chart();
    drawn.refresh();
    EXPECT_EQ(drawn.rightAxisColumn(), 4);
    EXPECT_EQ(drawn.rightAxisRange().min, 0.0);
    EXPECT_EQ(drawn.rightAxisRange().max, 100.0);
    EXPECT_GE(drawn.valueAxisRange().max, 10000.0);
    // The rate bars stand on the right axis, the other three on the left.
    const QList<QAbstractSeries*> series = drawn.chart()->series();
    ASSERT_GE(series.size(), 2);
    auto* rates = qobject_cast<QAreaSeries*>(series[1]);
    ASSERT_TRUE(rates);
    EXPECT_NEAR(rates->upperSeries()->at(1).y(), 12.3, 1e-6);
    EXPECT_NEAR(rates->upperSeries()->at(9).y(), 1.6, 1e-6);
    EXPECT_EQ(drawn.chart()->axes(Qt::Vertical, rates).first()->alignment(), Qt::AlignRight);
    // A 12.3 % rate stands more than a tenth of the plot high: readable at a glance.
    const double plotHeight = drawn.chart()->plotArea().height();
    EXPECT_GT(plotHeight * 12.3 / drawn.rightAxisRange().max, 0.1 * plotHeight);
    // The cells stay as the comparison fills them.
    EXPECT_EQ(planRow(1), QList<double>({10000, 900, 1230, 12.3}));
}

TEST_F(ChartWindowTest, ManyPlansOpenScrolledToTheCurrentOne)
{
    for (int i = 1; i <= 40; ++i)
        addPlan(db(), QStringLiteral("P%1").arg(i), QStringLiteral("计划%1").arg(i), QString::number(100 * i), "10", "5", "5%");
    openPlans(40);
    open();
    QApplication::processEvents();
    ASSERT_GT(chart().widthTwips(), 11415);
    auto* area = qobject_cast<QScrollArea*>(chart().parentWidget()->parentWidget()->parentWidget());
    ASSERT_TRUE(area);
    EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(area->horizontalScrollBar()->value(), area->horizontalScrollBar()->maximum());
    EXPECT_EQ(state.currentPlanNo(), QStringLiteral("P40"));
}

} // namespace
