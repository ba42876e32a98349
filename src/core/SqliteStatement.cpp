#include "SqliteStatement.h"

#include "Connection.h"
#include "DbError.h"

#include <QByteArray>
#include <sqlite3.h>

namespace {

// The engine's own words for a statement it cannot run, in the program's language. The
// statement's text is never part of what the user is shown.
QString statementFailure(const QString& detail)
{
    static const struct {
        const char* prefix;
        const char* text;
    } known[] = {
        {"no such table: ", "找不到表“%1”。"},
        {"no such column: ", "找不到字段“%1”。"},
        {"ambiguous column name: ", "字段名“%1”不明确。"},
    };
    for (const auto& k : known) {
        const QString prefix = QString::fromLatin1(k.prefix);
        if (detail.startsWith(prefix))
            return QString::fromUtf8(k.text).arg(detail.mid(prefix.size()));
    }
    if (detail.contains(QLatin1String("pattern too complex")))
        return QStringLiteral("查找的内容太长，请输入较短的内容。");
    if (detail.contains(QLatin1String("syntax error")) || detail.contains(QLatin1String("unrecognized token")))
        return QStringLiteral("语句有语法错误，无法执行。");
    if (detail.contains(QLatin1String("string or blob too big")))
        return QStringLiteral("数据太长，无法保存。");
    return QStringLiteral("语句无法执行。");
}

} // namespace

DbError sqliteError(sqlite3* db)
{
    const int code = sqlite3_errcode(db) & 0xff;
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db));
    switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError::of(StoreFailure::Busy, detail);
    case SQLITE_READONLY:
        return DbError::of(StoreFailure::ReadOnly);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return DbError::of(StoreFailure::NoRight, detail);
    case SQLITE_FULL:
        return DbError::of(StoreFailure::DiskFull, detail);
    case SQLITE_IOERR:
        return DbError::of(StoreFailure::DiskError, detail);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return DbError::of(StoreFailure::Damaged, detail);
    case SQLITE_CANTOPEN:
        return DbError::of(StoreFailure::CannotOpen, detail);
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
        return DbError::of(StoreFailure::ValueRefused, detail);
    case SQLITE_TOOBIG:
        return DbError(QStringLiteral("数据库错误：") + statementFailure(detail), StoreFailure::ValueRefused);
    default:
        return DbError(QStringLiteral("数据库错误：") + statementFailure(detail));
    }
}

SqliteStatement::SqliteStatement(sqlite3* db, const QString& sql)
    : db_(db)
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &stmt_, nullptr) != SQLITE_OK) {
        const QString message = statementFailure(QString::fromUtf8(sqlite3_errmsg(db_)));
        const int code = sqlite3_errcode(db_) & 0xff;
        const DbError error = code == SQLITE_ERROR ? DbError(message) : sqliteError(db_);
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw error;
    }
    if (!stmt_)
        throw DbError(QStringLiteral("语句是空的。"));
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(stmt_);
}

void SqliteStatement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt_, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(stmt_, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        throw sqliteError(db_);
}

void SqliteStatement::bindUtf8(int index, QByteArrayView text)
{
    if (sqlite3_bind_text(stmt_, index, text.data(), int(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        throw sqliteError(db_);
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const DbError error = sqliteError(db_);
    sqlite3_reset(stmt_);
    throw error;
}

void SqliteStatement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(stmt_);
}

QString SqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QString SqliteStatement::declaredType(int column) const
{
    const char* type = sqlite3_column_decltype(stmt_, column);
    return type ? QString::fromUtf8(type) : QString();
}

QByteArrayView SqliteStatement::utf8At(int column) const
{
    if (sqlite3_column_type(stmt_, column) != SQLITE_TEXT)
        return {};
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QByteArrayView(text, sqlite3_column_bytes(stmt_, column));
}

qint64 SqliteStatement::int64At(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

QVariant SqliteStatement::valueAt(int column) const
{
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt_, column)));
    }
    default:
        return QVariant();
    }
}
