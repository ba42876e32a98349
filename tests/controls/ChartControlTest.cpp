#include "core/ChartControl.h"
#include "core/DbError.h"
#include "core/Twips.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QDir>
#include <QImage>
#include <QLineSeries>
#include <QPixmap>
#include <QValueAxis>

#include <gtest/gtest.h>

namespace {

// Fills the chart as the windows do: counts first, then every cell selected and set.
void fill(ChartControl& chart, const QList<QList<double>>& rows, const QStringList& rowLabels = {})
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

QList<QBarSet*> barSets(ChartControl& chart)
{
    chart.refresh();
    const QList<QAbstractSeries*> series = chart.chart()->series();
    if (series.size() != 1)
        return {};
    auto* bars = qobject_cast<QBarSeries*>(series.first());
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

QCategoryAxis* rowAxis(ChartControl& chart)
{
    chart.refresh();
    const QList<QAbstractAxis*> axes = chart.chart()->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis*>(axes.first());
}

// The X axis labels in order, each with the row it stands under (1-based).
QList<std::pair<QString, int>> rowAxisLabels(ChartControl& chart)
{
    QList<std::pair<QString, int>> labels;
    QCategoryAxis* axis = rowAxis(chart);
    if (!axis)
        return labels;
    for (const QString& label : axis->categoriesLabels())
        labels.append({ label, qRound(axis->endValue(label)) + 1 });
    return labels;
}

QStringList categories(ChartControl& chart)
{
    QStringList texts;
    for (const auto& [text, row] : rowAxisLabels(chart))
        texts.append(text);
    return texts;
}

QValueAxis* valueAxis(ChartControl& chart)
{
    chart.refresh();
    const QList<QAbstractAxis*> axes = chart.chart()->axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}

int pixelsOfColor(const QImage& image, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgb() == color.rgb())
                ++count;
        }
    }
    return count;
}

} // namespace

// --- Filling cell by cell ---------------------------------------------------------

TEST(ChartControlFill, CellsAndLabelsReadBackAsSet)
{
    ChartControl chart;
    fill(chart, { { 1, 2, 3 }, { 4, 5.5, 0 } }, { "第一天", "第二天" });
    chart.setColumn(2);
    chart.setColumnLabel(QStringLiteral("传真"));

    EXPECT_EQ(chart.rowCount(), 2);
    EXPECT_EQ(chart.columnCount(), 3);
    EXPECT_DOUBLE_EQ(chart.cellValue(1, 3), 3.0);
    EXPECT_DOUBLE_EQ(chart.cellValue(2, 2), 5.5);
    EXPECT_EQ(chart.cellText(2, 2), "5.5");
    EXPECT_EQ(chart.rowLabelAt(1), QStringLiteral("第一天"));
    EXPECT_EQ(chart.rowLabelAt(2), QStringLiteral("第二天"));
    EXPECT_EQ(chart.columnLabelAt(2), QStringLiteral("传真"));
    EXPECT_EQ(chart.columnLabelAt(1), "");
}

TEST(ChartControlFill, SelectionReadsAndWritesTheSelectedCell)
{
    ChartControl chart;
    chart.setRowCount(3);
    chart.setColumnCount(2);
    chart.setRow(3);
    chart.setColumn(2);
    chart.setData(" 12.25 ");
    chart.setRowLabel("x");

    EXPECT_EQ(chart.row(), 3);
    EXPECT_EQ(chart.column(), 2);
    EXPECT_EQ(chart.data(), "12.25");
    EXPECT_EQ(chart.rowLabel(), "x");
    EXPECT_DOUBLE_EQ(chart.cellValue(3, 2), 12.25);
    EXPECT_DOUBLE_EQ(chart.cellValue(3, 1), 0.0);
    EXPECT_EQ(chart.cellText(3, 1), "0");
}

TEST(ChartControlFill, AcceptsTheNumberFormsFieldValuesTake)
{
    ChartControl chart;
    for (const auto& [text, value] : { std::pair { "-4", -4.0 }, { "1e3", 1000.0 }, { ".5", 0.5 },
                                       { "+7", 7.0 }, { "100", 100.0 } }) {
        chart.setData(text);
        EXPECT_DOUBLE_EQ(chart.cellValue(1, 1), value) << text;
    }
}

