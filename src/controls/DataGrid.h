#pragma once

#include <QTableView>

class QFontMetrics;
#include <functional>
#include <memory>

class Recordset;
class RecordsetModel;

// A grid bound to a recordset: one column per field headed by its name, one line per row.
// The grid's current row and the recordset's current row are one: moving either moves the
// other. gridClicked() tells that the user chose a row, by a click or by moving to another
// row in any way; rowColChanged() tells of any move of the current cell.
class DataGrid : public QTableView {
    Q_OBJECT

public:
    explicit DataGrid(QWidget* parent = nullptr);

    // Binds the grid to the recordset (again after its filter changed or a new one came).
    void bind(std::shared_ptr<Recordset> recordset);
    std::shared_ptr<Recordset> recordset() const;

    // Lets the user change values in place (the windows that maintain a table ask for it).
    void setEditable(bool editable, bool storeEachEdit = true);
    // Shows a row being added as a last line to type in (see RecordsetModel).
    void setShowsNewRow(bool shows);

    // The current row's place in the recordset, counted from 0 (the line it is shown on,
    // unless the lines are sorted); -1 when none.
    int currentRowNumber() const;
    int currentColumnNumber() const; // -1 when none
    QString currentFieldName() const;

    // Sorts the lines as a click on the header of `column` does (see above).
    void sortByHeader(int column);

    // What hovering a cell shows: the text for the recordset's row (counted from 0, whatever
    // the lines' order) and the column; nothing when it answers "".
    using CellTips = std::function<QString(int row, int column)>;
    void setCellTips(CellTips tips) { cellTips_ = std::move(tips); }
    QString cellTip(int line, int column) const;

signals:
    void gridClicked();
    void rowColChanged();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void followRecordset();
    void showSortIndicator();
    int widestValue(int column, const QFontMetrics& metrics) const;
    void fitColumns();

    RecordsetModel* model_;
    QMetaObject::Connection recordsetMoved_;
    bool syncing_ = false;
    bool rowChangedSincePress_ = false;
    CellTips cellTips_;
};
