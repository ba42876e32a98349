#include "ChartControl.h"

#include "core/DbError.h"
#include "core/Twips.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// Value labels are drawn on the bars only while they have room to be read.
constexpr int maxLabelledBars = 20;
// Point markers are drawn on lines of up to this many rows.
constexpr int maxMarkedRows = 60;
// Pixels of the chart's width taken by the value axis and the margins, not by rows.
constexpr int valueAxisAllowance = 70;
// Least room between two row labels, in pixels.
constexpr int labelGap = 12;
// The share of a row's width its group of bars takes.
constexpr double barGroupWidth = 0.8;

// Default colours of the columns without their own: distinct, soft and readable on white.
const QColor defaultPalette[] = {
    QColor(78, 121, 167),  QColor(242, 142, 43),  QColor(225, 87, 89),  QColor(118, 183, 178),
    QColor(89, 161, 79),   QColor(237, 201, 72),  QColor(176, 122, 161), QColor(255, 157, 167),
    QColor(156, 117, 95),  QColor(186, 176, 172),
};

// How the value axis is laid out: from `min` to `max` in `tickCount` − 1 equal steps,
// labels with `decimals` digits after the point.
struct ValueScale {
    double min = 0.0;
    double max = 1.0;
    int tickCount = 2;
    int decimals = 0;
};

// The smallest step of 1, 2 or 5 times a power of ten that is at least `rawStep`.
double niceStep(double rawStep)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(rawStep)));
    const double normalized = rawStep / magnitude;
    for (double nice : { 1.0, 2.0, 5.0 }) {
        if (normalized <= nice + 1e-9)
            return nice * magnitude;
    }
    return 10.0 * magnitude;
}

// An axis from 0 (or below, for negative values) to just above the largest value, in
// about five round steps; whole steps when every value is whole, so counts never show
// as 2.5. Without any range (all values 0) the axis runs from 0 to 1.
ValueScale valueScaleFor(const QList<double>& values)
{
    double lowest = 0.0;
    double highest = 0.0;
    bool allWhole = true;
    for (double value : values) {
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
        allWhole = allWhole && value == std::floor(value);
    }
    if (highest == lowest)
        return {};
    if (!std::isfinite(highest - lowest)) // values near the limits of a double
        return { lowest, highest, 5, 0 };

    double step = niceStep((highest - lowest) / 5.0);
    if (allWhole)
        step = std::max(step, 1.0);
    ValueScale scale;
    scale.min = std::floor(lowest / step + 1e-9) * step;
    scale.max = std::ceil(highest / step - 1e-9) * step;
    // Room above the highest bar, so its value label and top stay clear of the frame.
    if (highest > 0.0 && scale.max - highest < step * 0.3)
        scale.max += step;
    scale.tickCount = qRound((scale.max - scale.min) / step) + 1;
    scale.decimals = step >= 1.0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    return scale;
}

// Qt's category axis keeps one category per distinct text, so repeated labels are told
// apart by trailing zero-width spaces, which draw as nothing.
QStringList withDistinctTexts(const QStringList& labels)
{
    QStringList distinct;
    distinct.reserve(labels.size());
    QSet<QString> used;
    for (const QString& label : labels) {
        QString text = label;
        while (used.contains(text))
            text += QChar(0x200B);
        used.insert(text);
        distinct.append(text);
    }
    return distinct;
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

int pixelWidth(int twips, double dpi)
{
    return std::clamp(Twips::twipsToPixels(twips, dpi), 0, QWIDGETSIZE_MAX);
}

} // namespace

ChartControl::ChartControl(QWidget* parent)
    : QWidget(parent)
{
    chart_ = new QChart;
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->setBackgroundRoundness(0);
    chart_->setDropShadowEnabled(false);
    chart_->setMargins(QMargins(6, 6, 6, 6));
    // The chart's white background fills the whole widget, with no grey frame around it.
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->legend()->setVisible(legendVisible_);

    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setFrameShape(QFrame::NoFrame);
    view_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    markDirty();
}

ChartControl::ChartControl(int widthTwips, QWidget* parent)
    : ChartControl(parent)
{
    setWidthTwips(widthTwips);
}

