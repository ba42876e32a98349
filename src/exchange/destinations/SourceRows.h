#pragma once

#include "core/FieldInfo.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

class Connection;
class Statement;

// The rows an export copies: the source query of a "select * into" run once on the
// program's database and read forward, row by row, with each column's field description
// (name, kind, declared width) taken from the table it comes from.
class SourceRows {
public:
    // Runs the query (in the program's statement dialect); throws DbError.
    SourceRows(Connection& connection, const QString& query);
    ~SourceRows();
    SourceRows(const SourceRows&) = delete;
    SourceRows& operator=(const SourceRows&) = delete;

    const QList<FieldInfo>& fields() const { return fields_; }
    QStringList fieldNames() const;

    // Moves to the next row; false after the last one.
    bool next();
    // A value of the current row as the program sees it: Null, qint64, double, QString,
    // QDate or QDateTime.
    QVariant value(int column) const;
    // The value as the database keeps it (dates as their stored text).
    QVariant storedValue(int column) const;

private:
    std::unique_ptr<Statement> statement_;
    QList<FieldInfo> fields_;
};
