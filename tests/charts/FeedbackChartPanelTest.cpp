// The main window's chart panels, driven through their option buttons on a real database;
// the cells are checked through the chart's read-back.
#include "ChartTestData.h"
#include "charts/FeedbackChartPanel.h"
#include "charts/SwatchLegend.h"
#include "campaign/PlanRows.h"
#include "controls/ChartControl.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "support/ProgramTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QScrollArea>
#include <QScrollBar>
#include <QChart>
#include <QFrame>
#include <QLabel>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ChartTestData::addDays;

class FeedbackChartPanelTest : public ProgramTest {
protected:
    std::unique_ptr<FeedbackChartPanel> panel;

    void SetUp() override
    {
        ProgramTest::SetUp();
        state.setProductNames({QStringLiteral("激光打印机"), QStringLiteral("复印机"), QStringLiteral("扫描仪"),
                               QStringLiteral("传真机"), QStringLiteral("碎纸机")});
        panel = std::make_unique<FeedbackChartPanel>(state);
        panel->resize(808, 420);
        panel->show();
    }
    void TearDown() override
    {
        panel.reset();
        ProgramTest::TearDown();
    }

    Connection& db() { return *folder.connection(); }

    // Makes the plan current as the main window does, with the given day (1-based) chosen.
    void openPlan(const QString& planNo, int currentDay = 1)
    {
        state.setCurrentPlan(planNo, QString());
        days_ = state.openRecordset(PlanRows::feedbackStatement(planNo));
        if (days_->recordCount() > 0)
            days_->setAbsolutePosition(currentDay);
        showPlans();
    }
    // The rows as the main window hands them over: the executed plans and the current plan's days.
    void showPlans()
    {
        plans_ = state.openRecordset(PlanRows::executedPlansStatement());
        panel->showRows(plans_, days_);
    }

    std::shared_ptr<Recordset> plans_;
    std::shared_ptr<Recordset> days_;
    Recordset& days() { return *days_; }
    ChartControl& chart(int number) { return *panel->findChild<ChartControl*>(QStringLiteral("MSChart%1").arg(number)); }
    QLabel* label(const QString& name) { return panel->findChild<QLabel*>(name); }
    QAbstractButton* option(const QString& name) { return panel->findChild<QAbstractButton*>(name); }

