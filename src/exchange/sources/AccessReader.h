#pragma once

#include "SourceReader.h"

// Access databases (.mdb of Jet 3 and Jet 4, .accdb) through libmdb. Tables in the order of
// the database's catalogue, without those whose name starts with "MSys"; text, memo, whole
// numbers, real numbers, currency, dates and yes/no columns. Pictures and other binary
// columns carry no text and are read as empty.
class AccessReader : public SourceReader {
public:
    QString formatName() const override;
    bool canRead(const QString& path) const override;
    QStringList tableNames(const QString& path) const override;
    bool readTable(const QString& path, const QString& table, TableSink& sink,
                   const ReadProgress& progress) const override;
};
