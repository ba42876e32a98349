#include "controls/ChartControl.h"
#include "controls/ElidingLabel.h"
#include "controls/ScriptedDialogs.h"
#include "core/DbError.h"
#include "core/Twips.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QLineSeries>
#include <QPixmap>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>

#include <gtest/gtest.h>

namespace {

using Rows = QList<QList<double>>;

// Fills the chart as the windows do: counts first, then every cell selected and set.
void fill(ChartControl& chart, const Rows& rows, const QStringList& rowLabels = {})
{
    chart.setRowCount(int(rows.size()));
    chart.setColumnCount(int(rows.first().size()));
    for (int row = 1; row <= rows.size(); ++row) {
        chart.setRow(row);
        if (row <= rowLabels.size())
            chart.setRowLabel(rowLabels[row - 1]);
        for (int column = 1; column <= rows[row - 1].size(); ++column) {
            chart.setColumn(column);
            chart.setData(QString::number(rows[row - 1][column - 1]));
        }
    }
}

// One column of `count` rows labelled with their numbers, as the daily charts are.
void fillDays(ChartControl& chart, int count)
{
    Rows days;
    QStringList labels;
    for (int day = 1; day <= count; ++day) {
        days.append(QList<double> { double((day * 7) % 23) });
        labels.append(QString::number(day));
    }
    fill(chart, days, labels);
}

QList<QBarSet*> barSets(ChartControl& chart)
{
    chart.refresh();
    const QList<QAbstractSeries*> series = chart.chart()->series();
    auto* bars = series.size() == 1 ? qobject_cast<QBarSeries*>(series.first()) : nullptr;
    return bars ? bars->barSets() : QList<QBarSet*>();
}

QList<QLineSeries*> lineSeries(ChartControl& chart)
{
    chart.refresh();
    QList<QLineSeries*> lines;
    for (QAbstractSeries* series : chart.chart()->series()) {
        if (auto* line = qobject_cast<QLineSeries*>(series))
            lines.append(line);
    }
    return lines;
}

// The X axis labels in order, each with the row (1-based) it stands under.
QList<std::pair<QString, int>> rowAxisLabels(ChartControl& chart)
{
    chart.refresh();
    QList<std::pair<QString, int>> labels;
    const QList<QAbstractAxis*> axes = chart.chart()->axes(Qt::Horizontal);
    if (auto* axis = axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis*>(axes.first())) {
        for (const QString& label : axis->categoriesLabels())
            labels.append({ label, qRound(axis->endValue(label)) + 1 });
    }
    return labels;
}

QValueAxis* valueAxis(ChartControl& chart)
{
    chart.refresh();
    const QList<QAbstractAxis*> axes = chart.chart()->axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}

double tickStep(const QValueAxis& axis)
{
    return (axis.max() - axis.min()) / (axis.tickCount() - 1);
}

} // namespace

// --- Filling cell by cell ---------------------------------------------------------

TEST(ChartControlFill, CellsAndLabelsReadBackAsSet)
{
    ChartControl chart;
    fill(chart, { { 1, 2, 3 }, { 4, 5.5, 0 } }, { QStringLiteral("第一天"), QStringLiteral("第二天") });
    chart.setColumn(2);
    chart.setColumnLabel(QStringLiteral("传真"));
    chart.setRow(2);
    chart.setData(" 1e3 ");

    EXPECT_EQ(chart.rowCount(), 2);
    EXPECT_EQ(chart.columnCount(), 3);
    EXPECT_DOUBLE_EQ(chart.cellValue(1, 3), 3.0);
    EXPECT_DOUBLE_EQ(chart.cellValue(2, 2), 1000.0);
    EXPECT_EQ(chart.data(), "1000");
    EXPECT_EQ(chart.cellText(2, 3), "0");
    EXPECT_EQ(chart.rowLabel(), QStringLiteral("第二天"));
    EXPECT_EQ(chart.rowLabelAt(1), QStringLiteral("第一天"));
    EXPECT_EQ(chart.columnLabelAt(2), QStringLiteral("传真"));
    EXPECT_EQ(chart.columnLabelAt(1), "");
}

