#include "LinkRelay.h"

#include <QDir>
#include <QUrl>
#include <QUrlQuery>
#include <chrono>
#include <cstring>
#include <deque>
#include <list>
#include <netdb.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk {
    Clock::time_point due;
    std::vector<char> bytes;
};

// One direction of one connection: what was read, waiting for its time to be written.
struct Direction {
    int from = -1;
    int to = -1;
    std::deque<Chunk> waiting;
    bool closed = false;
};

struct Link {
    Direction up;     // seat → server
    Direction down;   // server → seat
};

QString hostOf(const QUrl& url)
{
    const QString queried = QUrlQuery(url).queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    return queried.isEmpty() ? url.host() : queried;
}

int portOf(const QUrl& url)
{
    const QString queried = QUrlQuery(url).queryItemValue(QStringLiteral("port"));
    return queried.isEmpty() ? url.port(5432) : queried.toInt();
}

void writeAll(int socket, const std::vector<char>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (written <= 0)
            return;
        done += size_t(written);
    }
}

// Reads what arrived on one side; false once that side is closed.
bool readInto(Direction& direction, double delayMilliseconds)
{
    std::vector<char> buffer(65536);
    const ssize_t got = ::recv(direction.from, buffer.data(), buffer.size(), 0);
    if (got <= 0)
        return false;
    buffer.resize(size_t(got));
    direction.waiting.push_back({Clock::now() + std::chrono::microseconds(qint64(delayMilliseconds * 1000)), std::move(buffer)});
    return true;
}

// Writes what is due; returns the time the next chunk is due (or a far time).
Clock::time_point writeDue(Direction& direction)
{
    const auto now = Clock::now();
    while (!direction.waiting.empty() && direction.waiting.front().due <= now) {
        writeAll(direction.to, direction.waiting.front().bytes);
        direction.waiting.pop_front();
    }
    if (direction.waiting.empty() && direction.closed)
        ::shutdown(direction.to, SHUT_WR);
    return direction.waiting.empty() ? now + std::chrono::hours(1) : direction.waiting.front().due;
}

} // namespace

LinkRelay::LinkRelay(const QString& serverUri, double delayMilliseconds)
    : delayMilliseconds_(delayMilliseconds)
{
    const QUrl url(serverUri);
    const QString host = hostOf(url);
    serverPort_ = portOf(url);
    if (host.startsWith(QLatin1Char('/')))
        serverSocketPath_ = QStringLiteral("%1/.s.PGSQL.%2").arg(host).arg(serverPort_);
    else
        serverHost_ = host.isEmpty() ? QStringLiteral("localhost") : host;

    char folder[] = "/tmp/marquel-relay.XXXXXX";
    if (!mkdtemp(folder))
        throw std::runtime_error("no folder for the relay's socket");
    folder_ = QString::fromLocal8Bit(folder);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QStringLiteral("%1/.s.PGSQL.5432").arg(folder_).toLocal8Bit();
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 128) != 0)
        throw std::runtime_error("the relay cannot listen");
    thread_ = std::thread([this] { relay(); });
}

LinkRelay::~LinkRelay()
{
    stopping_ = true;
    thread_.join();
    ::close(listener_);
    QDir(folder_).removeRecursively();
}

QString LinkRelay::relayedUri(const QString& uri) const
{
    // Written out by hand: a URL without a host loses its "//" in QUrl, and libpq needs it.
    const QUrl url(uri);
    QUrlQuery query(url);
    query.removeAllQueryItems(QStringLiteral("host"));
    query.removeAllQueryItems(QStringLiteral("port"));
    query.addQueryItem(QStringLiteral("host"), folder_);
    query.addQueryItem(QStringLiteral("port"), QStringLiteral("5432"));
    const QString user = url.userName().isEmpty() ? QString() : url.userName(QUrl::FullyEncoded) + QLatin1Char('@');
    return QStringLiteral("postgresql://%1%2?%3").arg(user, url.path(QUrl::FullyEncoded), query.toString(QUrl::FullyEncoded));
}

int LinkRelay::connectToServer() const
{
    if (!serverSocketPath_.isEmpty()) {
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = serverSocketPath_.toLocal8Bit();
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(server);
            return -1;
        }
        return server;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(serverHost_.toLocal8Bit().constData(), QByteArray::number(serverPort_).constData(), &hints, &found) != 0)
        return -1;
    int server = -1;
    for (addrinfo* at = found; at && server < 0; at = at->ai_next) {
        server = ::socket(at->ai_family, at->ai_socktype, at->ai_protocol);
        if (server >= 0 && ::connect(server, at->ai_addr, at->ai_addrlen) != 0) {
            ::close(server);
            server = -1;
        }
    }
    freeaddrinfo(found);
    return server;
}

void LinkRelay::relay()
{
    std::list<Link> links;
    while (!stopping_) {
        std::vector<pollfd> watched{{listener_, POLLIN, 0}};
        std::vector<Direction*> reading;
        auto nextDue = Clock::now() + std::chrono::milliseconds(50);
        for (Link& link : links) {
            for (Direction* direction : {&link.up, &link.down}) {
                nextDue = std::min(nextDue, writeDue(*direction));
                if (!direction->closed) {
                    watched.push_back({direction->from, POLLIN, 0});
                    reading.push_back(direction);
                }
            }
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextDue - Clock::now()).count();
        ::poll(watched.data(), nfds_t(watched.size()), int(std::max<long long>(0, wait)));
        if (watched[0].revents & POLLIN) {
            const int seat = ::accept(listener_, nullptr, nullptr);
            const int server = seat >= 0 ? connectToServer() : -1;
            if (server >= 0) {
                Link link;
                link.up = {seat, server};
                link.down = {server, seat};
                links.push_back(std::move(link));
            } else if (seat >= 0) {
                ::close(seat);
            }
        }
        for (size_t i = 1; i < watched.size(); ++i)
            if (watched[i].revents & (POLLIN | POLLHUP | POLLERR))
                reading[i - 1]->closed = !readInto(*reading[i - 1], delayMilliseconds_);
        // A link both of whose sides are closed and written out is done.
        for (auto link = links.begin(); link != links.end();) {
            if (link->up.closed && link->down.closed && link->up.waiting.empty() && link->down.waiting.empty()) {
                ::close(link->up.from);
                ::close(link->down.from);
                link = links.erase(link);
            } else {
                ++link;
            }
        }
    }
    for (Link& link : links) {
        ::close(link.up.from);
        ::close(link.down.from);
    }
}
