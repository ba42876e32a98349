#include "RecordsetModel.h"

#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// The order of the rows by their values: numbers by size, dates by time, texts as a
// Chinese reader sorts them with numbers inside texts by size ("9%" before "12.3%");
// empty values first. A stable sort, so equal values keep the recordset's order.
std::vector<int> rowsInOrder(const QList<QVariant>& values, Qt::SortOrder order)
{
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(values.size());
    for (const QVariant& value : values)
        keys.push_back(collator.sortKey(TextRules::joinedText(value).trimmed()));
    auto less = [&values, &keys](int a, int b) {
        const QVariant& x = values[a];
        const QVariant& y = values[b];
        if (x.isNull() != y.isNull())
            return x.isNull();
        if (isNumber(x) && isNumber(y))
            return x.toDouble() < y.toDouble();
        if (x.typeId() == QMetaType::QDateTime && y.typeId() == QMetaType::QDateTime)
            return x.toDateTime() < y.toDateTime();
        if (x.typeId() == QMetaType::QDate && y.typeId() == QMetaType::QDate)
            return x.toDate() < y.toDate();
        return keys[a].compare(keys[b]) < 0;
    };
    std::vector<int> rows(values.size());
    std::iota(rows.begin(), rows.end(), 0);
    if (order == Qt::AscendingOrder)
        std::stable_sort(rows.begin(), rows.end(), less);
    else
        std::stable_sort(rows.begin(), rows.end(), [&less](int a, int b) { return less(b, a); });
    return rows;
}

} // namespace

RecordsetModel::RecordsetModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void RecordsetModel::setRecordset(std::shared_ptr<Recordset> recordset)
{
    beginResetModel();
    for (const auto& c : connections_)
        disconnect(c);
    connections_.clear();
    recordset_ = std::move(recordset);
    newRowShown_ = addingShown();
    connectRecordset();
    computeOrder();
    endResetModel();
}

void RecordsetModel::setShowsNewRow(bool shows)
{
    showsNewRow_ = shows;
    followAdding();
}

bool RecordsetModel::addingShown() const
{
    return showsNewRow_ && recordset_ && recordset_->editMode() == Recordset::EditMode::Adding;
}

int RecordsetModel::newRowLine() const
{
    return newRowShown_ ? recordset_->recordCount() : -1;
}

// Adding a row starts or ends without the rows being read again: the extra line comes
// and goes here.
void RecordsetModel::followAdding()
{
    if (addingShown() == newRowShown_)
        return;
    beginResetModel();
    newRowShown_ = addingShown();
    endResetModel();
}

void RecordsetModel::connectRecordset()
{
    if (!recordset_)
        return;
    connections_ << connect(recordset_.get(), &Recordset::rowsReset, this, [this] {
        beginResetModel();
        newRowShown_ = addingShown();
        computeOrder();
        endResetModel();
    });
    connections_ << connect(recordset_.get(), &Recordset::rowValuesChanged, this, [this](int row) {
        const int line = lineOf(row);
        if (line >= 0 && line < rowCount())
            emit dataChanged(index(line, 0), index(line, columnCount() - 1));
    });
    connections_ << connect(recordset_.get(), &Recordset::currentRowChanged, this, [this] {
        followAdding();
        emit headerDataChanged(Qt::Vertical, 0, std::max(0, rowCount() - 1));
    });
}

void RecordsetModel::sort(int column, Qt::SortOrder order)
{
    if (editable_)
        return;
    beginResetModel();
    sortField_ = (recordset_ && column >= 0 && column < recordset_->fieldCount()) ? recordset_->field(column).name
                                                                                  : QString();
    sortOrder_ = order;
    computeOrder();
    endResetModel();
}

int RecordsetModel::sortColumn() const
{
    return (recordset_ && !sortField_.isEmpty() && !rowOfLine_.empty()) ? recordset_->fieldIndex(sortField_) : -1;
}

void RecordsetModel::computeOrder()
{
    rowOfLine_.clear();
    lineOfRow_.clear();
    if (editable_ || !recordset_ || sortField_.isEmpty())
        return;
    const int column = recordset_->fieldIndex(sortField_);
    if (column < 0)
        return;
    try {
        rowOfLine_ = rowsInOrder(recordset_->columnValues(column), sortOrder_);
    } catch (const DbError&) {
        return;   // rows that cannot be read stay in the recordset's order
    }
    lineOfRow_.assign(rowOfLine_.size(), 0);
    for (int line = 0; line < int(rowOfLine_.size()); ++line)
        lineOfRow_[rowOfLine_[line]] = line;
}

int RecordsetModel::recordsetRow(int line) const
{
    if (line >= 0 && line < int(rowOfLine_.size()))
        return rowOfLine_[line];
    return line;
}

int RecordsetModel::lineOf(int recordsetRow) const
{
    if (recordsetRow >= 0 && recordsetRow < int(lineOfRow_.size()))
        return lineOfRow_[recordsetRow];
    return recordsetRow;
}

int RecordsetModel::rowCount(const QModelIndex& parent) const
{
    return (parent.isValid() || !recordset_) ? 0 : recordset_->recordCount() + (newRowShown_ ? 1 : 0);
}

int RecordsetModel::columnCount(const QModelIndex& parent) const
{
    return (parent.isValid() || !recordset_) ? 0 : recordset_->fieldCount();
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const
{
    if (!recordset_ || !index.isValid())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole)
        return {};
    try {
        const QVariant value = index.row() == newRowLine() ? recordset_->value(index.column())
                                                           : recordset_->valueAt(recordsetRow(index.row()), index.column());
        if (role == Qt::TextAlignmentRole) {
            const auto kind = recordset_->field(index.column()).kind;
            const bool number = kind == FieldInfo::Kind::Integer || kind == FieldInfo::Kind::Real;
            return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
        }
        return TextRules::joinedText(value);
    } catch (const DbError&) {
        return {};   // a row that can no longer be read shows empty
    }
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!recordset_ || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return section < recordset_->fieldCount() ? recordset_->field(section).name : QString();
    // The record selector: a marker on the current row, as users of data grids know it.
    if (section == newRowLine())
        return QStringLiteral("✎");
    return recordsetRow(section) == recordset_->currentRow() ? QStringLiteral("▶") : QString();
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_ && recordset_ && index.isValid() && recordset_->field(index.column()).writable)
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!recordset_ || !index.isValid() || role != Qt::EditRole || !editable_)
        return false;
    try {
        if (index.row() != newRowLine() && recordset_->currentRow() != index.row())
            recordset_->setAbsolutePosition(index.row() + 1);
        recordset_->setValue(index.column(), value.toString());
        if (storeEachEdit_)
            recordset_->update();
        else
            emit dataChanged(index, index);
        return true;
    } catch (const DbError& error) {
        // A refused value changes nothing; a refused store drops the row's edit.
        if (storeEachEdit_)
            recordset_->cancelUpdate();
        emit editRefused(error.description());
        return false;
    }
}
