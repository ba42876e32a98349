#include "ChartControl.h"

#include "Dialogs.h"
#include "core/DbError.h"
#include "core/Twips.h"

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QToolTip>
#include <QScatterSeries>
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
constexpr double barGroupWidth = ChartControl::barGroupShare;
// Room between a bar's top and its value label, and around a label at a group's end, in pixels.
constexpr int valueLabelPadding = 6;
constexpr int endLabelPadding = 2;

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
    double step = 1.0;
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
        return { lowest, highest, 5, 0, 0.0 };

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
    scale.step = step;
    return scale;
}

// The next coarser round step: 1 → 2 → 5 → 10.
double coarserStep(double step)
{
    return niceStep(step * 1.5);
}

// The scale with steps coarse enough that at most `maxTicks` labels stand on the axis:
// Qt Charts leaves out labels that would overlap, and an axis reading 0, 1, 3, 5 is
// worse than one reading 0, 2, 4, 6.
ValueScale withAtMostTicks(ValueScale scale, int maxTicks)
{
    if (scale.step <= 0.0 || !std::isfinite(scale.step))
        return scale;
    while (scale.tickCount > std::max(maxTicks, 2)) {
        scale.step = coarserStep(scale.step);
        scale.min = std::floor(scale.min / scale.step + 1e-9) * scale.step;
        scale.max = std::ceil(scale.max / scale.step - 1e-9) * scale.step;
        scale.tickCount = qRound((scale.max - scale.min) / scale.step) + 1;
        scale.decimals = scale.step >= 1.0 ? 0 : int(std::ceil(-std::log10(scale.step) - 1e-9));
    }
    return scale;
}

// A scale that reaches at least `leastTop` (a rate axis always shows 0 to 100 %), in
// steps of a fifth of it or of the values' own scale, whichever is coarser.
ValueScale scaleReaching(const QList<double>& values, double leastTop)
{
    ValueScale scale = valueScaleFor(values);
    if (leastTop <= 0.0 || scale.max >= leastTop || scale.min < 0.0)
        return scale;
    scale = valueScaleFor({ 0.0, leastTop });
    scale.max = leastTop;
    scale.step = niceStep(leastTop / 5.0);
    scale.tickCount = qRound(leastTop / scale.step) + 1;
    return scale;
}

ValueScale scaleOf(const QValueAxis& axis)
{
    ValueScale scale;
    scale.min = axis.min();
    scale.max = axis.max();
    scale.tickCount = axis.tickCount();
    scale.step = (scale.max - scale.min) / std::max(scale.tickCount - 1, 1);
    scale.decimals = scale.step >= 1.0 ? 0 : int(std::ceil(-std::log10(scale.step) - 1e-9));
    return scale;
}

void applyScale(QValueAxis& axis, const ValueScale& scale, const QString& suffix)
{
    axis.setRange(scale.min, scale.max);
    axis.setTickCount(scale.tickCount);
    QString format = QStringLiteral("%.%1f").arg(scale.decimals);
    if (!suffix.isEmpty())
        format += QString(suffix).replace(QLatin1Char('%'), QStringLiteral("%%"));
    axis.setLabelFormat(format);
}

// Bars standing in for a column that is drawn by the other series: present so the real
// bars keep their place in the group, invisible themselves.
void makeInvisible(QBarSet& set)
{
    set.setColor(Qt::transparent);
    set.setBorderColor(Qt::transparent);
    set.setLabelColor(Qt::transparent);
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
    // Its context menu is the chart's own (saving it as a picture).
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    connect(chart_, &QChart::plotAreaChanged, this, &ChartControl::onPlotAreaChanged);

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
    if (cell == value && !blank_)
        return;
    cell = value;
    blank_ = false;
    markDirty();
}

QString ChartControl::data() const
{
    return cellText(selectedRow_, selectedColumn_);
}

void ChartControl::setRowLabel(const QString& label)
{
    if (rowLabels_[selectedRow_ - 1] == label && !blank_)
        return;
    rowLabels_[selectedRow_ - 1] = label;
    blank_ = false;
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
    if (uniformColor_.isValid())
        return uniformColor_;
    if (seriesColors_.contains(column))
        return seriesColors_.value(column);
    const int paletteSize = int(std::size(defaultPalette));
    return defaultPalette[(std::max(column, 1) - 1) % paletteSize];
}