void ChartControl::setChartType(int type)
{
    if (type != Bar2d && type != Line2d)
        throw DbError(QStringLiteral("不支持图表类型 %1：只能是 1（条形图）或 3（折线图）。").arg(type));
    if (type == type_)
        return;
    type_ = type;
    markDirty();
}

int ChartControl::chartType() const
{
    return type_;
}

void ChartControl::setRowCount(int count)
{
    if (count < 1 || count > maxCount)
        throw DbError(QStringLiteral("图表的行数 %1 无效：应在 1 到 %2 之间。").arg(count).arg(maxCount));
    resizeGrid(count, columns_);
}

int ChartControl::rowCount() const
{
    return rows_;
}

void ChartControl::setColumnCount(int count)
{
    if (count < 1 || count > maxCount)
        throw DbError(QStringLiteral("图表的列数 %1 无效：应在 1 到 %2 之间。").arg(count).arg(maxCount));
    resizeGrid(rows_, count);
}

int ChartControl::columnCount() const
{
    return columns_;
}

void ChartControl::setRow(int row)
{
    if (row < 1 || row > rows_)
        throw DbError(QStringLiteral("行号 %1 超出范围：图表共有 %2 行。").arg(row).arg(rows_));
    selectedRow_ = row;
}

int ChartControl::row() const
{
    return selectedRow_;
}

void ChartControl::setColumn(int column)
{
    if (column < 1 || column > columns_)
        throw DbError(QStringLiteral("列号 %1 超出范围：图表共有 %2 列。").arg(column).arg(columns_));
    selectedColumn_ = column;
}

int ChartControl::column() const
{
    return selectedColumn_;
}

void ChartControl::setData(const QString& text)
{
    bool isNumber = false;
    const double value = text.trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(value))
        throw DbError(QStringLiteral("“%1”不是数字，图表的数据只能是数字。").arg(text));
    double& cell = values_[cellIndex(selectedRow_, selectedColumn_)];
    if (cell == value)
        return;
    cell = value;
    markDirty();
}

QString ChartControl::data() const
{
    return cellText(selectedRow_, selectedColumn_);
}

void ChartControl::setRowLabel(const QString& label)
{
    if (rowLabels_[selectedRow_ - 1] == label)
        return;
    rowLabels_[selectedRow_ - 1] = label;
    markDirty();
}

QString ChartControl::rowLabel() const
{
    return rowLabels_[selectedRow_ - 1];
}

void ChartControl::setColumnLabel(const QString& label)
{
    if (columnLabels_[selectedColumn_ - 1] == label)
        return;
    columnLabels_[selectedColumn_ - 1] = label;
    markDirty();
}

QString ChartControl::columnLabel() const
{
    return columnLabels_[selectedColumn_ - 1];
}

void ChartControl::setWidthTwips(int twips)
{
    if (twips < 0)
        throw DbError(QStringLiteral("图表宽度 %1 无效：不能为负数。").arg(twips));
    widthTwips_ = twips;
    setFixedWidth(pixelWidth(twips, logicalDpiX()));
    // A hidden widget gets its resize event only when shown.
    relabelIfCrowdingChanged();
}

int ChartControl::widthTwips() const
{
    if (widthTwips_ >= 0)
        return widthTwips_;
    return Twips::pixelsToTwips(width(), logicalDpiX());
}

void ChartControl::setSeriesColor(int column, const QColor& color)
{
    if (column < 1)
        throw DbError(QStringLiteral("列号 %1 无效：列从 1 开始编号。").arg(column));
    seriesColors_.insert(column, color);
    markDirty();
}

QColor ChartControl::seriesColor(int column) const
{
    if (seriesColors_.contains(column))
        return seriesColors_.value(column);
    const int paletteSize = int(std::size(defaultPalette));
    return defaultPalette[(std::max(column, 1) - 1) % paletteSize];
}

void ChartControl::setTitle(const QString& title)
{
    title_ = title;
    markDirty();
}

QString ChartControl::title() const
{
    return title_;
}

void ChartControl::setLegendVisible(bool visible)
{
    legendVisible_ = visible;
    markDirty();
}

bool ChartControl::isLegendVisible() const
{
    return legendVisible_;
}

double ChartControl::cellValue(int row, int column) const
{
    return isInGrid(row, column) ? values_[cellIndex(row, column)] : 0.0;
}

