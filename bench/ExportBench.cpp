// 1,000,000 targets exported to each kind of file: the export database, a dBase table and
// a new Excel workbook (and a sheet added to that workbook). Each time is printed next to
// bare SQLite copying the same rows into an attached database, and the ratio. The goal is
// at most 10 s per kind. A first argument gives another number of targets.
#include "core/Connection.h"
#include "core/Schema.h"
#include "core/Statement.h"
#include "exchange/destinations/ExportWriters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <functional>

namespace {

constexpr double GoalSeconds = 10.0;

double cpuSeconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall-clock and processor time of a piece of work: the machine may be shared, so both
// are printed.
struct Timing {
    double wall = 0;
    double processor = 0;
};

Timing measure(const std::function<void()>& work)
{
    QElapsedTimer timer;
    const double before = cpuSeconds();
    timer.start();
    work();
    return {timer.nsecsElapsed() / 1e9, cpuSeconds() - before};
}

void fill(Connection& db, int targets)
{
    db.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 电话2, 传真, \"Email\", 联系人1, 联系人2, 地址, 邮政编码, "
        "电话数, 产品1计数, 反馈合计, 记录号) "
        "SELECT 'P' || (i % 7), '北京华信科技有限公司第' || i || '分部', '010-' || i, '', '010-9' || i, 'c' || i || '@hx.cn', "
        "'王经理', '', '北京市海淀区中关村大街' || i || '号', '100080', i % 3, i % 2, i % 3, i FROM n").arg(targets));
}

// What SQLite does by itself: a new table in an attached database, filled by one statement.
Timing bareCopy(Connection& db, const QString& path, const QString& table)
{
    return measure([&] {
        Statement attach(db, QStringLiteral("ATTACH DATABASE ?1 AS bare"));
        attach.bind(1, path);
        attach.step();
        Statement begin(db, QStringLiteral("BEGIN"));
        begin.step();
        Statement create(db, QStringLiteral("CREATE TABLE bare.%1 AS SELECT * FROM \"clientTableInfo\"").arg(table));
        create.step();
        Statement commit(db, QStringLiteral("COMMIT"));
        commit.step();
        Statement detach(db, QStringLiteral("DETACH DATABASE bare"));
        detach.step();
    });
}

// Exports every target as `job` says, then lets bare SQLite copy them, and prints both.
void exportAndReport(const char* what, Connection& db, const ExportJob& job, const std::function<Timing()>& bare)
{
    // A second argument names the one kind to measure (database, dbase, excel), for profiling.
    static const QString only = QCoreApplication::arguments().value(2);
    static const char* const kindNames[] = {"database", "dbase", "excel"};
    if (!only.isEmpty() && only != QLatin1String(kindNames[int(job.kind)]))
        return;
    const Timing program = measure([&] { ExportWriters::write(db, job); });
    const Timing baseline = bare();
    std::printf("%-32s %6.2f s (processor %6.2f s)   bare SQLite %5.2f s (processor %5.2f s)   ratio %5.1f   %s\n",
                what, program.wall, program.processor, baseline.wall, baseline.processor, program.wall / baseline.wall,
                program.wall <= GoalSeconds ? "goal <= 10 s met" : "goal <= 10 s MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int targets = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    QTemporaryDir folder;
    const QString mainPath = folder.filePath(Schema::MainDatabaseName);
    Schema::ensureMainDatabase(mainPath);
    auto db = Connection::open(mainPath);
    fill(*db, targets);
    std::printf("Exporting %d targets\n", targets);

    const QString bareDb = folder.filePath(QStringLiteral("bare.db"));
    Connection::create(bareDb);
    int round = 0;
    auto bare = [&] { return bareCopy(*db, bareDb, QStringLiteral("t%1").arg(++round)); };

    const ExportRows all = ExportRows::allTargets(true);
    exportAndReport("export database", *db, {ExportKind::ExportDatabase, folder.filePath(Schema::ExportDatabaseName), QStringLiteral("全部"), all}, bare);
    exportAndReport("dBase III (code page 936)", *db, {ExportKind::Dbase, folder.path(), QStringLiteral("全部.dbf"), all}, bare);
    const QString book = folder.filePath(QStringLiteral("全部.xlsx"));
    exportAndReport("Excel, new workbook", *db, {ExportKind::Excel, book, QStringLiteral("全部"), all}, bare);
    exportAndReport("Excel, sheet added to that book", *db, {ExportKind::Excel, book, QStringLiteral("再一次"), all}, bare);
    if (!QCoreApplication::arguments().value(2).isEmpty())
        QFile::remove(book);
    return 0;
}
