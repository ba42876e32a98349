#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class OutputFile;
class SourceRows;

// Adds one sheet to an existing .xlsx workbook without rewriting it: the sheet becomes a
// new part of the package, and only the three parts that list the parts and sheets
// ([Content_Types].xml, the workbook and the workbook's relationships) are changed. Every
// other part (the other sheets with their values, formats and formulas, the styles, the
// shared strings) is copied byte for byte. Texts of the new sheet are written inline, so
// the shared strings stay as they were; dates are written as text yyyy-MM-dd, since a
// date format would mean changing the styles.
class WorkbookSheetAdder {
public:
    // Reads the workbook's sheet list; throws DbError when the file is no .xlsx workbook.
    explicit WorkbookSheetAdder(const QString& workbookPath);

    QStringList sheetNames() const { return sheetNames_; }

    // Writes the workbook with the new sheet to output.temporaryPath() (the original
    // stays as it is) and reads it back whole. Returns the number of rows written;
    // throws DbError.
    int addSheet(const OutputFile& output, const QString& sheetName, SourceRows& rows,
                 const std::function<bool(int)>& progress);

private:
    QString workbookPath_;
    QString workbookPart_;        // e.g. xl/workbook.xml
    QString relationshipsPart_;   // e.g. xl/_rels/workbook.xml.rels
    QStringList sheetNames_;
};