QString ChartControl::cellText(int row, int column) const
{
    return isInGrid(row, column) ? numberText(values_[cellIndex(row, column)]) : QString();
}

QString ChartControl::rowLabelAt(int row) const
{
    return row >= 1 && row <= rows_ ? rowLabels_[row - 1] : QString();
}

QString ChartControl::columnLabelAt(int column) const
{
    return column >= 1 && column <= columns_ ? columnLabels_[column - 1] : QString();
}

void ChartControl::refresh()
{
    rebuildIfDirty();
}

QChart* ChartControl::chart() const
{
    return chart_;
}

// The chart view paints the chart; an outdated drawing is rebuilt just before, so
// a grab or a repaint never shows stale cells.
bool ChartControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_->viewport() && event->type() == QEvent::Paint)
        rebuildIfDirty();
    return QWidget::eventFilter(watched, event);
}

void ChartControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relabelIfCrowdingChanged();
}

// A new width may leave room for more row labels, or for fewer, and for value labels.
void ChartControl::relabelIfCrowdingChanged()
{
    if (!dirty_ && (rowLabelStep() != labelStep_ || valueLabelsFit() != valueLabelsShown_))
        markDirty();
}

// Bars carry their values only while there are few of them and every bar is at least as
// wide as the widest value, so that neighbouring values never run together.
bool ChartControl::valueLabelsFit() const
{
    if (type_ != Bar2d || rows_ * columns_ > maxLabelledBars)
        return false;
    const QFontMetrics metrics(font());
    int widest = 0;
    for (double value : values_)
        widest = std::max(widest, metrics.horizontalAdvance(numberText(value)));
    const double room = std::max(width() - valueAxisAllowance, 1);
    const double barWidth = room / rows_ * barGroupWidth / columns_;
    return barWidth >= widest + 2;
}

void ChartControl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        markDirty();
    QWidget::changeEvent(event);
}

void ChartControl::markDirty()
{
    if (dirty_)
        return;
    dirty_ = true;
    QTimer::singleShot(0, this, &ChartControl::rebuildIfDirty);
}

void ChartControl::rebuildIfDirty()
{
    if (!dirty_)
        return;
    dirty_ = false;
    rebuild();
}

void ChartControl::rebuild()
{
    clearChart();
    if (type_ == Line2d)
        addLines();
    else
        addBars();
    addRowAxis();
    addValueAxis();
    chart_->setTitle(title_);
    chart_->legend()->setVisible(legendVisible_);
    applyFonts();
    // Lays the new axes and series out now rather than on a later event, so a grab
    // taken right away shows them in place.
    chart_->layout()->activate();
}

void ChartControl::clearChart()
{
    chart_->removeAllSeries();
    const QList<QAbstractAxis*> axes = chart_->axes();
    for (QAbstractAxis* axis : axes) {
        chart_->removeAxis(axis);
        delete axis;
    }
}

// A row's text on the X axis: its label, or its number when it has none.
QString ChartControl::rowText(int row) const
{
    const QString& label = rowLabels_[row - 1];
    return label.isEmpty() ? QString::number(row) : label;
}

QString ChartControl::seriesName(int column) const
{
    const QString& label = columnLabels_[column - 1];
    return label.isEmpty() ? QString::number(column) : label;
}

// Every how many rows the X axis can show a label without labels running into each
// other at the chart's present width (1: every row).
int ChartControl::rowLabelStep() const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int row = 1; row <= rows_; ++row)
        widest = std::max(widest, metrics.horizontalAdvance(rowText(row)));
    const int room = std::max(width() - valueAxisAllowance, 1);
    const double needed = double(rows_) * (widest + labelGap);
    return std::max(1, int(std::ceil(needed / room)));
}

void ChartControl::addBars()
{
    auto* series = new QBarSeries;
    for (int column = 1; column <= columns_; ++column) {
        auto* set = new QBarSet(seriesName(column));
        for (int row = 1; row <= rows_; ++row)
            set->append(values_[cellIndex(row, column)]);
        const QColor color = seriesColor(column);
        set->setColor(color);
        set->setBorderColor(color.darker(130));
        set->setLabelColor(Qt::black);
        series->append(set);
    }
    series->setBarWidth(barGroupWidth);
    valueLabelsShown_ = valueLabelsFit();
    series->setLabelsVisible(valueLabelsShown_);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    chart_->addSeries(series);
}

