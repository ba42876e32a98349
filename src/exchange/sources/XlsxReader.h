#pragma once

#include "SourceReader.h"

// Excel 2007 and later workbooks (.xlsx), read from the zip package with a streaming XML
// reader, so a sheet of any length never sits whole in memory. Worksheets only; the first
// non-empty row names the columns; shared and inline strings, numbers, booleans and dates
// (recognised by the cell's number format); empty rows at the end are left out.
class XlsxReader : public SourceReader {
public:
    QString formatName() const override;
    bool canRead(const QString& path) const override;
    QStringList tableNames(const QString& path) const override;
    bool readTable(const QString& path, const QString& table, TableSink& sink,
                   const ReadProgress& progress) const override;
    // The sheet name followed by "$", as Excel's own drivers name a worksheet.
    QString loadedTableName(const QString& path, const QString& table) const override;
};
