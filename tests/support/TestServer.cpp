#include "TestServer.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <memory>
#include <stdexcept>

namespace TestServer {

namespace {

const QString HowToStart = QStringLiteral("start it with scripts/test-server.sh or run scripts/test.sh");

[[noreturn]] void failWithout(const QString& reason)
{
    const std::string text = QStringLiteral("No test database server: %1 (%2).").arg(reason, HowToStart).toStdString();
    ADD_FAILURE() << text;
    throw std::runtime_error(text);
}

struct ServerConnectionCloser {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using ServerConnection = std::unique_ptr<PGconn, ServerConnectionCloser>;

ServerConnection connectAsAdmin(const QString& uri)
{
    ServerConnection connection(PQconnectdb(uri.toUtf8().constData()));
    if (PQstatus(connection.get()) != CONNECTION_OK)
        failWithout(QStringLiteral("cannot reach %1: %2").arg(uri, QString::fromUtf8(PQerrorMessage(connection.get())).trimmed()));
    return connection;
}

// Unique in the run: the process, a counter, and a random part for a process id seen twice.
QString newDatabaseName()
{
    static QAtomicInteger<int> counter;
    return QStringLiteral("marquel_test_%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(counter.fetchAndAddRelaxed(1))
        .arg(QRandomGenerator::global()->generate() % 1000000);
}

} // namespace

QString uriOfDatabase(const QString& adminUri, const QString& database)
{
    QUrl url(adminUri);
    url.setPath(QLatin1Char('/') + database);
    return url.toString();
}

QString freshDatabase()
{
    const QString adminUri = qEnvironmentVariable("MARQUEL_TEST_SERVER");
    if (adminUri.isEmpty())
        failWithout(QStringLiteral("MARQUEL_TEST_SERVER is not set"));
    const ServerConnection admin = connectAsAdmin(adminUri);
    const QString name = newDatabaseName();
    // The name is made above from digits only; no quoting question arises.
    const QByteArray statement = QStringLiteral("CREATE DATABASE \"%1\"").arg(name).toUtf8();
    std::unique_ptr<PGresult, void (*)(PGresult*)> result(PQexec(admin.get(), statement.constData()), PQclear);
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        failWithout(QStringLiteral("CREATE DATABASE failed: %1").arg(QString::fromUtf8(PQerrorMessage(admin.get())).trimmed()));
    return uriOfDatabase(adminUri, name);
}

} // namespace TestServer
