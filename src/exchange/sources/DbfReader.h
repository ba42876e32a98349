#pragma once

#include "SourceReader.h"

// dBase III/IV, FoxPro and Visual FoxPro tables (.dbf) with their memo files (.dbt, .fpt).
// Field types C, V, N, F, D, L, M, I, Y, T, B; deleted records are skipped; texts are decoded
// by the header's code page byte, or, when it is 0, as UTF-8 when valid and GB18030 else.
// The one table is named after the file's base name.
class DbfReader : public SourceReader {
public:
    QString formatName() const override;
    bool canRead(const QString& path) const override;
    QStringList tableNames(const QString& path) const override;
    bool readTable(const QString& path, const QString& table, TableSink& sink,
                   const ReadProgress& progress) const override;
    QString loadedTableName(const QString& path, const QString& table) const override;
};