// --- Rejected input -----------------------------------------------------------------

TEST(ChartControlRejects, TextThatIsNotANumberLeavesTheCell)
{
    ChartControl chart;
    chart.setData("42");
    for (const char* text : { "", "   ", "abc", "12abc", "1,5", "inf", "nan", "1e999" }) {
        EXPECT_THROW(chart.setData(text), DbError) << text;
        EXPECT_EQ(chart.data(), "42") << text;
    }
    try {
        chart.setData("abc");
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains("abc"));
    }
}

TEST(ChartControlRejects, SelectionOutsideTheGridKeepsTheSelection)
{
    ChartControl chart;
    chart.setRowCount(8);
    chart.setColumnCount(2);
    chart.setRow(8);
    chart.setColumn(2);

    EXPECT_THROW(chart.setRow(0), DbError);
    EXPECT_THROW(chart.setRow(9), DbError);
    EXPECT_THROW(chart.setColumn(0), DbError);
    EXPECT_THROW(chart.setColumn(3), DbError);
    EXPECT_EQ(chart.row(), 8);
    EXPECT_EQ(chart.column(), 2);
}

TEST(ChartControlRejects, UnknownTypesAndCountsChangeNothing)
{
    ChartControl chart;
    chart.setChartType(ChartControl::Line2d);
    chart.setRowCount(400);
    chart.setColumnCount(2);

    EXPECT_THROW(chart.setChartType(2), DbError);
    EXPECT_THROW(chart.setRowCount(0), DbError);
    EXPECT_THROW(chart.setRowCount(-1), DbError);
    EXPECT_THROW(chart.setColumnCount(ChartControl::maxCount + 1), DbError);
    EXPECT_THROW(chart.setColumnCount(20000), DbError); // 8,000,000 cells
    EXPECT_THROW(chart.setWidthTwips(-15), DbError);

    EXPECT_EQ(chart.chartType(), ChartControl::Line2d);
    EXPECT_EQ(chart.rowCount(), 400);
    EXPECT_EQ(chart.columnCount(), 2);
}

// --- Changing the counts ------------------------------------------------------------

TEST(ChartControlCounts, GrowingKeepsCellsAndLabelsAndAddsEmptyOnes)
{
    ChartControl chart;
    fill(chart, { { 1, 2 }, { 3, 4 } }, { "a", "b" });
    chart.setRowCount(3);
    chart.setColumnCount(3);

    EXPECT_DOUBLE_EQ(chart.cellValue(1, 2), 2.0);
    EXPECT_DOUBLE_EQ(chart.cellValue(2, 1), 3.0);
    EXPECT_DOUBLE_EQ(chart.cellValue(2, 2), 4.0);
    EXPECT_DOUBLE_EQ(chart.cellValue(2, 3), 0.0);
    EXPECT_DOUBLE_EQ(chart.cellValue(3, 1), 0.0);
    EXPECT_EQ(chart.rowLabelAt(2), "b");
    EXPECT_EQ(chart.rowLabelAt(3), "");
}

TEST(ChartControlCounts, ShrinkingDropsCellsThatComeBackEmpty)
{
    ChartControl chart;
    fill(chart, { { 1, 2 }, { 3, 4 } }, { "a", "b" });
    chart.setColumnCount(1);
    chart.setRowCount(1);
    EXPECT_DOUBLE_EQ(chart.cellValue(1, 1), 1.0);

    chart.setRowCount(2);
    chart.setColumnCount(2);
    EXPECT_DOUBLE_EQ(chart.cellValue(1, 2), 0.0);
    EXPECT_DOUBLE_EQ(chart.cellValue(2, 2), 0.0);
    EXPECT_EQ(chart.rowLabelAt(2), "");
}

