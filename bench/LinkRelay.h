#pragma once

#include <QString>
#include <atomic>
#include <thread>

// A slow network between a seat and its server, inside one machine: a relay that passes every
// byte between the seats and the server after a delay, each way. Seats connect to the relay's
// own socket (in a folder of its own) instead of the server's.
class LinkRelay {
public:
    // `serverUri` as libpq takes it (a Unix socket folder as host=…, or a host and port).
    LinkRelay(const QString& serverUri, double delayMilliseconds);
    ~LinkRelay();
    LinkRelay(const LinkRelay&) = delete;
    LinkRelay& operator=(const LinkRelay&) = delete;

    // The same database, reached through the relay.
    QString relayedUri(const QString& uri) const;

private:
    void relay();
    int connectToServer() const;

    QString folder_;
    QString serverSocketPath_;   // a Unix socket, or empty for TCP
    QString serverHost_;
    int serverPort_ = 5432;
    double delayMilliseconds_;
    int listener_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
