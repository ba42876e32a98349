#include "BenchServer.h"

#include "core/Connection.h"
#include "core/Schema.h"

#include <QCoreApplication>
#include <QUrl>

QString freshBenchDatabase(const QString& serverUri, const QString& benchName)
{
    const QString name = QStringLiteral("marquel_%1_%2").arg(benchName).arg(QCoreApplication::applicationPid());
    auto server = Connection::open(serverUri);
    server->executeScript(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
    server->executeScript(QStringLiteral("CREATE DATABASE %1").arg(name));
    QUrl url(serverUri);
    url.setPath(QLatin1Char('/') + name);
    auto database = Connection::open(url.toString());
    Schema::createTables(*database);
    return url.toString();
}
