// Several seats saving responses for one plan at the same moment on a server database, next
// to one seat saving on a database file: saves per second in all, the time of a save (median,
// 99th percentile, slowest) and the counts lost (stored minus sent; must be 0).
//
// The server is given as a URI to a database the bench may create databases from, in
// MARQUEL_BENCH_SERVER or MARQUEL_TEST_SERVER (scripts/test-server.sh start prints one).
// Arguments: [seats = 8] [saves per seat = 1000].
#include "campaign/ProgramState.h"
#include "campaign/ResponseRecording.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
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
    db.execute(QStringLiteral("INSERT INTO marketingComment (序号, 题目, 规模（数量）) VALUES ('B-1', '座席测试', '1000')"));
    db.execute(QStringLiteral("INSERT INTO feedbackTable (序号, 时间, 题目) VALUES ('B-1', '2026-12-01', '座席测试')"));
    for (int seat = 0; seat < seats; ++seat)
        db.execute(QStringLiteral("INSERT INTO clientTableInfo (序号, 营销对象) VALUES ('B-1', '客户%1')").arg(seat));
}

qint64 number(const std::shared_ptr<Connection>& db, const QString& sql)
{
    Recordset rows(db, sql);
    return rows.hasCurrentRow() ? rows.value(0).toLongLong() : -1;
}

// One seat: its own connection and program state, `saves` phone calls for its own target.
void seat(const QString& location, const QString& appPath, int index, int saves, Run& run, QMutex& lock)
{
    ProgramState state(Connection::open(location), appPath);
    const qint64 key = number(state.connection(), QStringLiteral("Select rowid From clientTableInfo Where 营销对象 = '客户%1'").arg(index));
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
    run.stored = number(db, QStringLiteral("Select 电话数 From feedbackTable Where 序号 = 'B-1' And 时间 = '2026-12-07'"));
    return run;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[std::min(values.size() - 1, size_t(share * values.size()))];
}

void print(const char* what, const Run& run)
{
    std::printf("%-34s %7.0f saves/s  median %6.2f ms  p99 %6.2f ms  slowest %7.2f ms  lost %lld  refused %d\n", what,
                run.sent / run.seconds, percentile(run.saveMilliseconds, 0.5), percentile(run.saveMilliseconds, 0.99),
                percentile(run.saveMilliseconds, 1.0), (long long)(run.sent - run.stored), run.failures);
}

QString freshServerDatabase(const QString& serverUri)
{
    const QString name = QStringLiteral("marquel_seats_bench_%1").arg(QCoreApplication::applicationPid());
    auto server = Connection::open(serverUri);
    server->executeScript(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
    server->executeScript(QStringLiteral("CREATE DATABASE %1").arg(name));
    QUrl url(serverUri);
    url.setPath(QLatin1Char('/') + name);
    auto database = Connection::open(url.toString());
    Schema::createTables(*database);
    return url.toString();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seats = argc > 1 ? std::max(1, atoi(argv[1])) : 8;
    const int saves = argc > 2 ? std::max(1, atoi(argv[2])) : 1000;
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
    std::printf("%d seats x %d saves of one phone call each, one plan, one day\n\n", seats, saves);
    try {
        const Run alone = measure(file, folder.path(), 1, saves);
        print("one seat on the file", alone);
        const Run oneOnServer = measure(freshServerDatabase(server), folder.path(), 1, saves);
        print("one seat on the server", oneOnServer);
        const Run shared = measure(freshServerDatabase(server), folder.path(), seats, saves);
        print(QStringLiteral("%1 seats on the server").arg(seats).toUtf8().constData(), shared);
        std::printf("\ngoal: p99 of a save with %d seats under 50 ms: %s; counts lost 0: %s\n", seats,
                    percentile(shared.saveMilliseconds, 0.99) < 50 ? "met" : "missed",
                    shared.sent == shared.stored && shared.failures == 0 ? "met" : "missed");
        std::printf("all seats together against one seat on the file: %.2fx the saves per second\n",
                    (shared.sent / shared.seconds) / (alone.sent / alone.seconds));
        std::fflush(stdout);
    } catch (const DbError& error) {
        std::fprintf(stderr, "%s\n", error.description().toUtf8().constData());
        return 1;
    }
    return 0;
}
