#include "ExportWriters.h"

#include "DbaseWriter.h"
#include "ExcelWriter.h"
#include "ExportDatabaseWriter.h"

namespace ExportWriters {

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    switch (job.kind) {
    case ExportKind::ExportDatabase:
        return ExportDatabaseWriter::write(source, job, progress);
    case ExportKind::Dbase:
        return DbaseWriter::write(source, job, progress);
    case ExportKind::Excel:
        return ExcelWriter::write(source, job, progress);
    }
    return {};
}

} // namespace ExportWriters
