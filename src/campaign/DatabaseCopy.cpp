#include "DatabaseCopy.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Schema.h"
#include "core/SchemaVersion.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/Transaction.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace DatabaseCopy {

namespace {

void refuseUnlessEmpty(Connection& target)
{
    const QStringList present = Schema::tablesIn(target);
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

QString selectInKeyOrder(const QStringList& quotedFields, const QString& table)
{
    return QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(quotedFields.join(QStringLiteral(", ")), SqlText::quoteName(table));
}

qint64 copyRows(Connection& source, Connection& target, const QString& table, const QStringList& quotedFields)
{
    Statement reader(source, selectInKeyOrder(quotedFields, table));
    Statement writer(target, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(SqlText::quoteName(table), quotedFields.join(QStringLiteral(", ")),
                                      QStringList(quotedFields.size(), QStringLiteral("?")).join(QStringLiteral(", "))));
    qint64 copied = 0;
    while (reader.step()) {
        ++copied;
        for (int i = 0; i < quotedFields.size(); ++i)
            writer.bind(i + 1, reader.valueAt(i));
        try {
            writer.step();
        } catch (const DbError& error) {
            throw DbError(QStringLiteral("表“%1”的第 %2 行不能复制：%3").arg(table).arg(copied).arg(error.description()),
                          error.kind());
        }
        writer.reset();
    }
    return copied;
}

// How a value reads, whatever the engine keeps it as: the same number, text or date reads the
// same on a file and on a server; a value the other side changed (a date that lost its time,
// a number rounded) does not.
QString readAs(const QVariant& value)
{
    return value.isNull() ? QStringLiteral("(NULL)") : value.toString();
}

// Every value read back from the target against the source, so no value changes on the way
// without a word.
void verifyRows(Connection& source, Connection& target, const QString& table, const QStringList& fields,
                const QStringList& quotedFields)
{
    Statement original(source, selectInKeyOrder(quotedFields, table));
    Statement copy(target, selectInKeyOrder(quotedFields, table));
    qint64 row = 0;
    while (original.step()) {
        ++row;
        if (!copy.step())
            throw DbError(QStringLiteral("表“%1”复制后少了第 %2 行：没有复制。").arg(table).arg(row));
        for (int i = 0; i < fields.size(); ++i) {
            const QVariant before = original.valueAt(i);
            const QVariant after = copy.valueAt(i);
            if (before.isNull() != after.isNull() || readAs(before) != readAs(after))
                throw DbError(QStringLiteral("表“%1”第 %2 行的“%3”复制后变成了“%4”（原来是“%5”）：没有复制。")
                                  .arg(table).arg(row).arg(fields[i], readAs(after), readAs(before)));
        }
    }
    if (copy.step())
        throw DbError(QStringLiteral("表“%1”复制后多出了行：没有复制。").arg(table));
}

qint64 copyTable(Connection& source, Connection& target, const QString& table)
{
    const QStringList fields = sharedFields(source, target, table);
    QStringList quoted;
    for (const QString& name : fields)
        quoted << SqlText::quoteName(name);
    const qint64 copied = copyRows(source, target, table, quoted);
    const qint64 expected = rowCount(source, table);
    const qint64 stored = rowCount(target, table);
    if (copied != expected || stored != expected)
        throw DbError(QStringLiteral("表“%1”有 %2 行，复制后却是 %3 行：没有复制。").arg(table).arg(expected).arg(stored));
    verifyRows(source, target, table, fields, quoted);
    return copied;
}

// The tables as the program makes them, on either engine, without their first rows (the
// empty product names): the source's rows take their place.
void createTables(Connection& target)
{
    Schema::createTables(target);
    for (const QString& table : Schema::tableNames())
        target.execute(QStringLiteral("DELETE FROM %1").arg(SqlText::quoteName(table)));
}

std::shared_ptr<Connection> openSource(const QString& from)
{
    // A file is only read, whatever its rights.
    return Connection::isServerLocation(from) ? Connection::open(from) : Connection::openReadOnly(from);
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
    SchemaVersion::refuseNewer(source);   // its newer fields would be left behind
    refuseUnlessEmpty(target);
    // A server's write lock, held while it is read, keeps the seats' saves out: every table is
    // read as of one moment. (A file is kept by its lock file.)
    std::optional<Transaction> steadySource;
    if (source.isServer())
        steadySource.emplace(source);
    Transaction transaction(target);
    createTables(target);
    Copied copied;
    for (const QString& table : Schema::tableNames()) {
        copied.rows += copyTable(source, target, table);
        ++copied.tables;
    }
    transaction.commit();
    copied.source = source.location();
    copied.target = target.location();
    return copied;
}

QString copyDatabase(const QString& from, const QString& to)
{
    const auto source = openSource(from);
    const bool targetIsNew = !Connection::isServerLocation(to) && !QFileInfo::exists(to);
    Copied copied;
    try {
        copied = copyInto(*source, to, targetIsNew);
    } catch (const DbError&) {
        if (targetIsNew)
            removeDatabaseFile(to);
        throw;
    }
    return QStringLiteral("已复制 %1 个表，共 %2 行：%3 → %4").arg(copied.tables).arg(copied.rows).arg(copied.source, copied.target);
}

} // namespace DatabaseCopy