void ChartControl::setUniformColor(const QColor& color)
{
    uniformColor_ = color;
    markDirty();
}

QColor ChartControl::uniformColor() const
{
    return uniformColor_;
}

void ChartControl::setRightAxisColumn(int column, double leastTop, const QString& suffix)
{
    if (column < 0)
        throw DbError(QStringLiteral("列号 %1 无效：列从 1 开始编号。").arg(column));
    rightAxisColumn_ = column;
    rightAxisLeastTop_ = leastTop;
    rightAxisSuffix_ = suffix;
    markDirty();
}

int ChartControl::rightAxisColumn() const
{
    return rightAxisColumn_;
}

void ChartControl::setRowTextsVisible(bool visible)
{
    rowTextsVisible_ = visible;
    markDirty();
}

bool ChartControl::rowTextsVisible() const
{
    return rowTextsVisible_;
}

void ChartControl::setRowNumberPrefix(const QString& prefix)
{
    rowNumberPrefix_ = prefix;
    markDirty();
}

QString ChartControl::rowNumberPrefix() const
{
    return rowNumberPrefix_;
}

void ChartControl::setRowLabelsAtGroupEnd(bool atEnd)
{
    rowLabelsAtGroupEnd_ = atEnd;
    markDirty();
}

bool ChartControl::rowLabelsAtGroupEnd() const
{
    return rowLabelsAtGroupEnd_;
}

void ChartControl::clear()
{
    resizeGrid(1, 1);
    values_[0] = 0.0;
    rowLabels_[0].clear();
    columnLabels_[0].clear();
    selectedRow_ = 1;
    selectedColumn_ = 1;
    blank_ = true;
    markDirty();
}

bool ChartControl::isBlank() const
{
    return blank_;
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

QStringList ChartControl::rowAxisTexts() const
{
    return rowTextsVisible_ ? rowAxisTexts_ : QStringList();
}

bool ChartControl::valueLabelsShown() const
{
    return valueLabelsShown_;
}

ChartControl::AxisRange ChartControl::valueAxisRange() const
{
    return leftAxis_ ? AxisRange { leftAxis_->min(), leftAxis_->max() } : AxisRange {};
}

ChartControl::AxisRange ChartControl::rightAxisRange() const
{
    return rightAxis_ ? AxisRange { rightAxis_->min(), rightAxis_->max() } : AxisRange {};
}

// Row r's group spans the middle barGroupWidth of the unit [r − 1.5, r − 0.5] of the X axis.
QRectF ChartControl::rowGroupRect(int row) const
{
    if (row < 1 || row > rows_ || blank_)
        return {};
    const QRectF plot = chart_->plotArea();
    if (plot.width() <= 0)
        return {};
    const double unit = plot.width() / rows_;
    const double left = plot.left() + (row - 1) * unit + unit * (1.0 - barGroupWidth) / 2.0;
    const QRectF inChart(left, plot.top(), unit * barGroupWidth, plot.height());
    const QRectF inScene = chart_->mapRectToScene(inChart);
    const QPolygon inViewport = view_->mapFromScene(inScene);
    const QRect rect = inViewport.boundingRect();
    return QRectF(view_->viewport()->mapTo(this, rect.topLeft()), QSizeF(rect.size()));
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
    // The room above the tallest bar for its value, and the labels the value axis can
    // hold, are measured in pixels.
    if (height() != builtHeight_)
        markDirty();
}

QString ChartControl::hoverText(int row, int column) const
{
    if (blank_ || !isInGrid(row, column))
        return QString();
    QString text = rowText(row);
    if (columns_ > 1)
        text += QStringLiteral(" · ") + seriesName(column);
    return text + QStringLiteral("：") + numberText(values_[cellIndex(row, column)]);
}

void ChartControl::showHoverText(bool entered, int row, int column)
{
    const QString text = entered ? hoverText(row, column) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(QCursor::pos(), text, this);
}

bool ChartControl::saveAsPicture(const QString& path)
{
    rebuildIfDirty();
    return grab().save(path, "PNG");
}

void ChartControl::savePictureAs()
{
    FileDialogRequest request;
    request.title = QStringLiteral("保存为图片");
    request.filter = QStringLiteral("PNG图片|*.png");
    request.defaultExt = QStringLiteral("png");
    request.flags = FileDialogFlag::OverwritePrompt | FileDialogFlag::HideReadOnly | FileDialogFlag::PathMustExist;
    const std::optional<FileChoice> choice = Dialogs::instance().saveFile(request);
    if (!choice)
        return;
    if (!saveAsPicture(choice->path))
        Dialogs::instance().message(QStringLiteral("图片未能保存到") + choice->path + QStringLiteral("，请检查文件夹是否可写、磁盘是否已满。"),
                                    QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
    else
        Dialogs::instance().message(QStringLiteral("图片已保存到：") + QDir::toNativeSeparators(choice->path),
                                    QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Information);
}

void ChartControl::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("chartMenu"));
    QAction* save = menu.addAction(QStringLiteral("保存为图片…"));
    save->setObjectName(QStringLiteral("saveAsPicture"));
    connect(save, &QAction::triggered, this, &ChartControl::savePictureAs);
    menu.exec(event->globalPos());
}

