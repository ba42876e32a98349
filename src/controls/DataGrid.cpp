#include "DataGrid.h"

#include "core/DbError.h"
#include "Dialogs.h"
#include "core/Recordset.h"
#include "RecordsetModel.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent), model_(new RecordsetModel(this))
{
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    // Tab goes on to the window's next control, as everywhere else; the arrow keys move inside.
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("▶▶")));
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // A click on the row that is current already still counts as choosing it; a click that
    // moved to another row was told as that move.
    connect(this, &QTableView::clicked, this, [this] {
        if (!rowChangedSincePress_)
            emit gridClicked();
    });
    connect(model_, &RecordsetModel::editRefused, this, [](const QString& description) {
        Dialogs::instance().message(description, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { followRecordset(); });
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::sortByHeader);
}

void DataGrid::bind(std::shared_ptr<Recordset> recordset)
{
    if (recordset && recordset == model_->recordset()) {
        followRecordset();   // already shown; the model follows its row changes by itself
        return;
    }
    disconnect(recordsetMoved_);
    model_->setRecordset(recordset);
    if (recordset)
        recordsetMoved_ = connect(recordset.get(), &Recordset::currentRowChanged, this, [this] { followRecordset(); });
    fitColumns();
    showSortIndicator();
    followRecordset();
}

void DataGrid::sortByHeader(int column)
{
    if (model_->isEditable() || !recordset())
        return;
    if (model_->sortColumn() != column)
        model_->sort(column, Qt::AscendingOrder);
    else if (model_->sortOrder() == Qt::AscendingOrder)
        model_->sort(column, Qt::DescendingOrder);
    else
        model_->sort(-1);
    showSortIndicator();
}

QString DataGrid::cellTip(int line, int column) const
{
    if (!cellTips_ || line < 0 || line >= model_->rowCount() || column < 0)
        return QString();
    return cellTips_(model_->recordsetRow(line), column);
}

bool DataGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && cellTips_) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString tip = index.isValid() ? cellTip(index.row(), index.column()) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QTableView::viewportEvent(event);
}

void DataGrid::showSortIndicator()
{
    const int column = model_->sortColumn();
    horizontalHeader()->setSortIndicatorShown(column >= 0);
    if (column >= 0)
        horizontalHeader()->setSortIndicator(column, model_->sortOrder());
}

std::shared_ptr<Recordset> DataGrid::recordset() const
{
    return model_->recordset();
}

void DataGrid::setEditable(bool editable, bool storeEachEdit)
{
    if (editable) {
        model_->sort(-1);   // values are typed into the recordset's own order
        showSortIndicator();
    }
    model_->setEditable(editable);
    model_->setStoreEachEdit(storeEachEdit);
    setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                   | QAbstractItemView::AnyKeyPressed
                             : QAbstractItemView::NoEditTriggers);
}

void DataGrid::setShowsNewRow(bool shows)
{
    model_->setShowsNewRow(shows);
}

int DataGrid::currentRowNumber() const
{
    return currentIndex().isValid() ? model_->recordsetRow(currentIndex().row()) : -1;
}

int DataGrid::currentColumnNumber() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

QString DataGrid::currentFieldName() const
{
    const int column = currentColumnNumber();
    const auto rs = recordset();
    return (rs && column >= 0 && column < rs->fieldCount()) ? rs->field(column).name : QString();
}

// The recordset moved (a button, a search, a window's own walk): the grid follows.
void DataGrid::followRecordset()
{
    const auto rs = recordset();
    if (!rs || syncing_)
        return;
    const int row = model_->newRowLine() >= 0 ? model_->newRowLine() : model_->lineOf(rs->currentRow());
    if (row < 0 || (currentIndex().isValid() && row == currentIndex().row()))
        return;
    syncing_ = true;
    const int column = std::max(0, currentColumnNumber());
    setCurrentIndex(model_->index(row, column));
    syncing_ = false;
}

// The user moved in the grid: the recordset follows.
void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    const auto rs = recordset();
    // Leaving the line of a row being added stores that row, as moving the recordset does.
    const int row = model_->recordsetRow(current.row());
    if (!syncing_ && rs && current.isValid() && row != rs->currentRow() && current.row() != model_->newRowLine()) {
        syncing_ = true;
        try {
            rs->setAbsolutePosition(row + 1);
        } catch (const DbError& error) {
            Dialogs::instance().message(error.description(), QStringLiteral("信息提示"), MsgButtons::Ok,
                                        MsgIcon::Exclamation);
        }
        syncing_ = false;
    }
    if (current.row() != previous.row() || current.column() != previous.column())
        emit rowColChanged();
    // However the user moved to another row (a click on a cell or on the row selector, a
    // drag, the keyboard), the window follows as it does for a click.
    if (!syncing_ && rs && current.isValid() && current.row() != previous.row()) {
        rowChangedSincePress_ = true;
        emit gridClicked();
    }
}

void DataGrid::mousePressEvent(QMouseEvent* event)
{
    rowChangedSincePress_ = false;
    QTableView::mousePressEvent(event);
}

void DataGrid::keyPressEvent(QKeyEvent* event)
{
    rowChangedSincePress_ = false;
    QTableView::keyPressEvent(event);
}

void DataGrid::fitColumns()
{
    const auto rs = recordset();
    if (!rs)
        return;
    const QFontMetrics metrics = fontMetrics();
    const int charWidth = metrics.horizontalAdvance(QStringLiteral("中"));
    for (int c = 0; c < rs->fieldCount(); ++c) {
        const FieldInfo& field = rs->field(c);
        int chars = 6;
        if (field.kind == FieldInfo::Kind::Text)
            chars = std::clamp(field.declaredSize / 4, 4, 12);
        else if (field.kind == FieldInfo::Kind::LongText)
            chars = 16;
        else if (field.kind == FieldInfo::Kind::Date)
            chars = 6;
        const int header = metrics.horizontalAdvance(field.name) + 16;
        const int declared = chars * charWidth;
        // With rows to show, a column is as wide as its widest value among the first rows (no
        // wider than its declared size allows), so short values leave room for more columns.
        const int values = widestValue(c, metrics);
        setColumnWidth(c, std::max(header, values < 0 ? declared : std::min(declared, values + 12)));
    }
}

// The widest text of column `column` among the first lines; -1 when there are no lines.
int DataGrid::widestValue(int column, const QFontMetrics& metrics) const
{
    constexpr int SampledLines = 50;
    const int lines = std::min(model_->rowCount(), SampledLines);
    if (lines == 0)
        return -1;
    int widest = 0;
    for (int line = 0; line < lines; ++line)
        widest = std::max(widest, metrics.horizontalAdvance(model_->data(model_->index(line, column)).toString()));
    return widest;
}
