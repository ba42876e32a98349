#include "RoundTripCount.h"

#include "core/PgConnection.h"

#include <QByteArray>
#include <QList>
#include <cstdio>
#include <libpq-fe.h>

int roundTripsOf(Connection& connection, const std::function<void()>& work)
{
    auto* server = dynamic_cast<PgConnection*>(&connection);
    if (!server)
        return -1;
    FILE* trace = std::tmpfile();
    PQtrace(server->handle(), trace);
    PQsetTraceFlags(server->handle(), PQTRACE_SUPPRESS_TIMESTAMPS);
    work();
    PQuntrace(server->handle());
    std::rewind(trace);
    int trips = 0;
    bool sending = false;
    char line[4096];
    while (std::fgets(line, sizeof line, trace)) {
        // Each line starts with who sent the message: F (this seat) or B (the server).
        if (line[0] == 'F' && !sending) {
            sending = true;
            ++trips;
        } else if (line[0] == 'B') {
            sending = false;
        }
    }
    std::fclose(trace);
    return trips;
}