// The plot moved or changed size (a new width, wider axis labels): labels placed by
// pixel sizes are placed again, and captions under the bars follow.
void ChartControl::onPlotAreaChanged()
{
    if (!placingLabels_ && rowLabelsAtGroupEnd_ && type_ == Bar2d && rowAxis_)
        placeRowLabels();
    emit drawn();
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
    if (blank_)
        valueLabelsShown_ = false;
    else if (type_ == Line2d)
        addLines();
    else
        addBars();
    addRowAxis();
    addValueAxes();
    chart_->setTitle(title_);
    chart_->legend()->setVisible(legendVisible_);
    applyFonts();
    // Lays the new axes and series out now rather than on a later event, so a grab
    // taken right away shows them in place.
    chart_->layout()->activate();
    leaveRoomForValueLabels();
    if (rowLabelsAtGroupEnd_ && type_ == Bar2d)
        placeRowLabels();
    emit drawn();
}

void ChartControl::clearChart()
{
    chart_->removeAllSeries();
    const QList<QAbstractAxis*> axes = chart_->axes();
    for (QAbstractAxis* axis : axes) {
        chart_->removeAxis(axis);
        delete axis;
    }
    rowAxis_ = nullptr;
    leftAxis_ = nullptr;
    rightAxis_ = nullptr;
    rightSeries_.clear();
    rowAxisTexts_.clear();
    rowAxisPositions_.clear();
}

bool ChartControl::isOnRightAxis(int column) const
{
    return rightAxisColumn_ >= 1 && column == rightAxisColumn_ && rightAxisColumn_ <= columns_;
}

QList<double> ChartControl::valuesOnAxis(bool rightAxis) const
{
    if (blank_)
        return {};
    QList<double> values;
    for (int column = 1; column <= columns_; ++column) {
        if (isOnRightAxis(column) != rightAxis)
            continue;
        for (int row = 1; row <= rows_; ++row)
            values.append(values_[cellIndex(row, column)]);
    }
    return values;
}

// A row's text on the X axis: its label, or its number when it has none.
QString ChartControl::rowText(int row) const
{
    const QString& label = rowLabels_[row - 1];
    return label.isEmpty() ? rowNumberPrefix_ + QString::number(row) : label;
}

QString ChartControl::seriesName(int column) const
{
    const QString& label = columnLabels_[column - 1];
    return label.isEmpty() ? QString::number(column) : label;
}

// A row's text as the X axis shows it: shortened with "…" when it is wider than its row,
// so a long product name does not cost the other rows their labels (the full text is in
// the tool tip of its bars), but never shorter than two characters and the "…".
QString ChartControl::shownRowText(int row) const
{
    const QString full = rowText(row);
    if (rowLabelsAtGroupEnd_)
        return full;
    const QFontMetrics metrics(font());
    const int room = std::max(width() - valueAxisAllowance, 1) / std::max(rows_, 1) - labelGap;
    if (metrics.horizontalAdvance(full) <= room)
        return full;
    const int least = metrics.horizontalAdvance(QStringLiteral("中中…"));
    return metrics.elidedText(full, Qt::ElideRight, std::max(room, least));
}

