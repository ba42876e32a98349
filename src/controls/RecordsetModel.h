#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <vector>

class Recordset;

// The rows of a recordset as a table for a grid: one column per field, in field order,
// headed by the field's name; one line per row (after the recordset's filter). Values are
// read only for the lines the grid shows, so a million rows cost nothing up front.
// A read-only grid may show its lines sorted by one column: only the lines are put in
// another order, the recordset (which other code walks in its own order) is not.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit RecordsetModel(QObject* parent = nullptr);

    void setRecordset(std::shared_ptr<Recordset> recordset);
    std::shared_ptr<Recordset> recordset() const { return recordset_; }
    void setEditable(bool editable) { editable_ = editable; }
    // When false, a typed value waits in the row's edit buffer until the window stores or
    // drops it (or the row is left, which stores it).
    void setStoreEachEdit(bool store) { storeEachEdit_ = store; }
    bool isEditable() const { return editable_; }
    // When true, a row being added (not yet stored) shows as one more line at the end,
    // where its values can be typed.
    void setShowsNewRow(bool shows);
    // The line of the row being added, or -1 when none is shown.
    int newRowLine() const;

    // Shows the lines sorted by `column` (a field's name is kept, so the same order comes
    // back when another recordset is bound); -1 shows them in the recordset's order.
    // Ties keep the recordset's order. Editable grids keep the recordset's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const;
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    // The recordset's row shown on a line, and the line showing a recordset's row.
    int recordsetRow(int line) const;
    int lineOf(int recordsetRow) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // A value typed into the grid was refused by the database; the text says why.
    void editRefused(const QString& description);

private:
    void connectRecordset();
    bool addingShown() const;
    void followAdding();
    void computeOrder();

    std::shared_ptr<Recordset> recordset_;
    QList<QMetaObject::Connection> connections_;
    bool editable_ = false;
    bool storeEachEdit_ = true;
    bool showsNewRow_ = false;
    bool newRowShown_ = false;
    QString sortField_;                 // empty: the recordset's order
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    std::vector<int> rowOfLine_;        // empty when the lines follow the recordset
    std::vector<int> lineOfRow_;
};
