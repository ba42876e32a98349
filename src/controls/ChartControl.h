#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QAbstractSeries;
class QBarSeries;
class QCategoryAxis;
class QValueAxis;
QT_END_NAMESPACE

// The chart the feedback windows draw: a grid of numbers filled cell by cell (select
// a row and a column, then set the cell's data as a text), drawn as grouped bars or
// as lines over Qt Charts.
//
// With bars, every row is one group on the X axis (labelled with its row label, or its
// row number when it has none) holding one bar per column. With lines, every column is
// one line over the rows.
//
// Windows set hundreds of cells in a row, so the drawing is not rebuilt on every
// change: it is rebuilt once, when control returns to the event loop or before the
// chart is painted (a grab included), or at once by refresh().
//
// Besides the cells, a window may ask for a few things that make a chart easier to read:
// one colour for every column, one column measured on its own axis on the right (a rate
// beside counts), the row labels under the last bar of their group, the row texts hidden
// (when captions of the window's own stand under the bars), or a blank chart.
//
// Mistakes of the caller (a selection outside the grid, a cell text that is not a
// number, a count out of range) throw DbError and change nothing, so a window that
// skips failing steps goes on with the next cell.
class ChartControl : public QWidget {
    Q_OBJECT

public:
    enum ChartType { Bar2d = 1, Line2d = 3 };

    // The largest row or column count, as in the 16-bit counts of the chart component
    // the windows were written for, and a bound on the cells held at once.
    static constexpr int maxCount = 32767;
    static constexpr int maxCells = 1000000;
    // The share of a row's width its group of bars takes.
    static constexpr double barGroupShare = 0.8;

    explicit ChartControl(QWidget* parent = nullptr);
    // A chart of the given width in twips (see setWidthTwips).
    explicit ChartControl(int widthTwips, QWidget* parent = nullptr);

    // Bar2d (1) or Line2d (3); any other type throws DbError.
    void setChartType(int type);
    int chartType() const;

    // 1 … maxCount. Cells that still fit keep their values and labels; new cells are 0
    // and unlabelled. A selection beyond the new count moves to the last row or column.
    void setRowCount(int count);
    int rowCount() const;
    void setColumnCount(int count);
    int columnCount() const;

    // The selected cell, 1-based. Out of range throws DbError.
    void setRow(int row);
    int row() const;
    void setColumn(int column);
    int column() const;

    // The selected cell's value, given as the text of a number ("12", "12.3", "-4",
    // "1e3"; blanks around it are allowed, the decimal point is always '.'). A text
    // that is not a finite number throws DbError and leaves the cell as it was.
    void setData(const QString& text);
    QString data() const;

    // The label of the selected row (the X axis) or column (the series name).
    void setRowLabel(const QString& label);
    QString rowLabel() const;
    void setColumnLabel(const QString& label);
    QString columnLabel() const;

    // Width in twips (1440 to the inch at the screen's logical DPI). Setting it fixes
    // the widget's width in pixels; reading it returns the value last set, unrounded,
    // or the widget's width in twips when none was set. A negative width throws DbError.
    void setWidthTwips(int twips);
    int widthTwips() const;

    // The colour of a column's bars or line, kept for that column number whatever the
    // counts. A column without its own colour takes one of a default palette.
    void setSeriesColor(int column, const QColor& color);
    QColor seriesColor(int column) const;

    // One colour for every column, whatever its number (an invalid colour gives each column
    // its own again): for series that are all the same kind of value, such as the days of
    // a trend, where changing colours would suggest a meaning they do not have.
    void setUniformColor(const QColor& color);
    QColor uniformColor() const;

    // Measures one column on a value axis of its own on the right, from 0 to at least
    // `leastTop`, its labels ending in `suffix` ("%"): a rate beside counts a hundred
    // times larger would otherwise be bars too flat to read. Its bars keep their place
    // in the group. Column 0 puts every column back on the left axis.
    void setRightAxisColumn(int column, double leastTop = 0.0, const QString& suffix = QString());
    int rightAxisColumn() const;

    // Whether the X axis shows the row texts (shown at first). Hidden, the rows are named
    // only by whatever the window places under them (see rowGroupRect).
    void setRowTextsVisible(bool visible);
    bool rowTextsVisible() const;

    // The text an unlabelled row shows: this prefix followed by its number ("R" gives
    // R1, R2, …), so the axis reads as the key beside the chart does.
    void setRowNumberPrefix(const QString& prefix);
    QString rowNumberPrefix() const;

    // Bars only: each row label stands under the last bar of its group, ending where the
    // group ends, rather than under the middle: for one group of many days labelled by
    // its last day ("至2026/12/9").
    void setRowLabelsAtGroupEnd(bool atEnd);
    bool rowLabelsAtGroupEnd() const;

    // Lines only: an upright dashed line at row `row` (0: none), reaching the top of the
    // lines, whose hover shows `caption`: a day to read the lines against, such as the day a
    // forecast is made on.
    void setMarkedRow(int row, const QString& caption = QString());
    int markedRow() const { return markedRow_; }

