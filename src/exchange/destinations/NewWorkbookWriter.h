#pragma once

#include <QString>
#include <functional>

class OutputFile;
class SourceRows;

// Writes a new .xlsx workbook with one sheet: the field names in the first row, then one
// row per source row; texts as texts, numbers as numbers, dates as dates. Rows are written
// one after the other with little memory, whatever their number, every write checked, and
// the finished package is read back whole before the export counts as done.
namespace NewWorkbookWriter {

// Writes the workbook to output.temporaryPath(). Returns the number of rows written;
// throws DbError.
int write(const OutputFile& output, const QString& sheetName, SourceRows& rows,
          const std::function<bool(int)>& progress);

} // namespace NewWorkbookWriter