TEST(ChartControlCounts, ShrinkingMovesTheSelectionBackIntoTheGrid)
{
    ChartControl chart;
    chart.setRowCount(5);
    chart.setColumnCount(4);
    chart.setRow(5);
    chart.setColumn(4);
    chart.setRowCount(2);
    chart.setColumnCount(1);

    EXPECT_EQ(chart.row(), 2);
    EXPECT_EQ(chart.column(), 1);
    chart.setData("9");
    EXPECT_DOUBLE_EQ(chart.cellValue(2, 1), 9.0);
}

// --- Width in twips -----------------------------------------------------------------

TEST(ChartControlWidth, ReadsBackExactlyAndFixesThePixelWidth)
{
    ChartControl chart;
    const double dpi = chart.logicalDpiX();
    for (int twips : { 11415, 4400, 4007, 0 }) {
        chart.setWidthTwips(twips);
        EXPECT_EQ(chart.widthTwips(), twips);
        EXPECT_EQ(chart.width(), qRound(twips * dpi / 1440.0)) << twips;
        EXPECT_EQ(chart.minimumWidth(), chart.maximumWidth());
    }
}

TEST(ChartControlWidth, StartsAtTheWidthGivenOrTheWidgetsOwn)
{
    ChartControl given(11295);
    EXPECT_EQ(given.widthTwips(), 11295);

    ChartControl unset;
    unset.resize(200, 100);
    EXPECT_EQ(unset.widthTwips(), Twips::pixelsToTwips(200, unset.logicalDpiX()));
}

// --- The built chart ----------------------------------------------------------------

TEST(ChartControlDrawing, BarsAreOneSetPerColumnGroupedByRow)
{
    ChartControl chart;
    fill(chart, { { 1, 2, 3 }, { 4, 5, 6 } }, { QStringLiteral("保险"), "" });
    chart.setColumn(3);
    chart.setColumnLabel("Email");

    const QList<QBarSet*> sets = barSets(chart);
    ASSERT_EQ(sets.size(), 3);
    for (QBarSet* set : sets)
        EXPECT_EQ(set->count(), 2);
    EXPECT_DOUBLE_EQ(sets[2]->at(0), 3.0);
    EXPECT_DOUBLE_EQ(sets[0]->at(1), 4.0);
    EXPECT_EQ(sets[2]->label(), "Email");
    // An unlabelled row is shown by its number; each label stands under its group.
    const QList<std::pair<QString, int>> expected = { { QStringLiteral("保险"), 1 }, { "2", 2 } };
    EXPECT_EQ(rowAxisLabels(chart), expected);
}

TEST(ChartControlDrawing, LinesAreOneSeriesPerColumnWithOnePointPerRow)
{
    ChartControl chart;
    chart.setChartType(ChartControl::Line2d);
    fill(chart, { { 1, 10 }, { 2, 20 }, { 3, 30 } });

    const QList<QLineSeries*> lines = lineSeries(chart);
    ASSERT_EQ(lines.size(), 2);
    ASSERT_EQ(lines[1]->count(), 3);
    EXPECT_DOUBLE_EQ(lines[1]->at(2).y(), 30.0);
    EXPECT_DOUBLE_EQ(lines[0]->at(1).y(), 2.0);
    EXPECT_EQ(rowAxisLabels(chart).size(), 3);
}

TEST(ChartControlDrawing, OneRowLineShowsItsPoint)
{
    ChartControl chart;
    chart.setChartType(ChartControl::Line2d);
    fill(chart, { { 7 } }, { "1" });

    const QList<QLineSeries*> lines = lineSeries(chart);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0]->count(), 1);
    EXPECT_TRUE(lines[0]->pointsVisible());
}

TEST(ChartControlDrawing, SwitchingTypeKeepsTheCells)
{
    ChartControl chart;
    fill(chart, { { 1 }, { 2 } });
    chart.setChartType(ChartControl::Line2d);
    EXPECT_EQ(lineSeries(chart).size(), 1);
    EXPECT_TRUE(barSets(chart).isEmpty());

    chart.setChartType(ChartControl::Bar2d);
    ASSERT_EQ(barSets(chart).size(), 1);
    EXPECT_DOUBLE_EQ(barSets(chart)[0]->at(1), 2.0);
}

