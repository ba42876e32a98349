#pragma once

#include "ExportJob.h"

class Connection;

// Hands an export job to the writer of its kind (the export database, dBase, Excel),
// which reads the job's rows from `source`, the program's database, at that moment.
// Throws DbError saying why an export failed, ExportCancelled when the user cancelled;
// either way nothing of the export is left behind.
namespace ExportWriters {

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress = {});

} // namespace ExportWriters