TEST(ChartControlFill, OutsideTheGridReadsAsEmpty)
{
    ChartControl chart;
    EXPECT_DOUBLE_EQ(chart.cellValue(0, 1), 0.0);
    EXPECT_EQ(chart.cellText(2, 1), "");
    EXPECT_EQ(chart.rowLabelAt(5), "");
    EXPECT_EQ(chart.columnLabelAt(0), "");
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

TEST(ChartControlRejects, ErrorTellsTheUserWhatWentWrong)
{
    ChartControl chart;
    try {
        chart.setData("abc");
        FAIL() << "no error";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains("abc"));
        EXPECT_TRUE(error.description().contains(QStringLiteral("数字")));
    }
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
    EXPECT_THROW(chart.setSeriesColor(0, Qt::red), DbError);

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
    chart.setData("9"); // the selected cell is a real cell
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

TEST(ChartControlDrawing, BarsAreOneSetPerColumnWithOneValuePerRow)
{
    ChartControl chart;
    fill(chart, { { 1, 2, 3 }, { 4, 5, 6 } }, { QStringLiteral("一"), "" });
    chart.setColumn(3);
    chart.setColumnLabel("Email");

    const QList<QBarSet*> sets = barSets(chart);
    ASSERT_EQ(sets.size(), 3);
    for (QBarSet* set : sets)
        EXPECT_EQ(set->count(), 2);
    EXPECT_DOUBLE_EQ(sets[2]->at(0), 3.0);
    EXPECT_DOUBLE_EQ(sets[0]->at(1), 4.0);
    EXPECT_EQ(sets[2]->label(), "Email");
    EXPECT_EQ(categories(chart), QStringList({ QStringLiteral("一"), "2" }));
}

TEST(ChartControlDrawing, LinesAreOneSeriesPerColumnWithOnePointPerRow)
{
    ChartControl chart;
    chart.setChartType(ChartControl::Line2d);
    fill(chart, { { 1, 10 }, { 2, 20 }, { 3, 30 } }, { "1", "2", "3" });

    const QList<QLineSeries*> lines = lineSeries(chart);
    ASSERT_EQ(lines.size(), 2);
    ASSERT_EQ(lines[1]->count(), 3);
    EXPECT_DOUBLE_EQ(lines[1]->at(2).y(), 30.0);
    EXPECT_DOUBLE_EQ(lines[0]->at(1).y(), 2.0);
    EXPECT_EQ(categories(chart), QStringList({ "1", "2", "3" }));
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
    EXPECT_EQ(barSets(chart).size(), 1);

    chart.setChartType(ChartControl::Line2d);
    EXPECT_EQ(lineSeries(chart).size(), 1);
    EXPECT_TRUE(barSets(chart).isEmpty());

    chart.setChartType(ChartControl::Bar2d);
    ASSERT_EQ(barSets(chart).size(), 1);
    EXPECT_DOUBLE_EQ(barSets(chart)[0]->at(1), 2.0);
}

TEST(ChartControlDrawing, RepeatedRowLabelsStillGiveOneCategoryPerRow)
{
    ChartControl chart;
    fill(chart, { { 1 }, { 2 }, { 3 } }, { "A", "A", "" });
    chart.setRow(3);
    chart.setRowLabel("A");

    const QStringList texts = categories(chart);
    ASSERT_EQ(texts.size(), 3);
    for (const QString& text : texts)
        EXPECT_EQ(QString(text).remove(QChar(0x200B)), "A");
}

TEST(ChartControlDrawing, RowLabelsStandUnderTheirRows)
{
    ChartControl chart;
    fill(chart, { { 1 }, { 2 }, { 3 } }, { QStringLiteral("保险"), QStringLiteral("基金"), "" });

    const QList<std::pair<QString, int>> expected = { { QStringLiteral("保险"), 1 },
                                                      { QStringLiteral("基金"), 2 },
                                                      { "3", 3 } };
    EXPECT_EQ(rowAxisLabels(chart), expected);
    QCategoryAxis* axis = rowAxis(chart);
    EXPECT_DOUBLE_EQ(axis->min(), -0.5);
    EXPECT_DOUBLE_EQ(axis->max(), 2.5);
}

TEST(ChartControlDrawing, CrowdedRowsAreLabelledEveryFewRowsFromTheFirst)
{
    ChartControl chart;
    chart.setChartType(ChartControl::Line2d);
    chart.setWidthTwips(11415);
    QList<QList<double>> days;
    QStringList labels;
    for (int day = 1; day <= 200; ++day) {
        days.append(QList<double> { double(day) });
        labels.append(QString::number(day));
    }
    fill(chart, days, labels);

    const QList<std::pair<QString, int>> shown = rowAxisLabels(chart);
    ASSERT_GE(shown.size(), 5);
    EXPECT_LT(shown.size(), 200);
    EXPECT_EQ(shown.first(), std::pair(QString("1"), 1));
    const int step = shown[1].second - shown[0].second;
    for (const auto& [text, row] : shown)
        EXPECT_EQ(text, QString::number(row)); // each label under its own row
    EXPECT_EQ(shown.last().second, 1 + (200 - 1) / step * step);
    EXPECT_EQ(lineSeries(chart).first()->count(), 200);
}

TEST(ChartControlDrawing, WideningTheChartMakesRoomForMoreLabels)
{
    ChartControl chart;
    chart.setWidthTwips(4400);
    QList<QList<double>> days;
    for (int day = 1; day <= 100; ++day)
        days.append(QList<double> { 1.0 });
    fill(chart, days);
    const qsizetype narrow = categories(chart).size();

    chart.setWidthTwips(4 * 11415);
    QApplication::processEvents();
    EXPECT_GT(categories(chart).size(), narrow);
}

TEST(ChartControlDrawing, ValueAxisStartsAtZeroWithWholeTicks)
{
    ChartControl chart;
    fill(chart, { { 3 }, { 7 } });
    QValueAxis* axis = valueAxis(chart);
    ASSERT_NE(axis, nullptr);
    EXPECT_DOUBLE_EQ(axis->min(), 0.0);
    EXPECT_GE(axis->max(), 7.0);
    EXPECT_LE(axis->max(), 10.0);
    const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
    EXPECT_DOUBLE_EQ(step, std::round(step));
    EXPECT_EQ(axis->labelFormat(), "%.0f");
}

TEST(ChartControlDrawing, SmallWholeValuesNeverGetFractionalTicks)
{
    ChartControl chart;
    fill(chart, { { 1 }, { 2 } });
    QValueAxis* axis = valueAxis(chart);
    ASSERT_NE(axis, nullptr);
    const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
    EXPECT_GE(step, 1.0);
    EXPECT_GE(axis->max(), 2.0);
}

TEST(ChartControlDrawing, AllZeroDataGivesAUsableAxis)
{
    ChartControl chart;
    fill(chart, { { 0, 0 }, { 0, 0 } });
    QValueAxis* axis = valueAxis(chart);
    ASSERT_NE(axis, nullptr);
    EXPECT_DOUBLE_EQ(axis->min(), 0.0);
    EXPECT_DOUBLE_EQ(axis->max(), 1.0);
}

TEST(ChartControlDrawing, FractionsAndNegativesStayOnTheAxis)
{
    ChartControl chart;
    fill(chart, { { 0.12 }, { 0.35 } });
    QValueAxis* axis = valueAxis(chart);
    ASSERT_NE(axis, nullptr);
    EXPECT_GE(axis->max(), 0.35);
    EXPECT_LE(axis->max(), 0.5);
    EXPECT_NE(axis->labelFormat(), "%.0f"); // ticks 0.1 apart must not all read 0

    fill(chart, { { -3 }, { 5 } });
    axis = valueAxis(chart);
    EXPECT_LE(axis->min(), -3.0);
    EXPECT_GE(axis->max(), 5.0);

    chart.setRow(1);
    chart.setData("-1.5e308");
    chart.setRow(2);
    chart.setData("1.5e308"); // the range itself exceeds a double
    axis = valueAxis(chart);
    EXPECT_DOUBLE_EQ(axis->min(), -1.5e308);
    EXPECT_DOUBLE_EQ(axis->max(), 1.5e308);
}

TEST(ChartControlDrawing, ValueLabelsOnlyWhenBarsAreFew)
{
    ChartControl chart;
    fill(chart, { { 1, 2, 3, 4 } });
    chart.refresh();
    auto* few = qobject_cast<QBarSeries*>(chart.chart()->series().first());
    EXPECT_TRUE(few->isLabelsVisible());

    chart.setRowCount(30);
    chart.setColumnCount(8);
    chart.refresh();
    auto* many = qobject_cast<QBarSeries*>(chart.chart()->series().first());
    EXPECT_FALSE(many->isLabelsVisible());
}

TEST(ChartControlDrawing, TitleAndLegendAreApplied)
{
    ChartControl chart;
    chart.refresh();
    EXPECT_FALSE(chart.chart()->legend()->isVisible());

    chart.setTitle(QStringLiteral("反馈总表统计图"));
    chart.setLegendVisible(true);
    chart.refresh();
    EXPECT_EQ(chart.chart()->title(), QStringLiteral("反馈总表统计图"));
    EXPECT_TRUE(chart.chart()->legend()->isVisible());
}

// --- Colours ------------------------------------------------------------------------

TEST(ChartControlColors, SetColoursDrawTheirColumns)
{
    ChartControl chart;
    chart.setSeriesColor(1, QColor(255, 0, 0));
    chart.setSeriesColor(3, QColor(0, 0, 192));
    fill(chart, { { 1, 2, 3 } });

    const QList<QBarSet*> sets = barSets(chart);
    ASSERT_EQ(sets.size(), 3);
    EXPECT_EQ(sets[0]->color(), QColor(255, 0, 0));
    EXPECT_EQ(sets[2]->color(), QColor(0, 0, 192));
    EXPECT_EQ(sets[1]->color(), chart.seriesColor(2));

    chart.setChartType(ChartControl::Line2d);
    const QList<QLineSeries*> lines = lineSeries(chart);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2]->pen().color(), QColor(0, 0, 192));
}