TEST(ChartControlDrawing, RepeatedRowLabelsStillGiveOneLabelPerRow)
{
    ChartControl chart;
    fill(chart, { { 1 }, { 2 }, { 3 } }, { "A", "A", "A" });

    const QList<std::pair<QString, int>> labels = rowAxisLabels(chart);
    ASSERT_EQ(labels.size(), 3);
    for (const auto& [text, row] : labels)
        EXPECT_EQ(QString(text).remove(QChar(0x200B)), "A"); // told apart invisibly
}

TEST(ChartControlDrawing, CrowdedRowsAreLabelledEveryFewRowsFromTheFirst)
{
    ChartControl chart;
    chart.setChartType(ChartControl::Line2d);
    chart.setWidthTwips(11415);
    fillDays(chart, 200);

    const QList<std::pair<QString, int>> shown = rowAxisLabels(chart);
    ASSERT_GE(shown.size(), 5);
    EXPECT_LT(shown.size(), 200);
    EXPECT_EQ(shown.first(), std::pair(QString("1"), 1));
    for (const auto& [text, row] : shown)
        EXPECT_EQ(text, QString::number(row)); // each label under its own row
    EXPECT_EQ(lineSeries(chart).first()->count(), 200);

    chart.setWidthTwips(4 * 11415);
    QApplication::processEvents();
    EXPECT_GT(rowAxisLabels(chart).size(), shown.size()); // a wider chart labels more rows
}

TEST(ChartControlDrawing, ValueAxisStartsAtZeroWithWholeTicksForCounts)
{
    ChartControl chart;
    for (const Rows& rows : { Rows { { 3 }, { 7 } }, Rows { { 1 }, { 2 } }, Rows { { 0 }, { 95 } } }) {
        fill(chart, rows);
        QValueAxis* axis = valueAxis(chart);
        ASSERT_NE(axis, nullptr);
        EXPECT_DOUBLE_EQ(axis->min(), 0.0);
        EXPECT_GE(axis->max(), rows.last().first());
        EXPECT_LE(axis->max(), 1.5 * rows.last().first() + 1);
        EXPECT_GE(tickStep(*axis), 1.0);
        EXPECT_DOUBLE_EQ(tickStep(*axis), std::round(tickStep(*axis)));
        EXPECT_EQ(axis->labelFormat(), "%.0f");
    }
}

TEST(ChartControlDrawing, ValueAxisCopesWithZerosFractionsNegativesAndExtremes)
{
    ChartControl chart;
    fill(chart, { { 0, 0 }, { 0, 0 } });
    QValueAxis* axis = valueAxis(chart);
    EXPECT_DOUBLE_EQ(axis->min(), 0.0);
    EXPECT_DOUBLE_EQ(axis->max(), 1.0);

    fill(chart, { { 0.12 }, { 0.35 } });
    axis = valueAxis(chart);
    EXPECT_GE(axis->max(), 0.35);
    EXPECT_LE(axis->max(), 0.5);
    EXPECT_NE(axis->labelFormat(), "%.0f"); // ticks 0.1 apart must not all read 0

    fill(chart, { { -3 }, { 5 } });
    axis = valueAxis(chart);
    EXPECT_LE(axis->min(), -3.0);
    EXPECT_GE(axis->max(), 5.0);

    fill(chart, { { -1.5e308 }, { 1.5e308 } }); // the range itself exceeds a double
    axis = valueAxis(chart);
    EXPECT_DOUBLE_EQ(axis->min(), -1.5e308);
    EXPECT_DOUBLE_EQ(axis->max(), 1.5e308);
}

// --- Colours ------------------------------------------------------------------------

