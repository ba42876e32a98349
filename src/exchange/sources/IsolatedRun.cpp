#include "IsolatedRun.h"

#include "SourceFileError.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace IsolatedRun {

namespace {

// A child that sends nothing for this long is taken to be lost in a damaged file.
qint64 stallLimitMs = 20000;
// Memory a child may take; a header that asks for more makes it fail instead of the machine.
constexpr rlim_t ChildMemoryLimit = rlim_t(3) * 1024 * 1024 * 1024;
constexpr char ErrorFrame = '!';
constexpr char EndFrame = '.';
constexpr int HeaderSize = 5;

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

void sendFrame(int fd, char kind, const QByteArray& payload)
{
    char header[HeaderSize];
    header[0] = kind;
    qToLittleEndian<quint32>(quint32(payload.size()), header + 1);
    if (!writeAll(fd, header, HeaderSize) || !writeAll(fd, payload.constData(), size_t(payload.size())))
        _exit(3);   // the parent has gone or stopped listening
}

[[noreturn]] void runChild(int fd, const std::function<void(const SendFrame&)>& work)
{
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        // The library's warnings and dumps about the damage are of no use to anyone.
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
#if !defined(__SANITIZE_ADDRESS__)
    // (AddressSanitizer reserves terabytes of address space, so a checked build goes without.)
    rlimit limit{ChildMemoryLimit, ChildMemoryLimit};
    setrlimit(RLIMIT_AS, &limit);
#endif
    try {
        work([fd](char kind, const QByteArray& payload) { sendFrame(fd, kind, payload); });
        sendFrame(fd, EndFrame, {});
    } catch (const DbError& error) {
        sendFrame(fd, ErrorFrame, error.description().toUtf8());
    } catch (...) {
        _exit(4);
    }
    _exit(0);
}

// Ends the child, whatever it is doing, and collects it.
void endChild(pid_t child)
{
    ::kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

void setStallLimit(qint64 milliseconds)
{
    stallLimitMs = milliseconds;
}

bool run(const QString& path, const std::function<void(const SendFrame& send)>& work, const TakeFrame& take)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw SourceFileError::unreadable(path, QStringLiteral("无法启动读取过程。"));
    const pid_t child = fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw SourceFileError::unreadable(path, QStringLiteral("无法启动读取过程。"));
    }
    if (child == 0) {
        ::close(fds[0]);
        runChild(fds[1], work);
    }
    ::close(fds[1]);
    const int fd = fds[0];

    QByteArray pending;
    QElapsedTimer sinceData;
    sinceData.start();
    char buffer[65536];
    auto fail = [&](const DbError& error) {
        ::close(fd);
        endChild(child);
        throw error;
    };
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = poll(&waiting, 1, 500);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            if (sinceData.elapsed() > stallLimitMs)
                fail(SourceFileError::corrupt(path));
            continue;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            fail(SourceFileError::corrupt(path));   // the child died before its end frame
        sinceData.restart();
        pending.append(buffer, got);
        qsizetype used = 0;
        while (pending.size() - used >= HeaderSize) {
            const char kind = pending.at(used);
            const quint32 length = qFromLittleEndian<quint32>(pending.constData() + used + 1);
            if (pending.size() - used - HeaderSize < qsizetype(length))
                break;
            const QByteArray payload = pending.mid(used + HeaderSize, length);
            used += HeaderSize + qsizetype(length);
            if (kind == EndFrame) {
                ::close(fd);
                endChild(child);
                return true;
            }
            if (kind == ErrorFrame)
                fail(DbError(QString::fromUtf8(payload)));
            bool goOn = true;
            try {
                goOn = take(kind, payload);
            } catch (const DbError& error) {
                fail(error);
            }
            if (!goOn) {
                ::close(fd);
                endChild(child);
                return false;
            }
        }
        pending.remove(0, used);
    }
}

} // namespace IsolatedRun