TEST(ChartControlColors, DefaultColoursTellNeighbouringColumnsApart)
{
    ChartControl chart;
    for (int column = 1; column < 8; ++column)
        EXPECT_NE(chart.seriesColor(column), chart.seriesColor(column + 1));
    EXPECT_TRUE(chart.seriesColor(100).isValid());
}

// --- Rebuilding only when needed ----------------------------------------------------

TEST(ChartControlRebuild, CellUpdatesAreBatchedUntilTheEventLoop)
{
    ChartControl chart;
    chart.refresh();
    const QAbstractSeries* before = chart.chart()->series().first();

    chart.setRowCount(100);
    chart.setColumnCount(8);
    for (int row = 1; row <= 100; ++row) {
        chart.setRow(row);
        for (int column = 1; column <= 8; ++column) {
            chart.setColumn(column);
            chart.setData(QString::number(row * column));
        }
    }
    EXPECT_EQ(chart.chart()->series().first(), before); // not rebuilt while filling

    QApplication::processEvents();
    auto* bars = qobject_cast<QBarSeries*>(chart.chart()->series().first());
    ASSERT_NE(bars, nullptr);
    ASSERT_EQ(bars->count(), 8);
    EXPECT_DOUBLE_EQ(bars->barSets()[7]->at(99), 800.0);
}