TEST(ChartControlColors, ColoursSetBeforeFillingDrawTheirColumns)
{
    ChartControl chart;
    chart.setSeriesColor(1, QColor(255, 0, 0));
    chart.setSeriesColor(3, QColor(0, 0, 192));
    EXPECT_THROW(chart.setSeriesColor(0, Qt::green), DbError);
    fill(chart, { { 1, 2, 3 } });

    const QList<QBarSet*> sets = barSets(chart);
    ASSERT_EQ(sets.size(), 3);
    EXPECT_EQ(sets[0]->color(), QColor(255, 0, 0));
    EXPECT_EQ(sets[2]->color(), QColor(0, 0, 192));
    EXPECT_EQ(sets[1]->color(), chart.seriesColor(2));
    EXPECT_NE(chart.seriesColor(2), chart.seriesColor(4)); // the default palette

    chart.setChartType(ChartControl::Line2d);
    const QList<QLineSeries*> lines = lineSeries(chart);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2]->pen().color(), QColor(0, 0, 192));
}

// --- Readability: blank charts, one colour, a right axis, row texts ------------------

TEST(ChartControlBlank, ABlankChartDrawsNothingUntilCellsAreSetAgain)
{
    ChartControl chart;
    fill(chart, { { 4, 2 }, { 6, 1 } }, { "1", "2" });
    chart.clear();
    EXPECT_TRUE(chart.isBlank());
    EXPECT_EQ(chart.rowCount(), 1);
    EXPECT_EQ(chart.columnCount(), 1);
    EXPECT_EQ(chart.cellValue(1, 1), 0.0);
    EXPECT_EQ(chart.rowLabelAt(1), "");
    chart.refresh();
    EXPECT_TRUE(chart.chart()->series().isEmpty());   // no bar, not even one of 0
    EXPECT_TRUE(chart.rowAxisTexts().isEmpty());      // no day "1"
    EXPECT_FALSE(chart.valueLabelsShown());
    EXPECT_TRUE(chart.rowGroupRect(1).isEmpty());

    chart.setChartType(ChartControl::Line2d);
    chart.refresh();
    EXPECT_TRUE(chart.chart()->series().isEmpty());

    chart.setRowCount(3);   // a window drawing again ends the blank state
    EXPECT_FALSE(chart.isBlank());
    chart.clear();
    chart.setData("0");     // even a single 0 set on purpose is drawn
    EXPECT_FALSE(chart.isBlank());
    EXPECT_EQ(lineSeries(chart).size(), 1);
}

TEST(ChartControlColors, AUniformColourPaintsEveryColumnWhateverTheirCount)
{
    ChartControl chart;
    chart.setSeriesColor(2, Qt::red);
    chart.setUniformColor(QColor(78, 121, 167));
    Rows oneGroup { QList<double>(25, 3.0) };
    fill(chart, oneGroup);
    const QList<QBarSet*> sets = barSets(chart);
    ASSERT_EQ(sets.size(), 25);
    for (QBarSet* set : sets)
        EXPECT_EQ(set->color(), QColor(78, 121, 167));   // no colour comes back after 10 columns

    chart.setUniformColor(QColor());
    EXPECT_EQ(barSets(chart)[1]->color(), QColor(Qt::red));
    EXPECT_NE(barSets(chart)[0]->color(), barSets(chart)[2]->color());
}

