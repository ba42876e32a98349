#include "TestEngine.h"

#include "TestServer.h"
#include "core/Connection.h"

namespace TestEngine {

bool onServer()
{
    return qEnvironmentVariable("MARQUEL_TEST_ENGINE") == QLatin1String("postgresql");
}

QString freshServerLocation()
{
    return TestServer::freshDatabase();
}

std::shared_ptr<Connection> freshServerDatabase()
{
    return Connection::open(freshServerLocation());
}

} // namespace TestEngine