TEST(ChartControlRebuild, GrabRightAfterFillingShowsTheNewBars)
{
    ChartControl chart;
    chart.resize(400, 300);
    chart.setSeriesColor(1, QColor(255, 0, 0));
    fill(chart, { { 5 }, { 7 } });

    const QImage image = chart.grab().toImage();
    EXPECT_GT(pixelsOfColor(image, QColor(255, 0, 0)), 1000);
}

// Writes pictures of a filled bar chart and line chart into the folder named by
// MARQUEL_CHART_PICTURES, for a person to look at.
TEST(ChartControlPictures, WritesFilledChartsWhenAsked)
{
    const QString folder = qEnvironmentVariable("MARQUEL_CHART_PICTURES");
    if (folder.isEmpty())
        GTEST_SKIP() << "set MARQUEL_CHART_PICTURES to a folder to get the pictures";

    const QList<QColor> channelColors = { QColor(255, 0, 0),   QColor(0, 255, 0),     QColor(0, 0, 192),
                                          QColor(255, 255, 0), QColor(255, 128, 255), QColor(0, 255, 255),
                                          QColor(0, 0, 0),     QColor(128, 0, 0) };
    const QStringList channels = { QStringLiteral("电话"), QStringLiteral("传真"), "Email",
                                   QStringLiteral("信函"), QStringLiteral("面访"), QStringLiteral("参观"),
                                   QStringLiteral("合计（当日）"), QStringLiteral("合计（至今日）") };

    ChartControl bars(11415);
    bars.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    bars.resize(bars.width(), 300);
    bars.setTitle(QStringLiteral("累计反馈图"));
    bars.setLegendVisible(true);
    for (int column = 1; column <= 8; ++column)
        bars.setSeriesColor(column, channelColors[column - 1]);
    QList<QList<double>> days;
    for (int day = 1; day <= 5; ++day) {
        const QList<double> counts = { double(day), double(day % 3), 2, 1, double(day / 2), 0, 6, double(6 * day) };
        days.append(counts);
    }
    fill(bars, days, { "1", "2", "3", "4", "5" });
    for (int column = 1; column <= 8; ++column) {
        bars.setColumn(column);
        bars.setColumnLabel(channels[column - 1]);
    }
    ASSERT_TRUE(bars.grab().save(QDir(folder).filePath("chart-bars.png")));

    ChartControl products(6000);
    products.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    products.resize(products.width(), 300);
    fill(products, { { 12 }, { 7 }, { 3 }, { 0 }, { 9 } },
         { QStringLiteral("R1:保险"), QStringLiteral("R2:基金"), QStringLiteral("R3:信用卡"), "", "" });
    ASSERT_TRUE(products.grab().save(QDir(folder).filePath("chart-products.png")));

    ChartControl lines(11415);
    lines.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    lines.resize(lines.width(), 300);
    lines.setChartType(ChartControl::Line2d);
    QList<QList<double>> totals;
    QStringList labels;
    for (int day = 1; day <= 40; ++day) {
        totals.append(QList<double> { double((day * 7) % 23) });
        labels.append(QString::number(day));
    }
    fill(lines, totals, labels);
    ASSERT_TRUE(lines.grab().save(QDir(folder).filePath("chart-lines.png")));

    ChartControl single(4400);
    single.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    single.resize(single.width(), 300);
    single.setChartType(ChartControl::Line2d);
    fill(single, { { 4 } }, { "1" });
    ASSERT_TRUE(single.grab().save(QDir(folder).filePath("chart-single-point.png")));

    ChartControl crowded(11415);
    crowded.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    crowded.resize(crowded.width(), 300);
    crowded.setChartType(ChartControl::Line2d);
    QList<QList<double>> manyDays;
    QStringList manyLabels;
    for (int day = 1; day <= 200; ++day) {
        manyDays.append(QList<double> { double((day * 13) % 31) });
        manyLabels.append(QString::number(day));
    }
    fill(crowded, manyDays, manyLabels);
    ASSERT_TRUE(crowded.grab().save(QDir(folder).filePath("chart-crowded-lines.png")));

    ChartControl trend(11415);
    trend.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    trend.resize(trend.width(), 300);
    QList<double> dailyTotals;
    for (int day = 1; day <= 60; ++day)
        dailyTotals.append((day * 5) % 17);
    fill(trend, { dailyTotals }, { QStringLiteral("至2024/3/1") });
    ASSERT_TRUE(trend.grab().save(QDir(folder).filePath("chart-trend-bars.png")));
}
