#pragma once

#include <QString>
#include <functional>

class SourceRows;

// Writes a new .xlsx workbook with one sheet: the field names in the first row, then one
// row per source row; texts as texts, numbers as numbers, dates as dates. Rows are written
// one after the other with little memory, whatever their number.
namespace NewWorkbookWriter {

// Returns the number of rows written; throws DbError. `afterRow` is called after each row.
int write(const QString& path, const QString& sheetName, SourceRows& rows,
          const std::function<void(int)>& afterRow);

} // namespace NewWorkbookWriter
