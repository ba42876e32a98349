#pragma once

#include "BoundSql.h"
#include "FieldTest.h"

#include "FieldInfo.h"
#include "RowCache.h"
#include "SelectStatement.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class Connection;
class Statement;

// Stores the changes of a recordset whose writes follow the program's rules rather than
// going straight to its table. Values are keyed by field name, in the form they are stored.
class RowWriter {
public:
    using Values = QHash<QString, QVariant>;
    virtual ~RowWriter() = default;
    // Stores a new row and returns its key.
    virtual qint64 insertRow(const Values& values) = 0;
    // Stores the changed values of a row that still holds `expected`; false when the row is
    // gone or was changed since (the edit can never be stored then).
    virtual bool updateRow(qint64 key, const Values& changes, const Values& expected) = 0;
    virtual void deleteRow(qint64 key) = 0;
};

// The rows of one statement, one of them current, as every window works with them.
//
// Opening runs the statement once and keeps only the row keys in the statement's order
// (rows come in the order they were added when there is no Order By, and rows that tie
// keep that order too); values are read when asked for, a block of rows at a time.
// The current row can be moved, edited, deleted; a new row can be added; a filter narrows
// the rows and a find searches forward. Statements over more than one plain table are read
// whole and cannot be written.
class Recordset : public QObject {
    Q_OBJECT

public:
    enum class EditMode { None, Editing, Adding };
    using Bookmark = qint64;

    // What absolutePosition() and absolutePage() answer when no row is current.
    static constexpr int PosUnknown = -1;
    static constexpr int PosBOF = -2;
    static constexpr int PosEOF = -3;

    // Runs the statement on the connection; throws DbError when it cannot.
    Recordset(std::shared_ptr<Connection> connection, const QString& statement);
    // A statement written the SQLite way whose values (a plan number, a search text) are bound.
    Recordset(std::shared_ptr<Connection> connection, const BoundSql& statement);
    ~Recordset() override;

    const QString& source() const { return source_; }
    bool isUpdatable() const { return statement_.keyed; }
    Connection& connection() const { return *connection_; }

    // Fields
    int fieldCount() const { return int(fields_.size()); }
    const FieldInfo& field(int column) const;
    int fieldIndex(const QString& name) const;   // -1 when there is no such field
    QVariant value(int column) const;            // of the current row; Null when empty
    QVariant value(const QString& name) const;
    QString text(int column) const;              // the value as text: Null → "", dates yyyy/M/d
    QString text(const QString& name) const;
    void setValue(int column, const QVariant& value);
    void setValue(const QString& name, const QVariant& value);
    QVariant valueAt(int row, int column) const; // any row by 0-based position, without moving
    // One field of every row, in row order, read at once (for passes over all rows).
    QList<QVariant> columnValues(int column) const;

    // Position
    bool isBOF() const;
    bool isEOF() const;
    bool hasCurrentRow() const;
    int recordCount() const { return int(view().size()); }
    int currentRow() const;                      // 0-based; -1 when no row is current
    int absolutePosition() const;                // 1-based, or PosUnknown / PosBOF / PosEOF
    void setAbsolutePosition(int position);
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    Bookmark bookmark() const;
    void setBookmark(Bookmark bookmark);

    // Changes
    EditMode editMode() const { return editMode_; }
    void addNew();
    void update();
    void cancelUpdate();
    void deleteCurrent();
    // From now on adding, updating and deleting go through `writer` (not owned; nullptr: back
    // to the table itself). Moving off an edited row stores it through the writer too.
    void setRowWriter(RowWriter* writer) { writer_ = writer; }

    // Searching
    // Moves to the first row from the current one on that passes every test (past the last
    // row when none does).
    void find(const FieldTests& tests);
    // Shows only the rows that pass every test; no tests: every row again.
    void setFilter(const FieldTests& tests);
    void clearFilter() { setFilter(FieldTests()); }
    // The filter in force: what a recordset read anew takes over. Empty when there is none.
    const FieldTests& filter() const { return filter_; }
    // The statement's own values (?1 …), bound wherever its text runs.
    const QVariantList& values() const { return values_; }
    void requery();
    // Forgets the values read so far, so the next read comes from the store itself.
    void reread();

    // Pages
    int pageSize() const { return pageSize_; }
    void setPageSize(int size);
    int pageCount() const;
    int absolutePage() const;                    // 1-based, or PosUnknown / PosBOF / PosEOF
    void setAbsolutePage(int page);

signals:
    void currentRowChanged();    // another row is current
    void rowsReset();            // rows came or went: open, filter, requery, add, delete
    void rowValuesChanged(int row);

private:
    Recordset(std::shared_ptr<Connection> connection, const QString& statement, const QVariantList& values);
    const std::vector<qint64>& view() const { return filtered_ ? *filtered_ : keys_; }
    void openKeyed();
    void openWhole();
    void loadKeys();
    void applyFilter();
    std::vector<qint64> keysMatching(const FieldTests& tests) const;
    void bindStatementValues(Statement& query) const;
    RowCache::Row rowAt(int row) const;
    void loadRows(int row) const;
    void readRows(Statement& query, std::unordered_map<qint64, RowCache::Row>& found) const;
    void refreshCacheVersion() const;
    void requireCurrentRow() const;
    void requireWritable() const;
    void finishPendingEdit();
    void moveTo(int index);
    void storeEdit();
    void storeNewRow();
    qint64 insertRow();
    void takeSnapshot();
    void storeEditThroughWriter();
    QString tableName() const;

    std::shared_ptr<Connection> connection_;
    QString source_;
    SelectStatement statement_;
    mutable std::unique_ptr<Statement> rowQuery_;     // one row by key
    mutable std::unique_ptr<Statement> blockQuery_;   // a block of rows by key
    mutable int nextSequentialRow_ = 0;               // reading on from here loads a whole block
    std::vector<FieldInfo> fields_;
    QHash<QString, int> fieldByName_;

    std::vector<qint64> keys_;                // every row of the statement
    std::optional<std::vector<qint64>> filtered_;
    std::vector<RowCache::Row> wholeRows_;    // the rows of a statement read whole
    FieldTests filter_;
    QVariantList values_;                     // the statement's own values (?1 …)

    int index_ = -1;                          // -1 before the first row; size() after the last
    bool currentDeleted_ = false;
    EditMode editMode_ = EditMode::None;
    int indexBeforeAdd_ = -1;
    QHash<int, QVariant> editBuffer_;         // column → value as stored
    QList<QVariant> snapshot_;                // the row's stored values when the edit began
    bool snapshotFound_ = false;
    bool snapshotConflict_ = false;           // the last store failed because the row changed
    int pageSize_ = 10;
    RowWriter* writer_ = nullptr;

    mutable RowCache cache_;
    mutable quint64 cacheVersion_ = 0;
    mutable std::unordered_map<qint64, int> indexOfKey_;   // built when a bookmark is used
};
