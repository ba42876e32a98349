#pragma once

#include <QString>
#include <memory>

class Connection;

// Which engine the store and use-case tests run on. The same test binaries run twice: on a
// database file, and with MARQUEL_TEST_ENGINE=postgresql on a fresh database of the test
// server MARQUEL_TEST_SERVER (a URI to its maintenance database, as scripts/test-server.sh
// starts it).
namespace TestEngine {

bool onServer();

// A new, empty database on the test server (TestServer::freshDatabase), opened.
std::shared_ptr<Connection> freshServerDatabase();
QString freshServerLocation();

} // namespace TestEngine
