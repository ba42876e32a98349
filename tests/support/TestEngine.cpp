#include "TestEngine.h"

#include "core/Connection.h"
#include "core/DbError.h"

#include <QCoreApplication>
#include <QUrl>
#include <atomic>
#include <stdexcept>

namespace TestEngine {

namespace {

QString serverUri()
{
    const QString uri = qEnvironmentVariable("MARQUEL_TEST_SERVER");
    if (uri.isEmpty())
        throw std::runtime_error("MARQUEL_TEST_SERVER is not set: run the tests with scripts/test.sh, "
                                 "or start a test server with scripts/test-server.sh start");
    return uri;
}

std::shared_ptr<Connection> maintenance()
{
    static std::shared_ptr<Connection> connection = Connection::open(serverUri());
    return connection;
}

QString withDatabase(const QString& uri, const QString& name)
{
    QUrl url(uri);
    url.setPath(QLatin1Char('/') + name);
    return url.toString();
}

} // namespace

bool onServer()
{
    return qEnvironmentVariable("MARQUEL_TEST_ENGINE") == QLatin1String("postgresql");
}

QString freshServerLocation()
{
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("marquel_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    maintenance()->executeScript(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
    maintenance()->executeScript(QStringLiteral("CREATE DATABASE %1").arg(name));
    return withDatabase(serverUri(), name);
}

std::shared_ptr<Connection> freshServerDatabase()
{
    return Connection::open(freshServerLocation());
}

} // namespace TestEngine
