#include "ExportStatements.h"

#include "core/DbError.h"
#include "core/SqlText.h"

#include <QDir>

namespace ExportStatements {

namespace {

QString checkedName(const QString& name)
{
    if (name.contains(QLatin1Char(']')))
        throw DbError(QStringLiteral("名称“%1”中不能有“]”。").arg(name));
    return SqlText::bracketName(name);
}

QString checkedConnectPath(const QString& path)
{
    if (path.contains(QLatin1Char(']')) || path.contains(QLatin1Char(';')))
        throw DbError(QStringLiteral("路径“%1”中不能有“]”或“;”。").arg(path));
    return path;
}

QString statement(const QString& connect, const QString& name, const QString& where)
{
    return (QStringLiteral("select * into [") + connect + QStringLiteral("].") + checkedName(name)
            + QStringLiteral(" from ") + SourceTable + where)
        .trimmed();
}

} // namespace

QString allTargetsSelection(bool everyTarget)
{
    return everyTarget ? QString() : FeedbackOnly;
}

QString planRespondersSelection(const QString& planNo)
{
    return QStringLiteral(" Where 序号 = ") + SqlText::quote(planNo) + QStringLiteral(" And  反馈合计 >= 1");
}

SplitPath splitAtLastSeparator(const QString& path)
{
    const QString native = QDir::fromNativeSeparators(path);
    const int last = native.lastIndexOf(QLatin1Char('/'));
    return {native.left(last + 1), native.mid(last + 1)};
}

QString toExportDatabase(const QString& exportDatabasePath, const QString& table, const QString& where)
{
    return statement(QStringLiteral(";database=") + checkedConnectPath(exportDatabasePath), table, where);
}

QString toDbase(const QString& folder, const QString& fileName, const QString& where)
{
    return statement(QStringLiteral("dBase III;database=") + checkedConnectPath(folder), fileName, where);
}

QString toExcel(const QString& workbookPath, const QString& sheet, const QString& where)
{
    return statement(QStringLiteral("Excel 8.0;database=") + checkedConnectPath(workbookPath), sheet, where);
}

} // namespace ExportStatements
