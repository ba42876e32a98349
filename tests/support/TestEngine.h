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

// A new, empty database on the test server, opened; dropped when the connection goes.
std::shared_ptr<Connection> freshServerDatabase();
// The location (URI) of a new, empty database on the test server.
QString freshServerLocation();

} // namespace TestEngine
