#pragma once

#include "ExportRows.h"

#include <QString>
#include <functional>

// The three kinds of file targets are exported to.
enum class ExportKind { ExportDatabase, Dbase, Excel };

// One export as the user asked for it.
struct ExportJob {
    ExportKind kind = ExportKind::ExportDatabase;
    // The export database's file, the folder of the dBase table, or the workbook.
    QString path;
    // The new table of the export database, the dBase file's name, or the new sheet.
    QString name;
    ExportRows rows;
};

// What an export wrote.
struct ExportResult {
    int rows = 0;
    QString file;                       // the file written (for a sheet added, the workbook)
    // dBase only: values cut to their field's width, and values in which characters
    // outside the file's code page were written as "?" (a value with both counts once).
    int valuesChanged = 0;
};

// Called after each row written with the number of rows written so far; returns false
// when the user cancelled the export.
using ExportProgress = std::function<bool(int rowsWritten)>;

// Thrown by a writer when the progress callback says the user cancelled; like any
// failure it leaves no output behind.
struct ExportCancelled {};

inline void reportExportProgress(const ExportProgress& progress, int rowsWritten)
{
    if (progress && !progress(rowsWritten))
        throw ExportCancelled{};
}
