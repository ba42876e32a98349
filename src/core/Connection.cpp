#include "Connection.h"

#include "SqlTokens.h"
#include "PgConnection.h"
#include "SqliteConnection.h"
#include "Statement.h"
#include "DbError.h"
#include "Transaction.h"

#include <sqlite3.h>

Connection::Connection(QString location)
    : location_(std::move(location))
{
}

Connection::~Connection() = default;

bool Connection::isServerLocation(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::shared_ptr<Connection> Connection::open(const QString& location)
{
    if (isServerLocation(location))
        return PgConnection::open(location);
    return SqliteConnection::open(location);
}

std::shared_ptr<Connection> Connection::openReadOnly(const QString& path)
{
    return SqliteConnection::openReadOnly(path);
}

std::shared_ptr<Connection> Connection::create(const QString& path)
{
    return SqliteConnection::create(path);
}

std::shared_ptr<Connection> Connection::openInMemory()
{
    return SqliteConnection::openInMemory();
}

std::shared_ptr<Connection> Connection::openTemporary()
{
    return SqliteConnection::openTemporary();
}

QString Connection::readOnlyRefusal()
{
    return StoreFailures::message(StoreFailure::ReadOnly);
}

void Connection::runOne(const QString& sqliteStatement)
{
    Statement statement(*this, sqliteStatement);
    while (statement.step()) {
    }
}

int Connection::execute(const QString& statement)
{
    runOne(statement);
    noteWrite();
    return changes();
}

QList<WriteBatch::Rows> Connection::runBatch(const WriteBatch& batch)
{
    Transaction transaction(*this);
    if (!refusalTableReady_ && !isServer())   // a server connection makes it when it opens
        runOne(WriteBatch::refusalTableStatement());
    QList<WriteBatch::Rows> results;
    for (int index = 0; index < batch.steps().size(); ++index) {
        const WriteBatch::Step& step = batch.steps()[index];
        WriteBatch::Rows rows;
        if (!step.serverOnly || isServer()) {
            try {
                Statement statement(*this, step.sql);
                for (int value = 0; value < step.values.size(); ++value)
                    statement.bind(value + 1, step.values[value]);
                while (statement.step()) {
                    QVariantList row;
                    for (int column = 0; column < statement.columnCount(); ++column)
                        row << statement.valueAt(column);
                    rows << row;
                }
            } catch (const DbError& error) {
                if (!step.refusal.isEmpty() && error.kind() == StoreFailure::ValueRefused)
                    throw refusalOf(batch, index, results);
                throw;
            }
        }
        results << rows;
    }
    transaction.commit();
    refusalTableReady_ = true;
    noteWrite();
    return results;
}

DbError Connection::refusalOf(const WriteBatch& batch, int index, const QList<WriteBatch::Rows>& rows)
{
    const WriteBatch::Step& step = batch.steps()[index];
    QString message = step.refusal;
    if (message.contains(QLatin1String("%1"))) {
        const int from = step.messageFromStep;
        const bool known = from >= 0 && from < rows.size() && !rows[from].isEmpty() && !rows[from][0].isEmpty();
        message = message.arg(known ? rows[from][0][0].toString().trimmed() : QString());
    }
    return DbError(message);
}

int Connection::execute(const BoundSql& statement)
{
    {
        Statement run(*this, statement.text);
        for (int i = 0; i < statement.values.size(); ++i)
            run.bind(i + 1, statement.values[i]);
        while (run.step()) {
        }
    }
    noteWrite();
    return changes();
}

void Connection::listen(const QString&)
{
}

void Connection::notify(const QString&, const QString&)
{
}

QStringList Connection::takeNotifications()
{
    return {};
}

int Connection::notificationSocket() const
{
    return -1;
}

sqlite3* Connection::sqliteHandle() const
{
    return nullptr;
}

bool Connection::hasRowMarks() const
{
    return false;
}

void Connection::forgetRowMarks()
{
}
