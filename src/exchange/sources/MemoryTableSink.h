#pragma once

#include "SourceReader.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Connection;
class Statement;
class Transaction;

// Receives the rows of one source table and stores them as a table of an in-memory database.
// Rows are first kept in a loading table without declared types; finish() then creates the
// table under its final name with each column typed after the values it received (whole
// numbers, numbers, dates, texts), so the import's recordsets see dates as dates and numbers
// as numbers. Yes/no values, and dates among texts, become the words the program shows for
// them. Everything happens in one transaction. Where it can, finish() gives the loading table
// its final name and types in place instead of copying the rows into a new table.
class MemoryTableSink : public TableSink {
public:
    MemoryTableSink(std::shared_ptr<Connection> connection, QString tableName);
    ~MemoryTableSink() override;

    void begin(const QStringList& columnNames) override;
    void addRow(const QVariantList& values) override;
    void restart() override;

    // Creates the table (also when begin() was never called: one column F1, no rows).
    // A full disk is reported as the temporary folder's, which a loading table fills.
    void finish();

    qint64 rowCount() const { return rowCount_; }
    QStringList columnNames() const { return columns_; }

private:
    // What a column has received so far; decides its declared type.
    struct ColumnKinds {
        bool text = false;
        bool whole = false;
        bool real = false;
        bool date = false;
        int longestText = 0;
    };

    void finishTable();
    void bind(int index, const QVariant& value, ColumnKinds& kinds);
    QString declaredType(const ColumnKinds& kinds) const;
    void datesToText(const QString& column, bool dateColumn);
    void storeAsDeclared(const QString& column, const ColumnKinds& kinds);
    bool redefineLoadingTable(const QString& definition);
    void moveToNewTable(const QString& definition);

    std::shared_ptr<Connection> connection_;
    QString tableName_;
    QStringList columns_;
    std::vector<ColumnKinds> kinds_;
    std::unique_ptr<Transaction> transaction_;
    std::unique_ptr<Statement> insert_;
    qint64 rowCount_ = 0;
};
