#pragma once

#include "ExportJob.h"

class Connection;

// A new table in the export database (the job's path), a database file of the store's own
// kind beside the program; the job's name is the table's. A missing export database is
// created first (empty). A name taken already (letter case not counting) fails the
// export. The new table and all its rows arrive together or not at all. From a database
// file SQLite copies the rows itself; from a server they come in pages and are stored
// through a connection of the export database's own, in one transaction there.
namespace ExportDatabaseWriter {

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress);

} // namespace ExportDatabaseWriter
