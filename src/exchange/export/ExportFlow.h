#pragma once

#include <QString>

class ProgramState;

// One export as the export windows run it: ask where to (an input box for a table of the
// export database; a save dialog for a dBase file; a save dialog and an input box for a
// sheet of a workbook), run the statement on the program's database at that moment, and
// say how it went ("OK" or " 导出失败").
namespace ExportFlow {

enum class Kind { None, ExportDatabase, Dbase, Excel };
enum class Outcome { Cancelled, Exported, Failed };

struct Options {
    // outputFm2 ends quietly on an empty table name; outputFm1 runs it and fails.
    bool emptyTableNameEndsQuietly = false;
};

// `where` is the row selection appended to "... from clientTableInfo".
Outcome run(const ProgramState& state, Kind kind, const QString& where, const Options& options = {});

} // namespace ExportFlow