// How many labels the value axis can hold at the chart's height without Qt Charts
// leaving some out because they would overlap.
int ChartControl::maxValueTicks() const
{
    const double plotHeight = isVisible() && chart_->plotArea().height() > 0 ? chart_->plotArea().height()
                                                                             : std::max(height() - 60, 1);
    const double perLabel = QFontMetrics(font()).height() * 1.5;
    return std::max(2, int(plotHeight / perLabel) + 1);
}

// Every how many rows the X axis can show a label without labels running into each
// other at the chart's present width (1: every row).
int ChartControl::rowLabelStep() const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int row = 1; row <= rows_; ++row)
        widest = std::max(widest, metrics.horizontalAdvance(shownRowText(row)));
    const int room = std::max(width() - valueAxisAllowance, 1);
    const double needed = double(rows_) * (widest + labelGap);
    return std::max(1, int(std::ceil(needed / room)));
}

// One series of bars for every column, the right-axis column's bars invisible there so the
// others keep their places in the group; that column is drawn as its own shapes against the
// right axis (Qt Charts would split each group between two series of bars).
void ChartControl::addBars()
{
    valueLabelsShown_ = valueLabelsFit();
    auto* series = new QBarSeries;
    for (int column = 1; column <= columns_; ++column) {
        auto* set = new QBarSet(seriesName(column));
        const bool onRight = isOnRightAxis(column);
        for (int row = 1; row <= rows_; ++row)
            set->append(onRight ? 0.0 : values_[cellIndex(row, column)]);
        if (onRight) {
            makeInvisible(*set);
        } else {
            const QColor color = seriesColor(column);
            set->setColor(color);
            set->setBorderColor(color.darker(130));
            set->setLabelColor(Qt::black);
        }
        series->append(set);
    }
    series->setBarWidth(barGroupWidth);
    connect(series, &QBarSeries::hovered, this, [this, series](bool entered, int index, QBarSet* set) {
        showHoverText(entered, index + 1, int(series->barSets().indexOf(set)) + 1);
    });
    series->setLabelsVisible(valueLabelsShown_);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    chart_->addSeries(series);
    if (isOnRightAxis(rightAxisColumn_))
        addRightAxisBars();
}

// The right-axis column's bars as one filled outline, each bar in the slot its column has in
// the group, with their values above them when the other bars show theirs.
void ChartControl::addRightAxisBars()
{
    const int column = rightAxisColumn_;
    const double slot = barGroupWidth / columns_;
    auto* outline = new QLineSeries;
    auto* tops = new QScatterSeries;
    for (int row = 1; row <= rows_; ++row) {
        const double left = (row - 1) - barGroupWidth / 2.0 + (column - 1) * slot;
        const double right = left + slot;
        const double value = values_[cellIndex(row, column)];
        *outline << QPointF(left, 0.0) << QPointF(left, value) << QPointF(right, value) << QPointF(right, 0.0);
        tops->append((left + right) / 2.0, value);
    }
    auto* bars = new QAreaSeries(outline);
    outline->setParent(bars);   // the area does not own its outline
    bars->setName(seriesName(column));
    const QColor color = seriesColor(column);
    bars->setColor(color);
    bars->setBorderColor(color.darker(130));
    chart_->addSeries(bars);
    rightSeries_.append(bars);

    tops->setName(seriesName(column));
    tops->setMarkerSize(1);
    tops->setColor(Qt::transparent);
    tops->setBorderColor(Qt::transparent);
    tops->setPointLabelsVisible(valueLabelsShown_);
    tops->setPointLabelsFormat(QStringLiteral("@yPoint"));
    tops->setPointLabelsColor(Qt::black);
    tops->setPointLabelsClipping(false);
    chart_->addSeries(tops);
    rightSeries_.append(tops);
}

