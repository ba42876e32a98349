#pragma once

#include "SourceReader.h"

// Excel 97-2003 workbooks (.xls, BIFF8) read by the program's own reader of the workbook
// stream, older Excel versions through FreeXL. Worksheets only, listed without "$";
// the first non-empty row names the columns (an empty heading becomes F1, F2 ... by
// position, a repeated one is made unique); whole numbers without ".0"; date cells as dates;
// a merged area gives its value in its top-left cell; formulas give their last result; empty
// rows at the end are left out.
class XlsReader : public SourceReader {
public:
    QString formatName() const override;
    bool canRead(const QString& path) const override;
    QStringList tableNames(const QString& path) const override;
    bool readTable(const QString& path, const QString& table, TableSink& sink,
                   const ReadProgress& progress) const override;
    // The sheet name followed by "$", as Excel's own drivers name a worksheet.
    QString loadedTableName(const QString& path, const QString& table) const override;
};
