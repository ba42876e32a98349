#pragma once

#include "SourceReader.h"

// Comma-separated text: UTF-8 (with or without a byte order mark), UTF-16 with its mark, or
// GB18030; the separator (comma, semicolon or tab) is found from the heading line; quotes and
// line breaks inside quotes as RFC 4180 has them. The first line names the columns; every
// value is kept as text, so leading zeros of a phone number stay. The one table is named
// after the file's base name.
class CsvReader : public SourceReader {
public:
    QString formatName() const override;
    bool canRead(const QString& path) const override;
    QStringList tableNames(const QString& path) const override;
    bool readTable(const QString& path, const QString& table, TableSink& sink,
                   const ReadProgress& progress) const override;
    QString loadedTableName(const QString& path, const QString& table) const override;
};