    // Lines only: the column's line stops at row `row` (0: it runs through every row), for a
    // series whose later rows are not known yet, such as a campaign still running.
    void setLineEnd(int column, int row);
    int lineEnd(int column) const { return lineEnds_.value(column, 0); }

    // Nothing to draw: no bars, no lines, no row texts, only an empty value axis. The
    // grid becomes one cell of 0 without labels, so a window that goes on to set counts
    // and cells draws them as usual; any such change ends the blank state.
    void clear();
    bool isBlank() const;

    void setTitle(const QString& title);
    QString title() const;

    // Hidden at first: the windows show their own legends beside the chart.
    void setLegendVisible(bool visible);
    bool isLegendVisible() const;

    // Read-back of any cell, 1-based; 0 / "" outside the grid.
    double cellValue(int row, int column) const;
    QString cellText(int row, int column) const;
    QString rowLabelAt(int row) const;
    QString columnLabelAt(int column) const;

    // What the drawing shows, as last built (call refresh() first): the texts along the
    // X axis in order, whether the bars carry their values, and the ranges of the value
    // axes (the right one is {0, 0} when there is none).
    struct AxisRange {
        double min = 0.0;
        double max = 0.0;
    };
    QStringList rowAxisTexts() const;
    bool valueLabelsShown() const;
    AxisRange valueAxisRange() const;
    AxisRange rightAxisRange() const;

    // Where the bars of a row stand, in this widget's coordinates, as last laid out;
    // an empty rectangle for a row outside the grid. Captions placed under the bars
    // follow it (see drawn()).
    QRectF rowGroupRect(int row) const;

    // Rebuilds the drawing now if anything changed since it was last built.
    void refresh();

    // What hovering over a row's bar (or a line's point) shows: the row's full text, the
    // column's name when there are several, and the value ("2026/12/3：7"). Empty outside
    // the grid.
    QString hoverText(int row, int column) const;

    // The chart as it stands, written as a PNG picture; false when the file cannot be
    // written. savePictureAs() asks for the file first (the context menu's "保存为图片…")
    // and says so when it could not be written.
    bool saveAsPicture(const QString& path);
    void savePictureAs();

    // The Qt chart as last built (call refresh() first to see the latest cells).
    QChart* chart() const;

signals:
    // The drawing was rebuilt or its plot area moved: bars may stand elsewhere now.
    void drawn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void markDirty();
    void rebuildIfDirty();
    void rebuild();
    void clearChart();
    QString rowText(int row) const;
    QString shownRowText(int row) const;
    int maxValueTicks() const;
    void showHoverText(bool entered, int row, int column);
    QString seriesName(int column) const;
    int rowLabelStep() const;
    bool valueLabelsFit() const;
    void relabelIfCrowdingChanged();
    void addBars();
    void addRightAxisBars();
    void addLines();
    void addRowMark();
    void addRowAxis();
    void addValueAxes();
    void leaveRoomForValueLabels();
    void placeRowLabels();
    void onPlotAreaChanged();
    bool isOnRightAxis(int column) const;
    QList<double> valuesOnAxis(bool rightAxis) const;
    double plotWidthGuess() const;
    void applyFonts();

    int cellIndex(int row, int column) const;
    bool isInGrid(int row, int column) const;
    void resizeGrid(int rows, int columns);

    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;

    int type_ = Bar2d;
    int rows_ = 1;
    int columns_ = 1;
    int selectedRow_ = 1;
    int selectedColumn_ = 1;
    QList<double> values_ { 0.0 }; // row by row
    QStringList rowLabels_ { QString() };
    QStringList columnLabels_ { QString() };
    QHash<int, QColor> seriesColors_;
    QString title_;
    bool legendVisible_ = false;
    QColor uniformColor_;
    int rightAxisColumn_ = 0;
    double rightAxisLeastTop_ = 0.0;
    QString rightAxisSuffix_;
    bool rowTextsVisible_ = true;
    QString rowNumberPrefix_;
    bool rowLabelsAtGroupEnd_ = false;
    bool blank_ = false;
    int markedRow_ = 0;
    QString markCaption_;
    QHash<int, int> lineEnds_;

    // Parts of the drawing as last built.
    QCategoryAxis* rowAxis_ = nullptr;
    QValueAxis* leftAxis_ = nullptr;
    QValueAxis* rightAxis_ = nullptr;
    QList<QAbstractSeries*> rightSeries_;   // what the right axis measures
    QStringList rowAxisTexts_;
    QList<double> rowAxisPositions_;   // where each of rowAxisTexts_ stands, in rows − 1
    bool placingLabels_ = false;

    int widthTwips_ = -1; // -1: never set, read from the widget
    bool dirty_ = false;
    int labelStep_ = 1; // every how many rows the X axis was last labelled
    bool valueLabelsShown_ = false;
    int builtHeight_ = 0; // the height the value labels were given room for
};
