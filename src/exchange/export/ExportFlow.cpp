#include "ExportFlow.h"

#include "ExportStatements.h"
#include "controls/Dialogs.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "core/DbError.h"

#include <optional>

namespace ExportFlow {

namespace {

const QString DialogTitle = QStringLiteral("导出文件为");

// The table name for the export database, asked again while the name is taken.
std::optional<QString> askTableName(const ProgramState& state, const Options& options)
{
    Dialogs& dialogs = Dialogs::instance();
    for (;;) {
        const std::optional<QString> answer =
            dialogs.input(QStringLiteral("请给导出到mdb文件的表确定表名"), QString(), QString());
        if (!answer || (answer->isEmpty() && options.emptyTableNameEndsQuietly))
            return std::nullopt;
        if (!state.tableExists(*answer))
            return answer;
        dialogs.message(QStringLiteral("文件名重复，请重新输入文件名"), QStringLiteral("信息提示"), MsgButtons::Ok,
                        MsgIcon::Exclamation);
    }
}

std::optional<QString> askSavePath(const QString& filter, const QString& defaultExt)
{
    FileDialogRequest request;
    request.title = DialogTitle;
    request.filter = filter;
    request.filterIndex = 1;
    request.defaultExt = defaultExt;
    const std::optional<FileChoice> choice = Dialogs::instance().saveFile(request);
    if (!choice)
        return std::nullopt;
    return choice->path;
}

// The statement for the kind, or nullopt when the user cancelled a dialog. A statement
// that cannot be built throws DbError.
std::optional<QString> buildStatement(const ProgramState& state, Kind kind, const QString& where, const Options& options)
{
    switch (kind) {
    case Kind::ExportDatabase: {
        const std::optional<QString> table = askTableName(state, options);
        if (!table)
            return std::nullopt;
        return ExportStatements::toExportDatabase(state.exportDatabasePath(), *table, where);
    }
    case Kind::Dbase: {
        const std::optional<QString> path = askSavePath(QStringLiteral("(*.DBF)|*.DBF"), QString());
        if (!path)
            return std::nullopt;
        const ExportStatements::SplitPath split = ExportStatements::splitAtLastSeparator(*path);
        return ExportStatements::toDbase(split.folder, split.fileName, where);
    }
    case Kind::Excel: {
        const std::optional<QString> path = askSavePath(QStringLiteral("Excel (*.XLSX)|*.XLSX"), QStringLiteral("xlsx"));
        if (!path)
            return std::nullopt;
        const std::optional<QString> sheet =
            Dialogs::instance().input(QStringLiteral("请给导出到XLS文件的表确定表名"), QString(), QString());
        if (!sheet)
            return std::nullopt;
        return ExportStatements::toExcel(*path, *sheet, where);
    }
    case Kind::None:
        break;
    }
    throw DbError(QStringLiteral("没有选择导出文件的类型。"));
}

} // namespace

Outcome run(const ProgramState& state, Kind kind, const QString& where, const Options& options)
{
    Dialogs& dialogs = Dialogs::instance();
    try {
        const std::optional<QString> statement = buildStatement(state, kind, where, options);
        if (!statement)
            return Outcome::Cancelled;
        const auto connection = state.connection();
        if (!connection)
            throw DbError(QStringLiteral("数据库尚未打开。"));
        connection->execute(*statement);
    } catch (const DbError&) {
        dialogs.message(QStringLiteral(" 导出失败"), QStringLiteral("导出失败"), MsgButtons::Ok, MsgIcon::Exclamation);
        return Outcome::Failed;
    }
    dialogs.message(QStringLiteral("OK"), QStringLiteral("导出成功"), MsgButtons::Ok, MsgIcon::Information);
    return Outcome::Exported;
}

} // namespace ExportFlow
