#include "RecordsetModel.h"

#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

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
        endResetModel();
    });
    connections_ << connect(recordset_.get(), &Recordset::rowValuesChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connections_ << connect(recordset_.get(), &Recordset::currentRowChanged, this, [this] {
        followAdding();
        emit headerDataChanged(Qt::Vertical, 0, std::max(0, rowCount() - 1));
    });
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
                                                           : recordset_->valueAt(index.row(), index.column());
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
    return section == recordset_->currentRow() ? QStringLiteral("▶") : QString();
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