TEST(ChartControlRightAxis, ARateColumnIsReadOnItsOwnAxisBesideLargeCounts)
{
    ChartControl chart(11415);
    chart.resize(chart.width(), 360);
    chart.show();
    chart.setRightAxisColumn(4, 100.0, "%");
    fill(chart, { { 300, 40, 37, 12.3 }, { 10000, 900, 1200, 12 }, { 5000, 300, 80, 1.6 } });
    chart.refresh();

    // One series of bars, the rate's bars in it invisible so every bar keeps its place in
    // the group; the rate drawn against the right axis, in the fourth slot of each group.
    const QList<QAbstractSeries*> series = chart.chart()->series();
    ASSERT_EQ(series.size(), 3);
    auto* counts = qobject_cast<QBarSeries*>(series[0]);
    auto* rates = qobject_cast<QAreaSeries*>(series[1]);
    auto* rateLabels = qobject_cast<QScatterSeries*>(series[2]);
    ASSERT_TRUE(counts && rates && rateLabels);
    ASSERT_EQ(counts->count(), 4);
    EXPECT_EQ(counts->barSets()[0]->at(1), 10000);
    EXPECT_EQ(counts->barSets()[3]->at(0), 0);
    EXPECT_EQ(counts->barSets()[3]->color().alpha(), 0);
    EXPECT_EQ(rates->color(), chart.seriesColor(4));
    const QList<QPointF> outline = rates->upperSeries()->points();
    ASSERT_EQ(outline.size(), 12);   // four corners a plan
    EXPECT_NEAR(outline[0].x(), 0.2, 1e-9);   // the group spans −0.4 … 0.4, the fourth slot 0.2 … 0.4
    EXPECT_NEAR(outline[2].x(), 0.4, 1e-9);
    EXPECT_DOUBLE_EQ(outline[1].y(), 12.3);
    EXPECT_DOUBLE_EQ(outline[5].y(), 12);
    EXPECT_NEAR(outline[8].x(), 2.2, 1e-9);
    EXPECT_DOUBLE_EQ(rateLabels->at(2).y(), 1.6);

    const ChartControl::AxisRange left = chart.valueAxisRange();
    const ChartControl::AxisRange right = chart.rightAxisRange();
    EXPECT_EQ(left.min, 0.0);
    EXPECT_GE(left.max, 10000.0);
    EXPECT_LE(left.max, 15000.0);
    EXPECT_EQ(right.min, 0.0);
    EXPECT_EQ(right.max, 100.0);
    auto* rightAxis = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical, rates).first());
    ASSERT_TRUE(rightAxis);
    EXPECT_EQ(chart.chart()->axes(Qt::Vertical, rates).size(), 1);
    EXPECT_EQ(rightAxis->alignment(), Qt::AlignRight);
    EXPECT_TRUE(rightAxis->labelFormat().endsWith("%%"));
    // 12.3 % is an eighth of the plot's height, not the 0.1 % of it that 10000 would leave.
    EXPECT_GT(chart.chart()->plotArea().height() * 12.3 / right.max, 20.0);

    // A rate above 100 % still fits its axis; lines take the same axes.
    chart.setRow(2);
    chart.setColumn(4);
    chart.setData("140");
    chart.setChartType(ChartControl::Line2d);
    chart.refresh();
    EXPECT_GE(chart.rightAxisRange().max, 140.0);
    const QList<QLineSeries*> lines = lineSeries(chart);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(chart.chart()->axes(Qt::Vertical, lines[3]).first()->alignment(), Qt::AlignRight);
    EXPECT_EQ(chart.chart()->axes(Qt::Vertical, lines[0]).first()->alignment(), Qt::AlignLeft);

    chart.setRightAxisColumn(0);
    chart.refresh();
    EXPECT_EQ(chart.rightAxisRange().max, 0.0);
    EXPECT_EQ(chart.chart()->axes(Qt::Vertical).size(), 1);
}

TEST(ChartControlRowTexts, RowsReadAsTheKeyBesideTheChartOrAreLeftToTheWindowsCaptions)
{
    ChartControl chart;
    chart.setRowNumberPrefix("R");
    fill(chart, { { 1 }, { 2 }, { 3 }, { 4 }, { 5 } });
    chart.refresh();
    EXPECT_EQ(chart.rowAxisTexts(), QStringList({ "R1", "R2", "R3", "R4", "R5" }));
    EXPECT_EQ(rowAxisLabels(chart).first(), std::make_pair(QString("R1"), 1));

    chart.setRowTextsVisible(false);
    EXPECT_TRUE(chart.rowAxisTexts().isEmpty());
    EXPECT_TRUE(rowAxisLabels(chart).isEmpty());
}