    void click(const QString& name)
    {
        auto* button = panel->findChild<QAbstractButton*>(name);
        ASSERT_TRUE(button) << name.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The one frame of Frame1 … Frame4 that shows (0 when none or several do).
    int shownFrame()
    {
        int shown = 0;
        for (int i = 1; i <= 4; ++i) {
            if (panel->findChild<QFrame*>(QStringLiteral("Frame%1").arg(i))->isVisibleTo(panel.get()))
                shown = shown == 0 ? i : -1;
        }
        return std::max(shown, 0);
    }
};

// Day d of ChartTestData::addDays: telephone d, fax d % 3, e-mail 2d % 5, letters d % 2,
// visits 1, site visits (d + 1) % 4; product p counted d + p times.
// Daily totals of days 1 … 3: 8, 12, 6; running totals 8, 20, 26.

TEST_F(FeedbackChartPanelTest, WithTheFirstDayCurrentEveryChartShowsThatDayAlone)
{
    addDays(db(), "P1", 5);
    openPlan("P1", 1);

    click("Option2");
    EXPECT_EQ(shownFrame(), 1);
    ChartControl& cumulative = chart(1);
    EXPECT_EQ(cumulative.chartType(), ChartControl::Bar2d);
    EXPECT_EQ(cumulative.rowCount(), 1);
    EXPECT_EQ(cumulative.columnCount(), 8);
    EXPECT_EQ(cumulative.rowLabelAt(1), "1");
    const QList<double> firstDay{1, 1, 2, 1, 1, 2, 8, 8};
    for (int column = 1; column <= 8; ++column)
        EXPECT_EQ(cumulative.cellValue(1, column), firstDay[column - 1]) << column;
    EXPECT_EQ(cumulative.widthTwips(), 4400);

    click("Option3");
    EXPECT_EQ(shownFrame(), 4);
    ChartControl& trend = chart(5);
    EXPECT_EQ(trend.chartType(), ChartControl::Bar2d);
    EXPECT_EQ(trend.rowCount(), 1);
    EXPECT_EQ(trend.columnCount(), 1);
    EXPECT_EQ(trend.cellValue(1, 1), 8);
    EXPECT_EQ(trend.rowLabelAt(1), QStringLiteral("至2026/12/1"));

    click("Command6(0)");
    EXPECT_EQ(trend.chartType(), ChartControl::Line2d);
    EXPECT_EQ(trend.rowCount(), 1);
    EXPECT_EQ(trend.columnCount(), 1);
    EXPECT_EQ(trend.cellValue(1, 1), 8);
    EXPECT_EQ(trend.rowLabelAt(1), "1");
    // One day is one point, which only its marker shows.
    trend.refresh();
    const QList<QAbstractSeries*> series = trend.chart()->series();
    ASSERT_EQ(series.size(), 1);
    auto* line = qobject_cast<QLineSeries*>(series.first());
    ASSERT_TRUE(line);
    EXPECT_EQ(line->count(), 1);
    EXPECT_TRUE(line->pointsVisible());

    EXPECT_EQ(days().absolutePosition(), 1);
}

TEST_F(FeedbackChartPanelTest, WithTheThirdOfFiveDaysCurrentTheChartsUseDaysOneToThreeAndTheDayStaysCurrent)
{
    addDays(db(), "P1", 5);
    openPlan("P1", 3);

    click("Option2");
    ChartControl& cumulative = chart(1);
    EXPECT_EQ(cumulative.rowCount(), 3);
    EXPECT_EQ(cumulative.rowLabelAt(3), "3");
    EXPECT_EQ(cumulative.cellValue(1, 1), 1);
    EXPECT_EQ(cumulative.cellValue(2, 7), 12);
    EXPECT_EQ(cumulative.cellValue(3, 1), 3);
    EXPECT_EQ(cumulative.cellValue(3, 8), 26);
    EXPECT_EQ(cumulative.widthTwips(), 5200);
    EXPECT_EQ(days().absolutePosition(), 3);

    click("Option4");
    EXPECT_EQ(shownFrame(), 2);
    ChartControl& products = chart(2);
    EXPECT_EQ(products.rowCount(), 5);
    EXPECT_EQ(products.columnCount(), 1);
    for (int p = 1; p <= 5; ++p) {
        EXPECT_EQ(products.cellValue(p, 1), (1 + p) + (2 + p) + (3 + p)) << p;
        EXPECT_EQ(products.rowLabelAt(p), state.productNames()[p - 1]) << p;
    }
    EXPECT_EQ(days().absolutePosition(), 3);

    click("Option3");
    ChartControl& trend = chart(5);
    EXPECT_EQ(trend.rowCount(), 1);
    EXPECT_EQ(trend.columnCount(), 3);
    EXPECT_EQ(trend.cellValue(1, 1), 8);
    EXPECT_EQ(trend.cellValue(1, 2), 12);
    EXPECT_EQ(trend.cellValue(1, 3), 6);
    EXPECT_EQ(trend.rowLabelAt(1), QStringLiteral("至2026/12/3"));
    EXPECT_EQ(trend.widthTwips(), 5200);
    EXPECT_EQ(days().absolutePosition(), 3);

    click("Command6(0)");
    EXPECT_EQ(trend.rowCount(), 3);
    EXPECT_EQ(trend.columnCount(), 1);
    EXPECT_EQ(trend.rowLabelAt(2), "2");
    EXPECT_EQ(trend.cellValue(3, 1), 6);
    EXPECT_EQ(days().absolutePosition(), 3);

    click("Option1");
    EXPECT_EQ(shownFrame(), 3);
    EXPECT_EQ(chart(3).cellValue(1, 1), 3);   // the current day's telephone count
    EXPECT_EQ(chart(4).cellValue(5, 1), 8);
}

TEST_F(FeedbackChartPanelTest, ChartsOfMoreThan81DaysTakeTheFrameWidth)
{
    addDays(db(), "LONG", 90);
    openPlan("LONG", 90);
    click("Option2");
    EXPECT_EQ(chart(1).rowCount(), 90);
    EXPECT_EQ(chart(1).widthTwips(), 11415);
    click("Option3");
    EXPECT_EQ(chart(5).columnCount(), 90);
    EXPECT_EQ(chart(5).widthTwips(), 11415);
    click("Command6(0)");
    EXPECT_EQ(chart(5).rowCount(), 90);
    EXPECT_EQ(chart(5).widthTwips(), 11415);
    EXPECT_EQ(days().absolutePosition(), 90);
}

TEST_F(FeedbackChartPanelTest, AChartOnceAsWideAsItsFrameStaysSoForFewerDays)
{
    addDays(db(), "SHORT", 3);
    addDays(db(), "MIDDLE", 20);
    openPlan("SHORT", 3);
    click("Option2");
    EXPECT_EQ(chart(1).widthTwips(), 5200);

    openPlan("MIDDLE", 20);
    click("Option2");
    EXPECT_EQ(chart(1).widthTwips(), 12000);   // wider than the frame: the frame scrolls
    click("Option2");
    EXPECT_EQ(chart(1).widthTwips(), 11415);

    openPlan("SHORT", 3);
    click("Option2");
    EXPECT_EQ(chart(1).widthTwips(), 11415);
    EXPECT_EQ(chart(1).rowCount(), 3);
}

TEST_F(FeedbackChartPanelTest, AnEmptyCounterDrawsZeroAndTheOtherCellsStillDraw)
{
    addDays(db(), "FULL", 2);
    ChartTestData::addDay(db(), "GAPS", QDate(2026, 12, 1),
                          {{"4", "", "3", "0", "1", "2"}, {"5", "", "1", "1", "1"}, "", "10"});
    openPlan("FULL", 2);
    click("Option2");
    click("Option3");
    click("Option4");

    openPlan("GAPS", 1);
    click("Option2");
    EXPECT_EQ(chart(1).cellValue(1, 1), 4);
    EXPECT_EQ(chart(1).cellValue(1, 2), 0);   // not the value the previous plan had there
    EXPECT_EQ(chart(1).cellValue(1, 3), 3);
    EXPECT_EQ(chart(1).cellValue(1, 7), 0);
    EXPECT_EQ(chart(1).cellValue(1, 8), 10);
    click("Option3");
    EXPECT_EQ(chart(5).cellValue(1, 1), 0);
    EXPECT_EQ(chart(5).rowLabelAt(1), QStringLiteral("至2026/12/1"));
    click("Option4");
    EXPECT_EQ(chart(2).cellValue(1, 1), 5);
    EXPECT_EQ(chart(2).cellValue(2, 1), 0);
    click("Option1");
    EXPECT_EQ(chart(3).cellValue(2, 1), 0);
    EXPECT_EQ(chart(3).cellValue(3, 1), 3);
}

TEST_F(FeedbackChartPanelTest, APlanWithoutDaysBlanksTheChartsAndTheMarkedOptionStaysWithTheShownPanel)
{
    addDays(db(), "P1", 3);
    openPlan("P1", 3);
    click("Option2");
    click("Option3");
    ASSERT_EQ(chart(5).columnCount(), 3);
    ASSERT_TRUE(option("Option3")->isChecked());

    openPlan("NONE");
    // Nothing of the previous plan stays: every chart is blank, with no fake day 1 = 0.
    for (int number = 1; number <= 5; ++number) {
        EXPECT_TRUE(chart(number).isBlank()) << number;
        chart(number).refresh();
        EXPECT_TRUE(chart(number).chart()->series().isEmpty()) << number;
        EXPECT_TRUE(chart(number).rowAxisTexts().isEmpty()) << number;
    }
    for (const char* name : {"Option1", "Option2", "Option4"}) {
        click(name);
        EXPECT_EQ(shownFrame(), 4) << name;
        EXPECT_TRUE(option("Option3")->isChecked()) << name;   // not the option that drew nothing
        EXPECT_FALSE(option(name)->isChecked()) << name;
    }

    click("Command6(0)");
    EXPECT_EQ(shownFrame(), 4);
    EXPECT_EQ(chart(5).chartType(), ChartControl::Line2d);
    EXPECT_TRUE(chart(5).isBlank());

    // The current-day drawing the main window runs after a refresh is blank too.
    panel->chart3();
    panel->selectCurrentDayOption();
    EXPECT_EQ(shownFrame(), 3);
    EXPECT_TRUE(chart(3).isBlank());
    EXPECT_TRUE(chart(4).isBlank());

    // Back on a plan with days, the charts draw again.
    openPlan("P1", 2);
    click("Option2");
    EXPECT_FALSE(chart(1).isBlank());
    EXPECT_EQ(chart(1).rowCount(), 2);
    EXPECT_TRUE(option("Option2")->isChecked());
}

TEST_F(FeedbackChartPanelTest, EachCurrentDayBarIsNamedOnceAndTheCaptionsStandUnderTheirBars)
{
    // Counts in the hundred thousands make the value axis's labels wide, which moves the bars.
    ChartTestData::addDay(db(), "WIDE", QDate(2026, 12, 1),
                          {{"120000", "3", "40000", "0", "1", "2"}, {"5", "0", "1", "1", "1"}, "160006", "160006"});
    addDays(db(), "P1", 2);
    for (const char* plan : {"P1", "WIDE"}) {
        openPlan(plan, 1);
        click("Option1");
        QApplication::processEvents();
        ChartControl& channels = chart(3);
        channels.refresh();
        EXPECT_TRUE(channels.rowAxisTexts().isEmpty()) << plan;   // named by the captions alone
        for (int i = 0; i < 8; ++i) {
            QLabel* caption = label(QStringLiteral("Label1(%1)").arg(i));
            ASSERT_TRUE(caption);
            EXPECT_TRUE(caption->isVisibleTo(panel.get())) << plan << i;
            const QPointF barsCentre = channels.mapTo(panel.get(), channels.rowGroupRect(i + 1).center().toPoint());
            const QPoint captionCentre = caption->mapTo(panel.get(), caption->rect().center());
            EXPECT_NEAR(captionCentre.x(), barsCentre.x(), 2) << plan << " caption " << i;
        }
        // The product bars read as their key, R1: … R5:.
        EXPECT_EQ(chart(4).rowAxisTexts(), QStringList({"R1", "R2", "R3", "R4", "R5"}));
    }
    panel->setProductLegend(state.productNames());
    EXPECT_EQ(label("Label2(0)")->text(), QStringLiteral("R1:激光打印机"));
}

TEST_F(FeedbackChartPanelTest, TheTrendDrawsEveryDayInOneColourAndNamesTheLastDayUnderItsBar)
{
    addDays(db(), "P1", 25);
    openPlan("P1", 25);
    click("Option3");
    ChartControl& trend = chart(5);
    trend.refresh();
    auto* bars = qobject_cast<QBarSeries*>(trend.chart()->series().first());
    ASSERT_TRUE(bars);
    ASSERT_EQ(bars->count(), 25);
    for (QBarSet* day : bars->barSets())
        EXPECT_EQ(day->color(), FeedbackChartPanel::trendColour);
    auto* axis = qobject_cast<QCategoryAxis*>(trend.chart()->axes(Qt::Horizontal).first());
    ASSERT_EQ(axis->categoriesLabels().size(), 1);
    EXPECT_EQ(axis->categoriesLabels().first(), QStringLiteral("至2026/12/25"));
    EXPECT_GT(axis->endValue(axis->categoriesLabels().first()), 0.2);   // right of the group's middle

    click("Command6(0)");
    trend.refresh();
    auto* line = qobject_cast<QLineSeries*>(trend.chart()->series().first());
    ASSERT_TRUE(line);
    EXPECT_EQ(line->pen().color(), FeedbackChartPanel::trendColour);
}

TEST_F(FeedbackChartPanelTest, AChartWiderThanItsFrameOpensOnTheCurrentDay)
{
    for (int count : {30, 60}) {
        const QString plan = QStringLiteral("D%1").arg(count);
        addDays(db(), plan, count);
        openPlan(plan, count);
        for (const char* name : {"Option2", "Option3", "Command6(0)"}) {
            if (count == 60 && QString(name) == "Option2")
                continue;   // the cumulative chart already took the frame's width at 30 days
            ChartControl& drawn = QString(name) == "Option2" ? chart(1) : chart(5);
            drawn.setWidthTwips(FeedbackChartPanel::trendChartWidth);   // as on a first drawing
            click(name);
            QApplication::processEvents();
            ASSERT_GT(drawn.widthTwips(), 11415) << name;
            auto* area = qobject_cast<QScrollArea*>(drawn.parentWidget()->parentWidget()->parentWidget());
            ASSERT_TRUE(area) << name;
            QScrollBar* bar = area->horizontalScrollBar();
            EXPECT_GT(bar->maximum(), 0) << count << name;
            EXPECT_EQ(bar->value(), bar->maximum()) << count << name;
            // The current day is in view: the right end of the last group (the trend's bars
            // are one group of days, the last day at its right end).
            const QRectF last = drawn.rowGroupRect(drawn.rowCount());
            const QPoint lastInView = drawn.mapTo(area->viewport(), QPoint(int(last.right()) - 2, int(last.center().y())));
            EXPECT_TRUE(area->viewport()->rect().contains(lastInView)) << count << name;
        }
    }
}

TEST_F(FeedbackChartPanelTest, TheTrendKeepsItsLinesUntilBarsAreAskedFor)
{
    addDays(db(), "P1", 4);
    openPlan("P1", 4);
    click("Option3");
    click("Command6(0)");
    EXPECT_EQ(chart(5).chartType(), ChartControl::Line2d);
    click("Option2");
    click("Option1");
    EXPECT_EQ(chart(5).chartType(), ChartControl::Line2d);
    click("Option3");
    EXPECT_EQ(chart(5).chartType(), ChartControl::Bar2d);
    click("Command6(0)");
    click("Command6(1)");
    EXPECT_EQ(chart(5).chartType(), ChartControl::Bar2d);
    EXPECT_EQ(chart(5).columnCount(), 4);
}

TEST_F(FeedbackChartPanelTest, TheCumulativeLegendNamesEverySeriesInItsColour)
{
    const QStringList captions{"电话", "传真", "Email", "信函", "面访", "参观", "合计（当日）", "合计（至今日）"};
    const QList<QColor> colours{{255, 0, 0},   {0, 255, 0},   {0, 0, 192}, {255, 255, 0},
                                {255, 128, 255}, {0, 255, 255}, {0, 0, 0},   {128, 0, 0}};
    for (int i = 0; i < 8; ++i) {
        QLabel* swatch = label(QStringLiteral("Label3(%1)").arg(2 * i));
        QLabel* caption = label(QStringLiteral("Label3(%1)").arg(2 * i + 1));
        ASSERT_TRUE(swatch && caption) << i;
        EXPECT_EQ(swatch->text(), " ");
        EXPECT_EQ(SwatchLegend::swatchColour(*swatch), colours[i]) << i;
        EXPECT_EQ(caption->text(), captions[i]);
        EXPECT_EQ(chart(1).seriesColor(i + 1), colours[i]) << i;
    }
}

TEST_F(FeedbackChartPanelTest, ThePlanComparisonIsAskedForOnlyWhenPlansExist)
{
    QSignalSpy requests(panel.get(), &FeedbackChartPanel::chartWindowRequested);
    click("Command9");
    showPlans();
    click("Command9");
    EXPECT_EQ(requests.count(), 0);

    ChartTestData::addPlan(db(), "P1", "春季", "300", "40", "", "");
    showPlans();
    click("Command9");
    EXPECT_EQ(requests.count(), 1);
}

} // namespace
