#include "ExportDatabaseWriter.h"

#include "SourceRows.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Schema.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/Transaction.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>
#include <QStringList>
#include <limits>

namespace {

const QString AttachedName = QStringLiteral("marquel_export_db");

void run(Connection& connection, const QString& sql)
{
    Statement statement(connection, sql);
    while (statement.step()) {
    }
}

// The export database is attached to the program's connection while the rows are
// copied, and detached again whatever happens.
class Attachment {
public:
    Attachment(Connection& connection, const QString& path)
        : connection_(connection)
    {
        Statement attach(connection_, QStringLiteral("ATTACH DATABASE ?1 AS ") + AttachedName);
        attach.bind(1, path);
        attach.step();
    }
    ~Attachment()
    {
        try {
            run(connection_, QStringLiteral("DETACH DATABASE ") + AttachedName);
        } catch (const DbError&) {
        }
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

private:
    Connection& connection_;
};

// Table names of the store compare without regard to letter case.
bool tableExists(Connection& connection, const QString& schema, const QString& table)
{
    Statement statement(connection,
                        QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type IN ('table', 'view') "
                                       "AND lower(name) = lower(?1)").arg(schema));
    statement.bind(1, table);
    return statement.step();
}

QString columnDeclarations(const QList<FieldInfo>& fields)
{
    QStringList columns;
    for (const FieldInfo& field : fields) {
        QString declaration = SqlText::quoteName(field.name);
        if (!field.declaredType.isEmpty())
            declaration += QLatin1Char(' ') + field.declaredType;
        if (field.kind == FieldInfo::Kind::Text || field.kind == FieldInfo::Kind::LongText)
            declaration += QStringLiteral(" COLLATE NOCASE");
        columns << declaration;
    }
    return columns.join(QStringLiteral(", "));
}

constexpr int BlockRows = 4096;

ExportResult copyRows(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    if (job.name.trimmed().isEmpty())
        throw DbError(QStringLiteral("表名不能为空。"));
    if (job.path.isEmpty())
        throw DbError(QStringLiteral("没有指定导出数据库。"));
    if (!QFileInfo::exists(job.path))
        Schema::ensureExportDatabase(job.path);
    Attachment attachment(source, job.path);
    if (tableExists(source, AttachedName, job.name))
        throw DbError(QStringLiteral("表“%1”已存在。").arg(job.name));

    const QString target = AttachedName + QLatin1Char('.') + SqlText::quoteName(job.name);
    ExportResult result;
    result.file = job.path;
    Transaction transaction(source);
    run(source, QStringLiteral("CREATE TABLE %1 (%2)").arg(target, columnDeclarations(SourceRows(source, job.rows).fields())));
    // The rows go over in blocks, each copied by SQLite itself; the progress is told
    // after each block.
    Statement blockEnd(source, job.rows.keyQuery(QStringLiteral("rowid > ?2")) + QStringLiteral(" LIMIT 1 OFFSET ?3"));
    Statement copy(source, QStringLiteral("INSERT INTO %1 ").arg(target)
                                        + job.rows.query(QStringLiteral("rowid > ?2 AND rowid <= ?3")));
    qint64 copiedUpTo = std::numeric_limits<qint64>::min();
    for (bool last = false; !last;) {
        job.rows.bind(blockEnd);
        blockEnd.bindInt64(2, copiedUpTo);
        blockEnd.bindInt64(3, BlockRows - 1);
        last = !blockEnd.step();
        const qint64 upTo = last ? std::numeric_limits<qint64>::max() : blockEnd.int64At(0);
        blockEnd.reset();
        job.rows.bind(copy);
        copy.bindInt64(2, copiedUpTo);
        copy.bindInt64(3, upTo);
        copy.step();
        copy.reset();
        result.rows += sqlite3_changes(source.sqliteHandle());
        copiedUpTo = upTo;
        if (result.rows > 0)
            reportExportProgress(progress, result.rows);
    }
    transaction.commit();
    return result;
}

} // namespace

namespace ExportDatabaseWriter {

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    try {
        return copyRows(source, job, progress);
    } catch (const DbError& error) {
        // SQLite says "disk I/O error" when the file may grow no further (a file size
        // limit) or the disk fails; a full disk it reports as such.
        if (error.engineCode() == SQLITE_IOERR)
            throw DbError(QStringLiteral("无法写入导出数据库“%1”：磁盘已满、文件超过了系统允许的大小或磁盘出错。")
                              .arg(QDir::toNativeSeparators(job.path)),
                          error.engineCode());
        throw;
    }
}

} // namespace ExportDatabaseWriter