TEST(ChartControlRowTexts, AGroupsLabelCanEndWhereItsLastBarEnds)
{
    ChartControl chart;
    chart.resize(900, 300);
    chart.show();
    chart.setRowLabelsAtGroupEnd(true);
    fill(chart, { QList<double>(40, 2.0) }, { QStringLiteral("至2026/12/9") });
    chart.refresh();
    QApplication::processEvents();

    auto* axis = qobject_cast<QCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).first());
    ASSERT_TRUE(axis);
    ASSERT_EQ(axis->categoriesLabels().size(), 1);
    const double middle = axis->endValue(axis->categoriesLabels().first());
    const double plotWidth = chart.chart()->plotArea().width();
    const double labelWidth = QFontMetrics(chart.font()).horizontalAdvance(QStringLiteral("至2026/12/9"));
    const double rightEdge = middle + labelWidth / 2 / plotWidth;   // in rows; the group ends at 0.4
    EXPECT_GT(middle, 0.2);
    EXPECT_NEAR(rightEdge, 0.4, 0.02);
}

TEST(ChartControlValueLabels, TheTallestBarOfAShortChartHasRoomForItsValueAbove)
{
    ChartControl chart;
    chart.resize(420, 130);
    chart.show();
    fill(chart, { { 3 }, { 7 }, { 5 }, { 6 }, { 7 } });
    QApplication::processEvents();
    chart.refresh();
    ASSERT_TRUE(chart.valueLabelsShown());
    const ChartControl::AxisRange range = chart.valueAxisRange();
    const double plotHeight = chart.chart()->plotArea().height();
    const double roomAboveTallest = plotHeight * (range.max - 7) / (range.max - range.min);
    EXPECT_GE(roomAboveTallest, QFontMetrics(chart.font()).height());

    // Taller, it needs no extra step: the axis stays close to the values.
    chart.resize(420, 600);
    QApplication::processEvents();
    chart.refresh();
    EXPECT_LE(chart.valueAxisRange().max, 10.0);
}

TEST(ChartControlGeometry, RowGroupsStandLeftToRightInsideTheWidget)
{
    ChartControl chart;
    chart.resize(600, 300);
    chart.show();
    fill(chart, Rows(8, QList<double> { 1.0 }));
    QApplication::processEvents();
    chart.refresh();
    double previous = -1;
    for (int row = 1; row <= 8; ++row) {
        const QRectF group = chart.rowGroupRect(row);
        ASSERT_FALSE(group.isEmpty()) << row;
        EXPECT_GT(group.center().x(), previous) << row;
        EXPECT_GE(group.left(), 0);
        EXPECT_LE(group.right(), chart.width());
        previous = group.center().x();
    }
    EXPECT_TRUE(chart.rowGroupRect(9).isEmpty());
}

// --- Rebuilding only when needed ----------------------------------------------------

TEST(ChartControlRebuild, CellUpdatesAreBatchedUntilTheEventLoop)
{
    ChartControl chart;
    chart.refresh();
    const QAbstractSeries* before = chart.chart()->series().first();

    fill(chart, Rows(100, QList<double>(8, 5.0)));
    EXPECT_EQ(chart.chart()->series().first(), before); // not rebuilt cell by cell

    QApplication::processEvents();
    auto* bars = qobject_cast<QBarSeries*>(chart.chart()->series().first());
    ASSERT_NE(bars, nullptr);
    ASSERT_EQ(bars->count(), 8);
    EXPECT_EQ(bars->barSets()[7]->count(), 100);
}

TEST(ChartControlRebuild, GrabRightAfterFillingShowsTheNewBars)
{
    ChartControl chart;
    chart.resize(400, 300);
    chart.setSeriesColor(1, QColor(255, 0, 0));
    fill(chart, { { 5 }, { 7 } });

    const QImage image = chart.grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            red += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
    }
    EXPECT_GT(red, 1000);
}

