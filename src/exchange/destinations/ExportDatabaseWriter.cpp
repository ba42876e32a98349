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

// The new table, in the export database that `connection` knows as `schema`, inside the
// caller's transaction; returns its name as statements on `connection` give it.
QString createTable(Connection& connection, const QString& schema, const QString& name, const QList<FieldInfo>& fields)
{
    if (tableExists(connection, schema, name))
        throw DbError(QStringLiteral("表“%1”已存在。").arg(name));
    const QString table = schema + QLatin1Char('.') + SqlText::quoteName(name);
    run(connection, QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columnDeclarations(fields)));
    return table;
}

// SQLite says "disk I/O error" when the file may grow no further (a file size limit) or
// the disk fails; a full disk it reports as such.
DbError exportFileFailure(const DbError& error, const QString& path)
{
    if (error.kind() != StoreFailure::DiskError)
        return error;
    return DbError(QStringLiteral("无法写入导出数据库“%1”：磁盘已满、文件超过了系统允许的大小或磁盘出错。")
                       .arg(QDir::toNativeSeparators(path)),
                   error.kind());
}

constexpr int BlockRows = 4096;

// From a database file SQLite copies the rows by itself: the export database is attached
// to the program's connection and the rows go over in blocks, the progress told after
// each block.
ExportResult copyWithinSqlite(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    const QList<FieldInfo> fields = source.fields(job.rows.table());
    ExportResult result;
    result.file = job.path;
    Attachment attachment(source, job.path);
    Transaction transaction(source);
    const QString target = createTable(source, AttachedName, job.name, fields);
    Statement blockEnd(source, job.rows.keyQuery(QStringLiteral("rowid > ?2")) + QStringLiteral(" LIMIT 1 OFFSET ?3"));
    Statement copy(source, QStringLiteral("INSERT INTO %1 ").arg(target)
                               + job.rows.query(ExportRows::quotedNames(fields), QStringLiteral("rowid > ?2 AND rowid <= ?3")));
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
        result.rows += source.changes();
        copiedUpTo = upTo;
        if (result.rows > 0)
            reportExportProgress(progress, result.rows);
    }
    transaction.commit();
    return result;
}

// From a server (or a file that may not be written, which takes no transaction) the rows
// are read one by one and stored through a connection of the export database's own, all
// in one transaction there.
ExportResult copyRowByRow(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    SourceRows rows(source, job.rows);
    ExportResult result;
    result.file = job.path;
    // Only what fails in the export database is told as a failing disk; a failure of the
    // program's database (a server's lost connection) keeps its own words.
    bool readingSource = false;
    const auto nextRow = [&] {
        readingSource = true;
        const bool more = rows.next();
        readingSource = false;
        return more;
    };
    try {
        const auto exportDatabase = Connection::open(job.path);
        Transaction transaction(*exportDatabase);
        const QString target = createTable(*exportDatabase, QStringLiteral("main"), job.name, rows.fields());
        QStringList values;
        for (int c = 0; c < rows.fields().size(); ++c)
            values << QStringLiteral("?");
        Statement insert(*exportDatabase,
                         QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(target, values.join(QStringLiteral(", "))));
        while (nextRow()) {
            for (int c = 0; c < rows.fields().size(); ++c)
                insert.bind(c + 1, rows.stored(c));
            insert.step();
            insert.reset();
            reportExportProgress(progress, ++result.rows);
        }
        transaction.commit();
    } catch (const DbError& error) {
        if (readingSource)
            throw;
        throw exportFileFailure(error, job.path);
    }
    return result;
}

} // namespace

namespace ExportDatabaseWriter {

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    if (job.name.trimmed().isEmpty())
        throw DbError(QStringLiteral("表名不能为空。"));
    if (job.path.isEmpty())
        throw DbError(QStringLiteral("没有指定导出数据库。"));
    if (!QFileInfo::exists(job.path))
        Schema::ensureExportDatabase(job.path);
    if (!source.sqliteHandle() || source.isReadOnly())
        return copyRowByRow(source, job, progress);
    try {
        return copyWithinSqlite(source, job, progress);
    } catch (const DbError& error) {
        throw exportFileFailure(error, job.path);
    }
}

} // namespace ExportDatabaseWriter
