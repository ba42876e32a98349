#include "support/TestServer.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

namespace {

// What the test server says to one statement, or its error.
QString ask(const QString& uri, const char* statement)
{
    PGconn* connection = PQconnectdb(uri.toUtf8().constData());
    QString answer;
    if (PQstatus(connection) != CONNECTION_OK) {
        answer = QStringLiteral("error: ") + QString::fromUtf8(PQerrorMessage(connection));
    } else {
        PGresult* result = PQexec(connection, statement);
        answer = PQresultStatus(result) == PGRES_TUPLES_OK ? QString::fromUtf8(PQgetvalue(result, 0, 0))
                                                           : QStringLiteral("error: ") + QString::fromUtf8(PQerrorMessage(connection));
        PQclear(result);
    }
    PQfinish(connection);
    return answer;
}

} // namespace

TEST(TestServer, EveryCallGetsAnEmptyDatabaseOfItsOwn)
{
    const QString first = TestServer::freshDatabase();
    const QString second = TestServer::freshDatabase();
    EXPECT_NE(first, second);
    const QString firstName = ask(first, "SELECT current_database()");
    EXPECT_TRUE(firstName.startsWith(QStringLiteral("marquel_test_"))) << firstName.toStdString();
    EXPECT_NE(firstName, ask(second, "SELECT current_database()"));
    EXPECT_EQ(ask(first, "SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), QStringLiteral("0"));
}

TEST(TestServer, AnotherDatabaseKeepsTheServerAndTheUser)
{
    EXPECT_EQ(TestServer::uriOfDatabase(QStringLiteral("postgresql:///postgres?host=/tmp/marquel-pg.ab12&user=marquel"),
                                        QStringLiteral("marquel_test_1_2_3")),
              QStringLiteral("postgresql:///marquel_test_1_2_3?host=/tmp/marquel-pg.ab12&user=marquel"));
    EXPECT_EQ(TestServer::uriOfDatabase(QStringLiteral("postgresql://marquel@db.example:5433/postgres"), QStringLiteral("x")),
              QStringLiteral("postgresql://marquel@db.example:5433/x"));
}
