#include "SqliteConnection.h"

#include "DbError.h"
#include "SqlText.h"
#include "SqliteStatement.h"
#include "Statement.h"

#include <QFileInfo>
#include <sqlite3.h>

SqliteConnection::SqliteConnection(sqlite3* db, QString path)
    : Connection(std::move(path)), db_(db)
{
    sqlite3_extended_result_codes(db_, 0);
    sqlite3_busy_timeout(db_, 2000);
    // A name in double quotes is always a name, as on a server: a misspelt field is an error,
    // not a text that silently matches nothing.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
}

SqliteConnection::~SqliteConnection()
{
    sqlite3_close_v2(db_);
}

namespace {

// A connection is only ever used by one thread at a time (the import's storing thread is done
// with its connection before another thread uses it), so SQLite's lock around every call and
// its count of memory under one global lock are pure cost: a sixth of a big import's pass.
// The count can only be switched off before SQLite starts; later it stays as it is.
int withoutSqliteLocks(int flags)
{
    static const int memoryCount = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    Q_UNUSED(memoryCount);
    return flags | SQLITE_OPEN_NOMUTEX;
}

} // namespace

std::shared_ptr<Connection> SqliteConnection::openWith(const QString& path, int flags)
{
    flags = withoutSqliteLocks(flags);
    sqlite3* db = nullptr;
    const QByteArray name = path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &db, flags, nullptr) != SQLITE_OK) {
        const QString detail = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close_v2(db);
        throw DbError(QStringLiteral("无法打开数据库“%1”。（%2）").arg(path, detail), StoreFailure::CannotOpen);
    }
    std::shared_ptr<Connection> connection(new SqliteConnection(db, path));
    // Reading the table list proves the file is a database and not something else.
    try {
        Statement check(*connection, QStringLiteral("SELECT count(*) FROM sqlite_master"));
        check.step();
    } catch (const DbError& error) {
        // A file another program holds locked is a good database that is busy: saying it
        // is unreadable could lead a user to throw a good file away.
        if (error.kind() == StoreFailure::Busy)
            throw DbError(QStringLiteral("数据库“%1”正被其他程序使用，请关闭那个程序后再试。").arg(path), StoreFailure::Busy);
        throw DbError(QStringLiteral("无法识别的数据库格式“%1”。").arg(path), StoreFailure::Damaged);
    }
    return connection;
}

std::shared_ptr<Connection> SqliteConnection::open(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        throw DbError(QStringLiteral("找不到文件“%1”。").arg(path), StoreFailure::CannotOpen);
    // A file the user may not change (a copy on a CD, rights set by a colleague) is still
    // opened, for looking, charts, reports and exports to other files.
    if (!file.isWritable())
        return openReadOnly(path);
    return openWith(path, SQLITE_OPEN_READWRITE);
}

std::shared_ptr<Connection> SqliteConnection::openReadOnly(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        throw DbError(QStringLiteral("找不到文件“%1”。").arg(path), StoreFailure::CannotOpen);
    return openWith(path, SQLITE_OPEN_READONLY);
}

