#include "DatabaseCopy.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Schema.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/Transaction.h"

#include <QFile>
#include <QFileInfo>

namespace DatabaseCopy {

namespace {

QStringList tablesPresent(Connection& connection)
{
    QStringList names;
    for (const Connection::TableInfo& table : connection.tables())
        names << table.name;
    return names;
}

void refuseUnlessEmpty(Connection& target)
{
    const QStringList present = tablesPresent(target);
    for (const QString& table : Schema::tableNames()) {
        if (present.contains(table))
            throw DbError(QStringLiteral("目标数据库“%1”中已经有表“%2”：只能复制到还没有本程序的表的数据库。")
                              .arg(target.path(), table));
    }
}

QStringList fieldNames(Connection& connection, const QString& table)
{
    QStringList names;
    for (const FieldInfo& field : connection.fields(table))
        names << field.name;
    return names;
}

// Every field goes across, or nothing does: a field only one side has would be lost or left
// empty without a word.
QStringList sharedFields(Connection& source, Connection& target, const QString& table)
{
    const QStringList from = fieldNames(source, table);
    const QStringList to = fieldNames(target, table);
    for (const QString& name : from) {
        if (!to.contains(name))
            throw DbError(QStringLiteral("源数据库的表“%1”中有字段“%2”，本程序的表中没有：复制会丢掉它。").arg(table, name));
    }
    for (const QString& name : to) {
        if (!from.contains(name))
            throw DbError(QStringLiteral("源数据库的表“%1”中缺少字段“%2”。").arg(table, name));
    }
    return to;
}

qint64 rowCount(Connection& connection, const QString& table)
{
    Statement count(connection, QStringLiteral("SELECT count(*) FROM %1").arg(SqlText::quoteName(table)));
    count.step();
    return count.int64At(0);
}

qint64 copyTable(Connection& source, Connection& target, const QString& table)
{
    const QStringList fields = sharedFields(source, target, table);
    QStringList quoted;
    for (const QString& name : fields)
        quoted << SqlText::quoteName(name);
    Statement reader(source, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                         .arg(quoted.join(QStringLiteral(", ")), SqlText::quoteName(table)));
    Statement writer(target, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                         .arg(SqlText::quoteName(table), quoted.join(QStringLiteral(", ")),
                                              QStringList(fields.size(), QStringLiteral("?")).join(QStringLiteral(", "))));
    qint64 copied = 0;
    while (reader.step()) {
        for (int i = 0; i < fields.size(); ++i)
            writer.bind(i + 1, reader.valueAt(i));
        writer.step();
        writer.reset();
        ++copied;
    }
    const qint64 expected = rowCount(source, table);
    const qint64 stored = rowCount(target, table);
    if (copied != expected || stored != expected)
        throw DbError(QStringLiteral("表“%1”有 %2 行，复制后却是 %3 行：没有复制。").arg(table).arg(expected).arg(stored));
    return copied;
}

void createTables(Connection& target)
{
    target.executeScript(Schema::script());
    // The new tables' own rows (the empty product names) give way to the source's.
    for (const QString& table : Schema::tableNames())
        target.execute(QStringLiteral("DELETE FROM %1").arg(SqlText::quoteName(table)));
}

bool isFile(const QString& location)
{
    return !location.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive)
        && !location.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive);
}

// A database file made for the copy, closed by now, with what SQLite may have left beside it:
// nothing half-copied is left behind, and no journal for a later file of that name.
void removeDatabaseFile(const QString& path)
{
    for (const QString& suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}

Copied copyInto(Connection& source, const QString& to, bool targetIsNew)
{
    const auto target = targetIsNew ? Connection::create(to) : Connection::open(to);
    return copy(source, *target);
}

} // namespace

Copied copy(Connection& source, Connection& target)
{
    Schema::checkMainDatabase(source);
    refuseUnlessEmpty(target);
    Transaction transaction(target);
    createTables(target);
    Copied copied;
    for (const QString& table : Schema::tableNames()) {
        copied.rows += copyTable(source, target, table);
        ++copied.tables;
    }
    Schema::ensureRowMarks(target);
    transaction.commit();
    return copied;
}

QString copyDatabase(const QString& from, const QString& to)
{
    // The source is only read, whatever its file's rights.
    const auto source = Connection::openReadOnly(from);
    const bool targetIsNew = isFile(to) && !QFileInfo::exists(to);
    Copied copied;
    try {
        copied = copyInto(*source, to, targetIsNew);
    } catch (const DbError&) {
        if (targetIsNew)
            removeDatabaseFile(to);
        throw;
    }
    return QStringLiteral("已复制 %1 个表，共 %2 行：%3 → %4").arg(copied.tables).arg(copied.rows).arg(source->path(), to);
}

} // namespace DatabaseCopy
