#include "ExcelDestination.h"

#include "NewWorkbookWriter.h"
#include "OutputFile.h"
#include "SheetNames.h"
#include "SourceRows.h"
#include "WorkbookSheetAdder.h"
#include "core/DbError.h"
#include "core/SelectStatement.h"

#include <QFileInfo>

QString ExcelDestination::workbookPath(const QString& chosenPath)
{
    const QString path = chosenPath.trimmed();
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0)
        return path + QLatin1Char(suffix == QLatin1String("XLS") ? 'X' : 'x');
    if (suffix.isEmpty())
        return path + QStringLiteral(".xlsx");
    return path;
}

int ExcelDestination::write(Connection& source, const SelectIntoStatement& statement)
{
    if (statement.database.trimmed().isEmpty())
        throw DbError(QStringLiteral("没有指定 Excel 文件。"));
    const QString path = workbookPath(statement.database);
    const QString& sheetName = statement.table;
    const auto afterRow = [this](int written) { reportRow(written); };

    if (QFileInfo::exists(path)) {
        WorkbookSheetAdder workbook(path);
        const QString problem = SheetNames::problem(sheetName, workbook.sheetNames());
        if (!problem.isEmpty())
            throw DbError(problem);
        OutputFile output(path);
        SourceRows rows(source, statement.sourceQuery);
        const int written = workbook.addSheet(output.temporaryPath(), sheetName, rows, afterRow);
        output.commitReplacing();
        return written;
    }

    const QString problem = SheetNames::problem(sheetName);
    if (!problem.isEmpty())
        throw DbError(problem);
    OutputFile output(path);
    SourceRows rows(source, statement.sourceQuery);
    const int written = NewWorkbookWriter::write(output.temporaryPath(), sheetName, rows, afterRow);
    output.commit();
    return written;
}
