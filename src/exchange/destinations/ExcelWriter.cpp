#include "ExcelWriter.h"

#include "NewWorkbookWriter.h"
#include "OutputFile.h"
#include "SheetNames.h"
#include "SourceRows.h"
#include "WorkbookSheetAdder.h"
#include "core/DbError.h"

#include <QFileInfo>

namespace ExcelWriter {

QString workbookPath(const QString& chosenPath)
{
    const QString path = chosenPath.trimmed();
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0)
        return path + QLatin1Char(suffix == QLatin1String("XLS") ? 'X' : 'x');
    if (suffix.isEmpty())
        return path + QStringLiteral(".xlsx");
    return path;
}

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    if (job.path.trimmed().isEmpty())
        throw DbError(QStringLiteral("没有指定 Excel 文件。"));
    ExportResult result;
    result.file = QFileInfo(workbookPath(job.path)).absoluteFilePath();

    if (QFileInfo::exists(result.file)) {
        WorkbookSheetAdder workbook(result.file);
        const QString problem = SheetNames::problem(job.name, workbook.sheetNames());
        if (!problem.isEmpty())
            throw DbError(problem);
        OutputFile output(result.file);
        SourceRows rows(source, job.rows);
        result.rows = workbook.addSheet(output, job.name, rows, progress);
        output.commitReplacing();
        return result;
    }

    const QString problem = SheetNames::problem(job.name);
    if (!problem.isEmpty())
        throw DbError(problem);
    OutputFile output(result.file);
    SourceRows rows(source, job.rows);
    result.rows = NewWorkbookWriter::write(output, job.name, rows, progress);
    output.commit();
    return result;
}

ExportResult replace(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    if (job.path.trimmed().isEmpty())
        throw DbError(QStringLiteral("没有指定 Excel 文件。"));
    const QString problem = SheetNames::problem(job.name);
    if (!problem.isEmpty())
        throw DbError(problem);
    ExportResult result;
    result.file = QFileInfo(workbookPath(job.path)).absoluteFilePath();
    OutputFile output(result.file);
    SourceRows rows(source, job.rows);
    result.rows = NewWorkbookWriter::write(output, job.name, rows, progress);
    output.commitReplacing();
    return result;
}

} // namespace ExcelWriter
