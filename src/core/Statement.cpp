#include "Statement.h"

#include "Connection.h"
#include "SqliteStatement.h"
#include "StatementEngine.h"
#include "StatementLog.h"

Statement::Statement(Connection& connection, const QString& sql)
    : engine_(connection.prepare(sql))
{
    StatementLog::note(connection.isServer(), sql);
}

Statement::~Statement() = default;

void Statement::bind(int index, const QVariant& value)
{
    engine_->bind(index, value);
}

void Statement::bindInt64(int index, qint64 value)
{
    engine_->bind(index, QVariant(value));
}

void Statement::bindUtf8(int index, QByteArrayView text)
{
    engine_->bindUtf8(index, text);
}

bool Statement::step()
{
    return engine_->step();
}

void Statement::reset()
{
    engine_->reset();
}

int Statement::columnCount() const
{
    return engine_->columnCount();
}

QString Statement::columnName(int column) const
{
    return engine_->columnName(column);
}

QString Statement::declaredType(int column) const
{
    return engine_->declaredType(column);
}

qint64 Statement::int64At(int column) const
{
    return engine_->int64At(column);
}

QVariant Statement::valueAt(int column) const
{
    return engine_->valueAt(column);
}

QByteArrayView Statement::utf8At(int column) const
{
    return engine_->utf8At(column);
}

sqlite3_stmt* Statement::sqliteHandle() const
{
    const auto* sqlite = dynamic_cast<const SqliteStatement*>(engine_.get());
    return sqlite ? sqlite->handle() : nullptr;
}
