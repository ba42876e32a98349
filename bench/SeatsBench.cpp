// Several seats saving responses for one plan at the same moment on a server database, next
// to one seat saving on a database file: saves per second in all, the time of a save (median,
// 99th percentile, slowest) and the counts lost (stored minus sent; must be 0).
//
// The server is given as a URI to a database the bench may create databases from, in
// MARQUEL_BENCH_SERVER or MARQUEL_TEST_SERVER (scripts/test-server.sh start prints one).
// Arguments: [--link-delay-ms N] [--saves N] [seat counts …] (default: 8 seats, 1000 saves per
// seat). With a link delay the seats reach the server through a relay inside the bench that holds
// every packet N ms each way (a round trip of 2N ms), as seats in another office do; a save that
// fails (a server restarted meanwhile) is counted as refused and the seat carries on.
#include "campaign/ProgramState.h"
#include "campaign/ResponseRecording.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "BenchServer.h"
#include "LinkRelay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Run {
    double seconds = 0;
    std::vector<double> saveMilliseconds;
    qint64 sent = 0;
    qint64 stored = 0;
    int failures = 0;
};

void fill(Connection& db, int seats)
{
    db.execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）) VALUES ('B-1', '座席测试', '1000')"));
    db.execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 题目) VALUES ('B-1', '2026-12-01', '座席测试')"));
    for (int seat = 0; seat < seats; ++seat)
        db.execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('B-1', '客户%1')").arg(seat));
}

// A reading the bench makes around the seats' work; a server that restarted meanwhile is
// reached again (the store reads once more on a new connection).
qint64 number(const std::shared_ptr<Connection>& db, const QString& sql)
{
    Recordset rows(db, sql);
    return rows.hasCurrentRow() ? rows.value(0).toLongLong() : -1;
}

// A seat starting while its server restarts tries again, as a user would.
std::shared_ptr<Connection> openPatiently(const QString& location)
{
    for (int attempt = 1;; ++attempt) {
        try {
            return Connection::open(location);
        } catch (const DbError&) {
            if (attempt == 30)
                throw;
            QThread::msleep(500);
        }
    }
}

// One seat: its own connection and program state, `saves` phone calls for its own target.
void seat(const QString& location, const QString& appPath, int index, int saves, Run& run, QMutex& lock)
{
    ProgramState state(openPatiently(location), appPath);
    const qint64 key = number(state.connection(), QStringLiteral("Select rowid From \"clientTableInfo\" Where 营销对象 = '客户%1'").arg(index));
    std::vector<double> times;
    int failures = 0;
    for (int i = 0; i < saves; ++i) {
        ResponseRecording::Draft draft;
        draft.targetKey = key;
        draft.fields = QStringList{QStringLiteral("客户%1").arg(index), {}, {}, {}, {}, {}, {}, {}};
        draft.targetAdded[0] = 1;
        draft.dayAdded[0] = 1;
        QElapsedTimer timer;
        timer.start();
        try {
            ResponseRecording::record(state, draft);
        } catch (const DbError&) {
            ++failures;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    QMutexLocker locked(&lock);
    run.saveMilliseconds.insert(run.saveMilliseconds.end(), times.begin(), times.end());
    run.failures += failures;
}

Run measure(const QString& location, const QString& appPath, int seats, int saves)
{
    auto db = Connection::open(location);
    fill(*db, seats);
    Run run;
    QMutex lock;
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < seats; ++i) {
        threads.emplace_back(QThread::create([&, i] { seat(location, appPath, i, saves, run, lock); }));
        threads.back()->start();
    }
    for (auto& thread : threads)
        thread->wait();
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.sent = qint64(seats) * saves;
    for (int attempt = 1;; ++attempt) {   // the server may still be starting again
        try {
            run.stored = number(db, QStringLiteral("Select 电话数 From \"feedbackTable\" Where 序号 = 'B-1' And 时间 = '2026-12-07'"));
            break;
        } catch (const DbError&) {
            if (attempt == 60)
                throw;
            QThread::msleep(500);
        }
    }
    return run;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[std::min(values.size() - 1, size_t(share * values.size()))];
}

// Counts lost: sent and not refused, yet not stored.
qint64 lost(const Run& run)
{
    return run.sent - run.failures - run.stored;
}

void print(const char* what, const Run& run)
{
    std::printf("%-34s %7.0f saves/s  median %6.2f ms  p99 %6.2f ms  slowest %7.2f ms  lost %lld  refused %d\n", what,
                run.sent / run.seconds, percentile(run.saveMilliseconds, 0.5), percentile(run.saveMilliseconds, 0.99),
                percentile(run.saveMilliseconds, 1.0), (long long)lost(run), run.failures);
    std::fflush(stdout);
}

void goal(const QString& what, bool met)
{
    std::printf("goal: %s: %s\n", what.toUtf8().constData(), met ? "met" : "missed");
}

struct Options {
    double delayMilliseconds = 0;
    int saves = 1000;
    QList<int> seatCounts;
};

Options optionsFrom(const QStringList& arguments)
{
    Options options;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--link-delay-ms") && i + 1 < arguments.size())
            options.delayMilliseconds = std::max(0.0, arguments[++i].toDouble());
        else if (arguments[i] == QLatin1String("--saves") && i + 1 < arguments.size())
            options.saves = std::max(1, arguments[++i].toInt());
        else if (arguments[i].toInt() > 0)
            options.seatCounts << arguments[i].toInt();
    }
    if (options.seatCounts.isEmpty())
        options.seatCounts << 8;
    return options;
}

