#include "Connection.h"

#include "DbError.h"
#include "JetDialect.h"
#include "SqlText.h"
#include "Statement.h"

#include <QFileInfo>
#include <sqlite3.h>

Connection::Connection(sqlite3* db, QString path)
    : db_(db), path_(std::move(path))
{
    sqlite3_extended_result_codes(db_, 0);
    sqlite3_busy_timeout(db_, 2000);
}

Connection::~Connection()
{
    sqlite3_close_v2(db_);
}

std::shared_ptr<Connection> Connection::openWith(const QString& path, int flags)
{
    sqlite3* db = nullptr;
    const QByteArray name = path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &db, flags, nullptr) != SQLITE_OK) {
        const QString detail = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close_v2(db);
        throw DbError(QStringLiteral("无法打开数据库“%1”。（%2）").arg(path, detail));
    }
    std::shared_ptr<Connection> connection(new Connection(db, path));
    // Reading the table list proves the file is a database and not something else.
    try {
        Statement check(db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
        check.step();
    } catch (const DbError& error) {
        // A file another program holds locked is a good database that is busy: saying it
        // is unreadable could lead a user to throw a good file away.
        if (error.engineCode() == SQLITE_BUSY || error.engineCode() == SQLITE_LOCKED)
            throw DbError(QStringLiteral("数据库“%1”正被其他程序使用，请关闭那个程序后再试。").arg(path), error.engineCode());
        throw DbError(QStringLiteral("无法识别的数据库格式“%1”。").arg(path), error.engineCode());
    }
    return connection;
}

std::shared_ptr<Connection> Connection::open(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        throw DbError(QStringLiteral("找不到文件“%1”。").arg(path));
    // A file the user may not change (a copy on a CD, rights set by a colleague) is still
    // opened, for looking, charts, reports and exports to other files.
    if (!file.isWritable())
        return openReadOnly(path);
    return openWith(path, SQLITE_OPEN_READWRITE);
}

std::shared_ptr<Connection> Connection::openReadOnly(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile())
        throw DbError(QStringLiteral("找不到文件“%1”。").arg(path));
    return openWith(path, SQLITE_OPEN_READONLY);
}

bool Connection::isReadOnly() const
{
    return sqlite3_db_readonly(db_, "main") == 1;
}

QString Connection::readOnlyRefusal()
{
    return QStringLiteral("数据库是只读的，不能保存修改。");
}

std::shared_ptr<Connection> Connection::create(const QString& path)
{
    return openWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

std::shared_ptr<Connection> Connection::openInMemory()
{
    return openWith(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY);
}

std::shared_ptr<Connection> Connection::openTemporary()
{
    auto connection = openWith(QString(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    Statement cache(connection->db_, QStringLiteral("PRAGMA cache_size = -16384"));   // 16 MB
    cache.step();
    return connection;
}

int Connection::executeOne(const QString& sqliteStatement)
{
    Statement statement(db_, sqliteStatement);
    while (statement.step()) {
    }
    noteWrite();
    return sqlite3_changes(db_);
}

int Connection::execute(const QString& statement)
{
    return executeOne(JetDialect::toSqlite(statement));
}

void Connection::executeScript(const QString& script)
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

QList<Connection::TableInfo> Connection::tables() const
{
    QList<TableInfo> result;
    Statement statement(db_, QStringLiteral(
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

// A column's DEFAULT as written in its declaration: a number or a quoted text.
static QVariant defaultFromDeclaration(const QVariant& declared)
{
    if (declared.isNull())
        return QVariant();
    const QString text = declared.toString().trimmed();
    if (text.startsWith(QLatin1Char('\'')))
        return JetDialect::literalValue(text);
    bool whole = false;
    const qint64 number = text.toLongLong(&whole);
    if (whole)
        return number;
    bool ok = false;
    const double real = text.toDouble(&ok);
    return ok ? QVariant(real) : QVariant();
}

QList<FieldInfo> Connection::fields(const QString& table) const
{
    QList<FieldInfo> result;
    Statement statement(db_, QStringLiteral("PRAGMA table_info(%1)").arg(SqlText::quoteName(table)));
    while (statement.step()) {
        FieldInfo field = FieldInfo::fromDeclaration(statement.valueAt(1).toString(), statement.valueAt(2).toString());
        field.writable = true;
        field.defaultValue = defaultFromDeclaration(statement.valueAt(4));
        result.append(field);
    }
    if (result.isEmpty())
        throw DbError(QStringLiteral("找不到表“%1”。").arg(table));
    return result;
}

bool Connection::hasRowMarks() const
{
    if (!rowMarksKnown_) {
        Statement check(db_, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'marquel_row_marks'"));
        hasRowMarks_ = check.step();
        rowMarksKnown_ = true;
    }
    return hasRowMarks_;
}

void Connection::forgetRowMarks()
{
    rowMarksKnown_ = false;
}