void ChartControl::addLines()
{
    for (int column = 1; column <= columns_; ++column) {
        auto* series = new QLineSeries;
        series->setName(seriesName(column));
        const int lastRow = lineEnd(column) > 0 ? std::min(lineEnd(column), rows_) : rows_;
        for (int row = 1; row <= lastRow; ++row)
            series->append(row - 1, values_[cellIndex(row, column)]);
        series->setPen(QPen(seriesColor(column), 2));
        connect(series, &QLineSeries::hovered, this, [this, column](const QPointF& point, bool entered) {
            showHoverText(entered, qRound(point.x()) + 1, column);
        });
        // A single row is a single point, which only its marker shows; many rows
        // would bury the line under markers.
        series->setPointsVisible(rows_ <= maxMarkedRows);
        series->setMarkerSize(4);
        chart_->addSeries(series);
        if (isOnRightAxis(column))
            rightSeries_.append(series);
    }
    addRowMark();
}

void ChartControl::setMarkedRow(int row, const QString& caption)
{
    markedRow_ = row;
    markCaption_ = caption;
    markDirty();
}

void ChartControl::setLineEnd(int column, int row)
{
    if (row > 0)
        lineEnds_.insert(column, row);
    else
        lineEnds_.remove(column);
    markDirty();
}

void ChartControl::addRowMark()
{
    if (markedRow_ < 1 || markedRow_ > rows_)
        return;
    double top = 0;   // the top of the lines measured on the left axis
    for (int column = 1; column <= columns_; ++column) {
        if (isOnRightAxis(column))
            continue;
        for (int row = 1; row <= rows_; ++row)
            top = std::max(top, values_[cellIndex(row, column)]);
    }
    auto* mark = new QLineSeries;
    mark->setName(markCaption_);
    mark->append(markedRow_ - 1, 0);
    mark->append(markedRow_ - 1, top);
    mark->setPen(QPen(QColor(90, 90, 90), 1.5, Qt::DashLine));
    connect(mark, &QLineSeries::hovered, this, [this](const QPointF&, bool entered) {
        if (entered && !markCaption_.isEmpty())
            QToolTip::showText(QCursor::pos(), markCaption_, this);
        else
            QToolTip::hideText();
    });
    chart_->addSeries(mark);
}

// The rows along the X axis, row r at the value r − 1 (where Qt Charts puts the r-th
// group of bars), labelled at every rowLabelStep()-th row starting with the first. A blank
// chart, or one whose rows are named by the window, has no texts there.
void ChartControl::addRowAxis()
{
    labelStep_ = rowLabelStep();
    rowAxis_ = new QCategoryAxis;
    rowAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    rowAxis_->setTruncateLabels(false);
    rowAxis_->setStartValue(-0.5);
    if (!blank_) {
        for (int row = 1; row <= rows_; row += labelStep_) {
            rowAxisTexts_.append(shownRowText(row));
            rowAxisPositions_.append(row - 1);
        }
    }
    if (rowTextsVisible_) {
        const QStringList distinct = withDistinctTexts(rowAxisTexts_);
        for (int i = 0; i < distinct.size(); ++i)
            rowAxis_->append(distinct[i], rowAxisPositions_[i]);
    }
    rowAxis_->setRange(-0.5, rows_ - 0.5);
    // Lines are read against vertical grid lines; bar groups need none through them.
    rowAxis_->setGridLineVisible(type_ == Line2d && !blank_);
    chart_->addAxis(rowAxis_, Qt::AlignBottom);
    for (QAbstractSeries* series : chart_->series())
        series->attachAxis(rowAxis_);
}

void ChartControl::addValueAxes()
{
    leftAxis_ = new QValueAxis;
    applyScale(*leftAxis_, withAtMostTicks(valueScaleFor(valuesOnAxis(false)), maxValueTicks()), QString());
    leftAxis_->setTruncateLabels(false);   // short charts would otherwise show "…" for the numbers
    chart_->addAxis(leftAxis_, Qt::AlignLeft);
    for (QAbstractSeries* series : chart_->series()) {
        if (!rightSeries_.contains(series))
            series->attachAxis(leftAxis_);
    }
    if (!isOnRightAxis(rightAxisColumn_))
        return;
    rightAxis_ = new QValueAxis;
    applyScale(*rightAxis_, withAtMostTicks(scaleReaching(valuesOnAxis(true), rightAxisLeastTop_), maxValueTicks()),
               rightAxisSuffix_);
    rightAxis_->setTruncateLabels(false);
    rightAxis_->setGridLineVisible(false);   // the left axis's grid is the one to read by
    rightAxis_->setLabelsColor(seriesColor(rightAxisColumn_).darker(150));
    chart_->addAxis(rightAxis_, Qt::AlignRight);
    for (QAbstractSeries* series : rightSeries_)
        series->attachAxis(rightAxis_);
}

