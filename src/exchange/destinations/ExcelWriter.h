#pragma once

#include "ExportJob.h"

class Connection;

// A sheet of an .xlsx workbook: the job's path is the workbook, its name the sheet's. A
// path ending in .xls (or with no extension) is written as .xlsx. A new workbook is made
// when there is none at the path; an existing one gets the sheet added and keeps every
// other sheet as it was. A sheet name Excel would refuse, or one the workbook has already,
// fails the export. The workbook is written under a temporary name, read back whole, and
// only then given its name.
namespace ExcelWriter {

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress);

// A new workbook holding only the job's sheet, in place of a file the user chose to replace; the
// file is replaced only once the new one is whole.
ExportResult replace(Connection& source, const ExportJob& job, const ExportProgress& progress = {});

// The file a chosen path is written to: .xls becomes .xlsx, no extension gets .xlsx.
QString workbookPath(const QString& chosenPath);

} // namespace ExcelWriter
