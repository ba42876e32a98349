// Every statement the test runs prepared, on a file or on a server, is prepared once more on
// both engines: the program writes its statements once, and each must mean the same to both.
// The other tests write what they prepared into the build's statement log; this one runs after them.
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/PgConnection.h"
#include "core/PgDialect.h"
#include "core/Schema.h"
#include "core/SqlText.h"
#include "core/StatementEngine.h"
#include "core/WriteBatch.h"
#include "support/TestServer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <map>

namespace {

struct Seen {
    bool onFile = false;
    bool onServer = false;
};

std::map<QString, Seen> loggedStatements()
{
    std::map<QString, Seen> statements;
    const QDir folder(QStringLiteral(MARQUEL_CHECKED_STATEMENT_LOG_DIR));
    for (const QString& name : folder.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QJsonValue item : QJsonDocument::fromJson(file.readAll()).array()) {
            Seen& seen = statements[item[QStringLiteral("sql")].toString()];
            (item[QStringLiteral("server")].toBool() ? seen.onServer : seen.onFile) = true;
        }
    }
    return statements;
}

// What only one engine has: a file's own bookkeeping (PRAGMA, sqlite_master, typeof, the row
// marks and their triggers, copies by VACUUM INTO, attached files), a server's locks, notices
// and catalogue.
bool onlyForAFile(const QString& sql)
{
    static const QRegularExpression fileOnly(QStringLiteral(
        "^\\s*(PRAGMA|VACUUM|ATTACH|DETACH|CREATE\\s+TRIGGER)\\b|sqlite_master|sqlite_schema|\\btypeof\\(|marquel_row_marks"),
                                             QRegularExpression::CaseInsensitiveOption);
    return fileOnly.match(sql).hasMatch();
}

bool onlyForAServer(const QString& sql)
{
    static const QRegularExpression serverOnly(QStringLiteral(
        "\\bpg_\\w+|information_schema|^\\s*(COPY|LISTEN|UNLISTEN|ANALYZE|SET)\\b|marquel_schema_version|::"),
                                               QRegularExpression::CaseInsensitiveOption);
    return serverOnly.match(sql).hasMatch();
}

// Whether the program's database on a file takes the statement; the reason when it does not.
QString refusalOnFile(Connection& file, const QString& sql)
{
    try {
        file.prepare(sql);
        return QString();
    } catch (const DbError& error) {
        return error.description();
    }
}

// The tables' declarations are written for each engine (a server's texts are citext).
bool aDeclaration(const QString& sql)
{
    static const QRegularExpression declaration(QStringLiteral("^\\s*CREATE\\s+(TABLE|INDEX|UNIQUE\\s+INDEX)\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
    return declaration.match(sql).hasMatch();
}

// Whether the statement reads or writes one of the program's tables; the others are scratch
// databases' (rows loaded from a source file, an export file, a test's own table).
bool aboutTheProgramsTables(const QString& sql, const QStringList& programTables)
{
    for (const QString& table : programTables)
        if (sql.contains(SqlText::quoteName(table)))
            return true;
    return false;
}

// A server cannot tell the type of a placeholder the statement does not use (a statement
// whose first values are bound by another part of it); the program binds typed values there.
bool refusedOnlyForAnUnusedPlaceholder(const QString& refusal)
{
    return refusal.contains(QLatin1String("could not determine data type of parameter"));
}

QString refusalOnServer(PgConnection& server, const QString& sql)
{
    const QByteArray text = PgDialect::fromSqlite(sql).sql.toUtf8();
    pg_result* result = PQprepare(server.handle(), "", text.constData(), 0, nullptr);
    const QString refusal = PQresultStatus(result) == PGRES_COMMAND_OK
        ? QString() : QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    PQclear(result);
    return refusal;
}

} // namespace

TEST(EveryStatement, PreparesOnAFileAndOnAServer)
{
    const std::map<QString, Seen> statements = loggedStatements();
    ASSERT_FALSE(statements.empty()) << "no statements were logged in " MARQUEL_CHECKED_STATEMENT_LOG_DIR;
    QTemporaryDir folder;
    auto file = Connection::create(folder.filePath(QStringLiteral("statements.db")));
    Schema::createTables(*file);
    file->execute(WriteBatch::refusalTableStatement());
    const bool withServer = !qEnvironmentVariable("MARQUEL_TEST_SERVER").isEmpty();
    std::shared_ptr<Connection> serverConnection;
    if (withServer) {
        serverConnection = Connection::open(TestServer::freshDatabase());
        Schema::createTables(*serverConnection);
    }
    auto* server = dynamic_cast<PgConnection*>(serverConnection.get());

    const QStringList programTables = Schema::tablesIn(*file);
    int tried = 0;
    int leftOut = 0;
    QStringList failures;
    for (const auto& [sql, seen] : statements) {
        const QString fileRefusal = onlyForAServer(sql) ? QString() : refusalOnFile(*file, sql);
        QString serverRefusal;
        if (server && !onlyForAFile(sql))
            serverRefusal = refusalOnServer(*server, sql);
        if (refusedOnlyForAnUnusedPlaceholder(serverRefusal))
            serverRefusal.clear();
        const bool refusedByBoth = !fileRefusal.isEmpty() && (!server || !serverRefusal.isEmpty());
        const bool scratchWork = !seen.onServer && !aboutTheProgramsTables(sql, programTables);
        if (refusedByBoth || scratchWork || aDeclaration(sql)) {
            ++leftOut;   // a test's deliberate mistake, another database's tables, a declaration
            continue;
        }
        ++tried;
        if (!fileRefusal.isEmpty())
            failures << QStringLiteral("a file refuses %1\n    %2").arg(sql, fileRefusal);
        if (!serverRefusal.isEmpty())
            failures << QStringLiteral("a server refuses %1\n    %2").arg(sql, serverRefusal);
    }
    std::printf("%d statements tried on %s; %d refused by both or about other databases' tables left out\n", tried,
                server ? "both engines" : "a file only (no MARQUEL_TEST_SERVER)", leftOut);
    EXPECT_TRUE(failures.isEmpty()) << failures.size() << " statements:\n" << failures.join(QLatin1Char('\n')).toStdString();
}