namespace {

TEST(ChartControlReading, EveryBarKeepsALabelLongNamesShortenedAndTheFullTextOnHover)
{
    ChartControl chart;
    chart.resize(330, 220);
    chart.show();
    const QString longName = QStringLiteral("高速彩色激光多功能一体机（商用）");
    fill(chart, { { 1 }, { 0 }, { 4 }, { 2 }, { 3 } },
         { QStringLiteral("复印机"), longName, QStringLiteral("扫描仪"), QStringLiteral("传真机"), QStringLiteral("碎纸机") });
    QApplication::processEvents();
    const QStringList texts = chart.rowAxisTexts();
    ASSERT_EQ(texts.size(), 5);
    EXPECT_TRUE(texts[1].endsWith(QStringLiteral("…")));
    EXPECT_TRUE(longName.startsWith(texts[1].chopped(1)));
    // Side by side they stay apart: each fits in its row's width.
    const QFontMetrics metrics(chart.font());
    const double rowWidth = chart.rowGroupRect(2).width() / ChartControl::barGroupShare;
    for (const QString& text : texts)
        EXPECT_LT(metrics.horizontalAdvance(text), rowWidth) << text.toStdString();
    EXPECT_EQ(chart.hoverText(2, 1), longName + QStringLiteral("：0"));
    EXPECT_EQ(chart.hoverText(6, 1), QString());

    chart.setColumnCount(2);
    chart.setColumnLabel(QStringLiteral("电话"));
    EXPECT_EQ(chart.hoverText(3, 1), QStringLiteral("扫描仪 · 电话：4"));
}

TEST(ChartControlReading, AKeyWithALongNameAsksForNoMoreRoomThanItIsGiven)
{
    const QString longName = QStringLiteral("R1:高速彩色激光多功能一体机（商用型）");
    ElidingLabel key(longName);
    EXPECT_LT(key.minimumSizeHint().width(), key.fontMetrics().horizontalAdvance(longName) / 3);
    key.resize(key.fontMetrics().horizontalAdvance(longName) / 2, 20);
    EXPECT_TRUE(key.shownText().endsWith(QStringLiteral("…")));
    EXPECT_EQ(key.text(), longName);
    key.resize(key.fontMetrics().horizontalAdvance(longName) + 10, 20);
    EXPECT_EQ(key.shownText(), longName);
}

TEST(ChartControlReading, ValueTicksAreWholeEvenStepsThatAllFitTheHeight)
{
    ChartControl chart;
    chart.resize(300, 150);   // as short as the product chart beside the day's channels
    chart.show();
    fill(chart, { { 1 }, { 0 }, { 4 }, { 2 }, { 5 } });
    QApplication::processEvents();
    chart.refresh();
    const QValueAxis* axis = valueAxis(chart);
    ASSERT_NE(axis, nullptr);
    const double step = tickStep(*axis);
    EXPECT_DOUBLE_EQ(step, std::round(step));
    EXPECT_DOUBLE_EQ(axis->min(), 0.0);
    EXPECT_DOUBLE_EQ(std::fmod(axis->max(), step), 0.0);
    // Every label has the room of a line and a half, so Qt Charts leaves none out.
    const double spacing = chart.chart()->plotArea().height() / (axis->tickCount() - 1);
    EXPECT_GE(spacing, QFontMetrics(chart.font()).height() * 1.4);
}

TEST(ChartControlPicture, TheChartIsSavedAsAPngWhereTheUserSays)
{
    QTemporaryDir folder;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    ChartControl chart;
    chart.resize(400, 260);
    chart.show();
    fill(chart, { { 3 }, { 7 } });
    dialogs.queueSaveFile(FileChoice{folder.filePath("反馈图"), "反馈图"});   // the extension is added
    chart.savePictureAs();
    const QImage saved(folder.filePath("反馈图.png"), "PNG");
    EXPECT_EQ(saved.size(), chart.size() * chart.devicePixelRatio());
    EXPECT_EQ(dialogs.log().first().file.defaultExt, QStringLiteral("png"));
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("图片已保存到：") + QDir::toNativeSeparators(folder.filePath("反馈图.png")));

    dialogs.queueSaveFile(FileChoice{folder.filePath("没有此文件夹/图.png"), "图.png"});
    chart.savePictureAs();
    ASSERT_EQ(dialogs.log().size(), 4);
    EXPECT_TRUE(dialogs.log()[3].text.startsWith(QStringLiteral("图片未能保存到")));
    Dialogs::install(nullptr);
}

} // namespace
