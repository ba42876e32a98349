#pragma once

#include "exchange/destinations/ExportRows.h"

#include <QString>

class ProgramState;

// One export as the export windows run it: ask where to (an input box for a table of the
// export database; a save dialog for a dBase file; a save dialog and an input box for a
// sheet of a workbook), hand the job to its writer, which reads the rows from the
// program's database at that moment, with a progress window the user can cancel, and
// say how it went: "OK" or " 导出失败", with a second line telling the rows and the file
// written, or why the export failed.
namespace ExportFlow {

enum class Kind { None, ExportDatabase, Dbase, Excel };
enum class Outcome { Cancelled, Exported, Failed };

struct Options {
    // outputFm2 ends quietly on an empty table name; outputFm1 runs it and fails.
    bool emptyTableNameEndsQuietly = false;
};

Outcome run(const ProgramState& state, Kind kind, const ExportRows& rows, const Options& options = {});

} // namespace ExportFlow
