#pragma once

#include "ExportRows.h"
#include "core/FieldInfo.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

class Connection;
class Statement;

// The rows an export copies: the chosen targets read once from the program's database,
// forward, row by row, with each column's field description (name, kind, declared width)
// taken from the target table.
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

private:
    std::unique_ptr<Statement> statement_;
    QList<FieldInfo> fields_;
};