// The goals for seats on a network, by the link's round trip.
void printGoals(double roundTrip, const Run& oneOnServer, const QList<QPair<int, Run>>& shared)
{
    const auto lostNone = [](const Run& run) { return lost(run) == 0; };
    if (roundTrip == 10)
        goal(QStringLiteral("round trip 10 ms, one seat's median save <= 40 ms (%1 ms)")
                 .arg(percentile(oneOnServer.saveMilliseconds, 0.5), 0, 'f', 1),
             percentile(oneOnServer.saveMilliseconds, 0.5) <= 40);
    for (const auto& [seats, run] : shared) {
        const double p99 = percentile(run.saveMilliseconds, 0.99);
        if (roundTrip == 10 && seats == 8)
            goal(QStringLiteral("round trip 10 ms, 8 seats' p99 <= 150 ms (%1 ms)").arg(p99, 0, 'f', 1), p99 <= 150);
        else if (roundTrip == 1 && seats == 50)
            goal(QStringLiteral("round trip 1 ms, 50 seats' p99 <= 100 ms (%1 ms)").arg(p99, 0, 'f', 1), p99 <= 100);
        else if (roundTrip == 0)
            goal(QStringLiteral("same machine, %1 seats' p99 < 50 ms (%2 ms)").arg(seats).arg(p99, 0, 'f', 1), p99 < 50);
        goal(QStringLiteral("%1 seats, 0 counts lost").arg(seats), lostNone(run));
    }
}


} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Options options = optionsFrom(app.arguments());
    QString server = qEnvironmentVariable("MARQUEL_BENCH_SERVER");
    if (server.isEmpty())
        server = qEnvironmentVariable("MARQUEL_TEST_SERVER");
    if (server.isEmpty()) {
        std::fprintf(stderr, "Give the server as MARQUEL_BENCH_SERVER=postgresql://… (scripts/test-server.sh start).\n");
        return 2;
    }
    Clock::setToday(QDate(2026, 12, 7));
    QTemporaryDir folder;
    const QString file = folder.filePath(Schema::MainDatabaseName);
    Schema::createMainDatabase(file);
    std::unique_ptr<LinkRelay> relay;
    if (options.delayMilliseconds > 0)
        relay = std::make_unique<LinkRelay>(server, options.delayMilliseconds);
    const auto throughLink = [&](const QString& uri) { return relay ? relay->relayedUri(uri) : uri; };
    const double roundTrip = 2 * options.delayMilliseconds;
    std::printf("saves of one phone call each (%d per seat), one plan, one day; link to the server: %s\n\n", options.saves,
                roundTrip ? QStringLiteral("round trip %1 ms (%2 ms each way)").arg(roundTrip).arg(options.delayMilliseconds).toUtf8().constData()
                          : "same machine");
    try {
        const Run alone = measure(file, folder.path(), 1, options.saves);
        print("one seat on the file", alone);
        const Run oneOnServer = measure(throughLink(freshBenchDatabase(server, QStringLiteral("seats_bench"))), folder.path(), 1, options.saves);
        print("one seat on the server", oneOnServer);
        QList<QPair<int, Run>> shared;
        for (int seats : options.seatCounts) {
            shared.append({seats, measure(throughLink(freshBenchDatabase(server, QStringLiteral("seats_bench"))), folder.path(), seats, options.saves)});
            print(QStringLiteral("%1 seats on the server").arg(seats).toUtf8().constData(), shared.last().second);
        }
        std::printf("\n");
        printGoals(roundTrip, oneOnServer, shared);
        std::printf("all %d seats together against one seat on the file: %.2fx the saves per second\n",
                    shared.last().first,
                    (shared.last().second.sent / shared.last().second.seconds) / (alone.sent / alone.seconds));
        std::fflush(stdout);
    } catch (const DbError& error) {
        std::fprintf(stderr, "%s\n", error.description().toUtf8().constData());
        return 1;
    }
    return 0;
}