std::shared_ptr<Connection> SqliteConnection::create(const QString& path)
{
    return openWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

std::shared_ptr<Connection> SqliteConnection::openInMemory()
{
    return openWith(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY);
}

std::shared_ptr<Connection> SqliteConnection::openTemporary()
{
    auto connection = openWith(QString(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    Statement cache(*connection, QStringLiteral("PRAGMA cache_size = -16384"));   // 16 MB
    cache.step();
    return connection;
}

QString SqliteConnection::displayName() const
{
    return QFileInfo(path()).fileName();
}

bool SqliteConnection::isReadOnly() const
{
    return sqlite3_db_readonly(db_, "main") == 1;
}

std::unique_ptr<StatementEngine> SqliteConnection::prepare(const QString& sqliteStatement)
{
    return std::make_unique<SqliteStatement>(db_, sqliteStatement);
}

int SqliteConnection::changes() const
{
    return sqlite3_changes(db_);
}

void SqliteConnection::run(const QString& sql)
{
    SqliteStatement statement(db_, sql);
    statement.step();
}

void SqliteConnection::beginWrite()
{
    if (isReadOnly())
        throw DbError::of(StoreFailure::ReadOnly);
    // Taking the write lock at once: what the work reads is what it writes on, and another
    // writer (a second copy of the program) waits until it ends.
    run(QStringLiteral("BEGIN IMMEDIATE"));
}

void SqliteConnection::commitWrite()
{
    run(QStringLiteral("COMMIT"));
}

void SqliteConnection::rollbackWrite()
{
    run(QStringLiteral("ROLLBACK"));
}

void SqliteConnection::executeScript(const QString& script)
{
    char* message = nullptr;
    const QByteArray text = script.toUtf8();
    if (sqlite3_exec(db_, text.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString detail = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        throw DbError(QStringLiteral("数据库错误：%1").arg(detail));
    }
    noteWrite();
}

// Keys are never handed out twice (see Schema::ensureRowMarks): a new row's key is past
// every key the table holds and every key a deleted row had.
qint64 SqliteConnection::nextKey(const QString& table) const
{
    const QString quoted = SqlText::quoteName(table);
    QString sql = QStringLiteral("SELECT coalesce((SELECT max(rowid) FROM %1), 0)").arg(quoted);
    if (hasRowMarks())
        sql = QStringLiteral("SELECT max(coalesce((SELECT max(rowid) FROM %1), 0), "
                             "coalesce((SELECT last_key FROM marquel_row_marks WHERE table_name = ?), 0))")
                  .arg(quoted);
    SqliteStatement query(db_, sql);
    if (hasRowMarks())
        query.bind(1, table);
    query.step();
    return query.int64At(0) + 1;
}

qint64 SqliteConnection::insertRow(const QString& table, const QStringList& quotedNames, const QList<QVariant>& values)
{
    const qint64 key = nextKey(table);
    QStringList placeholders{QStringLiteral("?")};
    for (int i = 0; i < quotedNames.size(); ++i)
        placeholders << QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(SqlText::quoteName(table), (QStringList{QStringLiteral("rowid")} + quotedNames).join(QStringLiteral(", ")),
                                 placeholders.join(QStringLiteral(", ")));
    SqliteStatement statement(db_, sql);
    statement.bind(1, key);
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 2, values[i]);
    statement.step();
    noteWrite();
    return key;
}

QList<Connection::TableInfo> SqliteConnection::tables() const
{
    QList<TableInfo> result;
    SqliteStatement statement(db_, QStringLiteral(
        "SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') ORDER BY rowid"));
    while (statement.step()) {
        const QString name = statement.valueAt(0).toString();
        QString type = statement.valueAt(1).toString() == QLatin1String("view") ? QStringLiteral("VIEW")
                                                                                : QStringLiteral("TABLE");
        if (name.startsWith(QLatin1String("sqlite_")) || name.startsWith(QLatin1String("marquel_")))
            type = QStringLiteral("SYSTEM TABLE");
        result.append({name, type});
    }
    return result;
}

QList<FieldInfo> SqliteConnection::fields(const QString& table) const
{
    QList<FieldInfo> result;
    SqliteStatement statement(db_, QStringLiteral("PRAGMA table_info(%1)").arg(SqlText::quoteName(table)));
    while (statement.step()) {
        FieldInfo field = FieldInfo::fromDeclaration(statement.valueAt(1).toString(), statement.valueAt(2).toString());
        field.writable = true;
        field.defaultValue = statement.valueAt(4).isNull() ? QVariant() : FieldInfo::defaultFromDeclaration(statement.valueAt(4).toString());
        result.append(field);
    }
    if (result.isEmpty())
        throw DbError(QStringLiteral("找不到表“%1”。").arg(table));
    return result;
}

bool SqliteConnection::hasRowMarks() const
{
    if (!rowMarksKnown_) {
        SqliteStatement check(db_, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'marquel_row_marks'"));
        hasRowMarks_ = check.step();
        rowMarksKnown_ = true;
    }
    return hasRowMarks_;
}

void SqliteConnection::forgetRowMarks()
{
    rowMarksKnown_ = false;
}
