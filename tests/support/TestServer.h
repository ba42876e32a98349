#pragma once

#include <QString>

// The database server of a test run, started by scripts/test-server.sh (scripts/test.sh does it
// for the whole run), which hands its admin URI over in MARQUEL_TEST_SERVER.
namespace TestServer {

// Creates a new, empty database on the test server and returns its libpq URI. Every call, in
// every process, gets a database of its own. When MARQUEL_TEST_SERVER is missing or the server
// cannot be reached, the test fails with the reason and stops (an exception ends it).
QString freshDatabase();

// The admin URI with another database in it.
QString uriOfDatabase(const QString& adminUri, const QString& database);

} // namespace TestServer
