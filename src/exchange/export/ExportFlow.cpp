#include "ExportFlow.h"

#include "controls/Dialogs.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "exchange/destinations/ExcelWriter.h"
#include "exchange/destinations/ExportWriters.h"
#include "exchange/destinations/SourceRows.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace ExportFlow {

namespace {

const QString DialogTitle = QStringLiteral("导出文件为");
constexpr int ProgressStep = 256;

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

// An existing Excel 97-2003 workbook (.xls) cannot take a sheet: the sheet goes into the
// .xlsx of the same name instead. Said before anything is written, as the user expects the
// sheet in the file chosen; false when the user does not want that.
bool agreesToNewWorkbook(const QString& chosenPath, const QString& sheet)
{
    const QString chosen = chosenPath.trimmed();
    const QString written = ExcelWriter::workbookPath(chosen);
    const bool oldWorkbook = QFileInfo(chosen).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0;
    if (!oldWorkbook || !QFileInfo(chosen).isFile())
        return true;
    const QString text = QStringLiteral("“%1”是 Excel 97-2003 工作簿，不能在其中添加工作表。\n"
                                        "是否把工作表“%2”写入%3的工作簿“%4”？原来的文件不变。")
                             .arg(QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()), sheet,
                                  QFileInfo::exists(written) ? QStringLiteral("已有") : QStringLiteral("新"),
                                  QDir::toNativeSeparators(QFileInfo(written).absoluteFilePath()));
    return Dialogs::instance().message(text, QStringLiteral("信息提示"), MsgButtons::YesNo, MsgIcon::Question)
           == MsgAnswer::Yes;
}

// The job for the kind, or nullopt when the user cancelled a dialog. No kind throws DbError.
std::optional<ExportJob> askJob(const ProgramState& state, Kind kind, const ExportRows& rows, const Options& options)
{
    switch (kind) {
    case Kind::ExportDatabase: {
        const std::optional<QString> table = askTableName(state, options);
        if (!table)
            return std::nullopt;
        return ExportJob{ExportKind::ExportDatabase, state.exportDatabasePath(), *table, rows};
    }
    case Kind::Dbase: {
        const std::optional<QString> path = askSavePath(QStringLiteral("(*.DBF)|*.DBF"), QString());
        if (!path)
            return std::nullopt;
        // The folder is everything up to the last separator, the file name what follows.
        const QString chosen = QDir::fromNativeSeparators(*path);
        const int last = chosen.lastIndexOf(QLatin1Char('/'));
        return ExportJob{ExportKind::Dbase, chosen.left(last + 1), chosen.mid(last + 1), rows};
    }
    case Kind::Excel: {
        const std::optional<QString> path = askSavePath(QStringLiteral("Excel (*.XLSX)|*.XLSX"), QStringLiteral("xlsx"));
        if (!path)
            return std::nullopt;
        const std::optional<QString> sheet =
            Dialogs::instance().input(QStringLiteral("请给导出到XLS文件的表确定表名"), QString(), QString());
        if (!sheet || !agreesToNewWorkbook(*path, *sheet))
            return std::nullopt;
        return ExportJob{ExportKind::Excel, *path, *sheet, rows};
    }
    case Kind::None:
        break;
    }
    throw DbError(QStringLiteral("没有选择导出文件的类型。"));
}

// The rows and the file written, the second line of the success message.
QString writtenLine(const ExportJob& job, const ExportResult& result)
{
    const QString file = QDir::toNativeSeparators(result.file);
    switch (job.kind) {
    case ExportKind::ExportDatabase:
        return QStringLiteral("已导出 %1 行到“%2”的表“%3”。").arg(result.rows).arg(file, job.name);
    case ExportKind::Excel:
        return QStringLiteral("已导出 %1 行到“%2”的工作表“%3”。").arg(result.rows).arg(file, job.name);
    case ExportKind::Dbase:
        break;
    }
    return QStringLiteral("已导出 %1 行到“%2”。").arg(result.rows).arg(file);
}

ExportResult write(Connection& connection, const ExportJob& job)
{
    std::unique_ptr<ProgressWindow> progress = Dialogs::instance().progress(
        QStringLiteral("正在导出数据，已写入 %1 行……"), QStringLiteral("导出数据"), SourceRows::count(connection, job.rows));
    // The window is brought up to date every few hundred rows: letting window events
    // run after every row would slow a large export down by a third.
    return ExportWriters::write(connection, job, [&progress](int written) {
        return written % ProgressStep != 0 || progress->update(written);
    });
}

} // namespace

Outcome run(const ProgramState& state, Kind kind, const ExportRows& rows, const Options& options)
{
    Dialogs& dialogs = Dialogs::instance();
    ExportResult result;
    std::optional<ExportJob> job;
    try {
        job = askJob(state, kind, rows, options);
        if (!job)
            return Outcome::Cancelled;
        const auto connection = state.connection();
        if (!connection)
            throw DbError(QStringLiteral("数据库尚未打开。"));
        result = write(*connection, *job);
    } catch (const ExportCancelled&) {
        return Outcome::Cancelled;
    } catch (const DbError& error) {
        dialogs.message(QStringLiteral(" 导出失败\n") + error.description(), QStringLiteral("导出失败"), MsgButtons::Ok,
                        MsgIcon::Exclamation);
        return Outcome::Failed;
    }
    dialogs.message(QStringLiteral("OK\n") + writtenLine(*job, result), QStringLiteral("导出成功"), MsgButtons::Ok,
                    MsgIcon::Information);
    if (result.valuesChanged > 0)
        dialogs.message(QStringLiteral("有 %1 个值不能在 dBase 文件中原样保存：超出字段宽度的已截短，"
                                       "GBK 以外的字符已写成“?”。如需保留全部字符，请导出为 Excel 或 mdb 文件。")
                            .arg(result.valuesChanged),
                        QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Information);
    return Outcome::Exported;
}

} // namespace ExportFlow
