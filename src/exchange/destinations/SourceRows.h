#pragma once

#include "ExportRows.h"
#include "core/FieldInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class Connection;
class Statement;

// The rows an export copies: the chosen targets read once from the program's database,
// forward, row by row, with each column's field description (name, kind, declared width)
// taken from the target table.
//
// A database file is read by one statement, each row as SQLite reaches it. A server sends
// the whole result of a statement at once, so there the rows are read in pages, in the
// order of their keys: however many targets there are, one page is in memory at a time.
class SourceRows {
public:
    // Runs the query; throws DbError.
    SourceRows(Connection& connection, const ExportRows& rows);
    ~SourceRows();
    SourceRows(const SourceRows&) = delete;
    SourceRows& operator=(const SourceRows&) = delete;

    const QList<FieldInfo>& fields() const { return fields_; }
    QStringList fieldNames() const;

    // How many rows there are to copy.
    static int count(Connection& connection, const ExportRows& rows);

    // Moves to the next row; false after the last one.
    bool next();
    // A value of the current row as the program sees it: Null, qint64, double, QString,
    // QDate or QDateTime.
    QVariant value(int column) const;
    // The value as the database keeps it: Null, qint64, double, QString or QByteArray.
    QVariant stored(int column) const;
    // The value as the database keeps it, without any conversion, for writers that copy
    // many rows: a text is its UTF-8 bytes, valid until the next row.
    struct RawValue {
        enum class Kind { Null, Integer, Real, Text, Blob } kind = Kind::Null;
        qint64 integer = 0;
        double real = 0;
        const char* bytes = nullptr;
        int size = 0;
    };
    RawValue raw(int column) const;

    // Rows a server sends in one page.
    static constexpr int ServerPageRows = 5000;

private:
    void startPage();
    RawValue rawFromStored(int column) const;

    ExportRows rows_;
    QList<FieldInfo> fields_;
    std::unique_ptr<Statement> statement_;
    bool paged_ = false;
    int keyParameter_ = 0;
    qint64 lastKey_ = 0;
    int pageRows_ = 0;
    mutable std::vector<QByteArray> texts_;   // the current row's texts, for raw() on a server
};