void ChartControl::addLines()
{
    for (int column = 1; column <= columns_; ++column) {
        auto* series = new QLineSeries;
        series->setName(seriesName(column));
        for (int row = 1; row <= rows_; ++row)
            series->append(row - 1, values_[cellIndex(row, column)]);
        series->setPen(QPen(seriesColor(column), 2));
        // A single row is a single point, which only its marker shows; many rows
        // would bury the line under markers.
        series->setPointsVisible(rows_ <= maxMarkedRows);
        series->setMarkerSize(4);
        chart_->addSeries(series);
    }
}

// The rows along the X axis, row r at the value r − 1 (where Qt Charts puts the r-th
// group of bars), labelled at every rowLabelStep()-th row starting with the first.
void ChartControl::addRowAxis()
{
    labelStep_ = rowLabelStep();
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setTruncateLabels(false);
    axis->setStartValue(-0.5);
    QStringList shown;
    QList<int> positions;
    for (int row = 1; row <= rows_; row += labelStep_) {
        shown.append(rowText(row));
        positions.append(row - 1);
    }
    shown = withDistinctTexts(shown);
    for (int i = 0; i < shown.size(); ++i)
        axis->append(shown[i], positions[i]);
    axis->setRange(-0.5, rows_ - 0.5);
    // Lines are read against vertical grid lines; bar groups need none through them.
    axis->setGridLineVisible(type_ == Line2d);
    chart_->addAxis(axis, Qt::AlignBottom);
    for (QAbstractSeries* series : chart_->series())
        series->attachAxis(axis);
}

void ChartControl::addValueAxis()
{
    const ValueScale scale = valueScaleFor(values_);
    auto* axisY = new QValueAxis;
    axisY->setRange(scale.min, scale.max);
    axisY->setTickCount(scale.tickCount);
    axisY->setLabelFormat(QStringLiteral("%.%1f").arg(scale.decimals));
    axisY->setTruncateLabels(false);   // short charts would otherwise show "…" for the numbers
    chart_->addAxis(axisY, Qt::AlignLeft);
    for (QAbstractSeries* series : chart_->series())
        series->attachAxis(axisY);
}

// Every text of the chart in the widget's font, so Chinese labels use the font the
// program set up for Chinese.
void ChartControl::applyFonts()
{
    const QFont labelFont = font();
    for (QAbstractAxis* axis : chart_->axes())
        axis->setLabelsFont(labelFont);
    chart_->legend()->setFont(labelFont);
    QFont titleFont = labelFont;
    titleFont.setBold(true);
    if (titleFont.pointSizeF() > 0)
        titleFont.setPointSizeF(titleFont.pointSizeF() + 2);
    chart_->setTitleFont(titleFont);
    for (QAbstractSeries* series : chart_->series()) {
        if (auto* bars = qobject_cast<QBarSeries*>(series)) {
            for (QBarSet* set : bars->barSets())
                set->setLabelFont(labelFont);
        }
    }
}

int ChartControl::cellIndex(int row, int column) const
{
    return (row - 1) * columns_ + (column - 1);
}

bool ChartControl::isInGrid(int row, int column) const
{
    return row >= 1 && row <= rows_ && column >= 1 && column <= columns_;
}

void ChartControl::resizeGrid(int rows, int columns)
{
    if (rows == rows_ && columns == columns_)
        return;
    if (qint64(rows) * columns > maxCells)
        throw DbError(QStringLiteral("图表的单元格太多（%1 行 × %2 列）：最多 %3 个。")
                          .arg(rows).arg(columns).arg(maxCells));
    QList<double> values(qsizetype(rows) * columns, 0.0);
    for (int row = 1; row <= std::min(rows, rows_); ++row) {
        for (int column = 1; column <= std::min(columns, columns_); ++column)
            values[(row - 1) * columns + (column - 1)] = values_[cellIndex(row, column)];
    }
    values_ = values;
    rowLabels_.resize(rows);
    columnLabels_.resize(columns);
    rows_ = rows;
    columns_ = columns;
    selectedRow_ = std::min(selectedRow_, rows_);
    selectedColumn_ = std::min(selectedColumn_, columns_);
    markDirty();
}
