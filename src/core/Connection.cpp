#include "Connection.h"

#include "JetDialect.h"
#include "PgConnection.h"
#include "SqliteConnection.h"
#include "Statement.h"

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
    return QStringLiteral("数据库是只读的，不能保存修改。");
}

void Connection::runOne(const QString& sqliteStatement)
{
    Statement statement(*this, sqliteStatement);
    while (statement.step()) {
    }
}

int Connection::execute(const QString& statement)
{
    runOne(JetDialect::toSqlite(statement));
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