// A value label stands above its bar; the tallest bar's needs room below the top of the
// plot, or it is drawn inside the bar. The room is measured in pixels, so a short chart
// gets an extra step on its axis where a tall one does not.
void ChartControl::leaveRoomForValueLabels()
{
    // Until the chart is shown its plot has no real height; the resize that comes with
    // showing it rebuilds the drawing (see resizeEvent).
    builtHeight_ = isVisible() ? height() : -1;
    if (!valueLabelsShown_ || !isVisible())
        return;
    const double plotHeight = chart_->plotArea().height();
    if (plotHeight <= 0)
        return;
    const double needed = QFontMetrics(font()).height() + valueLabelPadding;
    bool changed = false;
    for (QValueAxis* axis : { leftAxis_, rightAxis_ }) {
        if (!axis)
            continue;
        const QList<double> values = valuesOnAxis(axis == rightAxis_);
        const double highest = values.isEmpty() ? 0.0 : *std::max_element(values.begin(), values.end());
        const double step = (axis->max() - axis->min()) / std::max(axis->tickCount() - 1, 1);
        if (highest < 0.0 || step <= 0.0 || !std::isfinite(step))
            continue;
        for (int extra = 0; extra < 10; ++extra) {
            const double room = plotHeight * (axis->max() - highest) / (axis->max() - axis->min());
            if (room >= needed)
                break;
            axis->setRange(axis->min(), axis->max() + step);
            axis->setTickCount(axis->tickCount() + 1);
            changed = true;
        }
        if (axis->tickCount() > maxValueTicks())
            applyScale(*axis, withAtMostTicks(scaleOf(*axis), maxValueTicks()),
                       axis == rightAxis_ ? rightAxisSuffix_ : QString());
    }
    if (changed)
        chart_->layout()->activate();
}

// Each row label ends where its group's last bar ends: its middle is half its width, in
// rows, before that end. Needs the plot's width in pixels, so it runs once laid out.
void ChartControl::placeRowLabels()
{
    if (!rowAxis_ || !rowTextsVisible_)
        return;
    const double plotWidth = chart_->plotArea().width() > 0 ? chart_->plotArea().width() : plotWidthGuess();
    const double pixelsPerRow = plotWidth / rows_;
    const QFontMetrics metrics(font());
    placingLabels_ = true;
    for (const QString& label : rowAxis_->categoriesLabels())
        rowAxis_->remove(label);
    const QStringList distinct = withDistinctTexts(rowAxisTexts_);
    double previous = -0.5;
    for (int i = 0; i < distinct.size(); ++i) {
        const double halfWidth = (metrics.horizontalAdvance(rowAxisTexts_[i]) / 2.0 + endLabelPadding) / pixelsPerRow;
        const double groupEnd = rowAxisPositions_[i] + barGroupWidth / 2.0;
        // Never before the group's middle, and in increasing order as the axis needs.
        const double position = std::max({ groupEnd - halfWidth, double(rowAxisPositions_[i]), previous + 1e-6 });
        rowAxis_->append(distinct[i], position);
        previous = position;
    }
    placingLabels_ = false;
}

double ChartControl::plotWidthGuess() const
{
    return std::max(width() - valueAxisAllowance, 1);
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
        } else if (auto* points = qobject_cast<QXYSeries*>(series)) {
            points->setPointLabelsFont(labelFont);
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
    blank_ = false;
    selectedRow_ = std::min(selectedRow_, rows_);
    selectedColumn_ = std::min(selectedColumn_, columns_);
    markDirty();
}
