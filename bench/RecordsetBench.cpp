// A million targets: opening them, walking them, reading random rows and filtering by
// name, through the recordset and through bare SQLite calls, in the same run.
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "core/Statement.h"
#include "BenchTimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace {

constexpr int Rows = 1000000;
constexpr int RandomReads = 10000;

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

void fill(Connection& db)
{
    db.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 电话2, 传真, \"Email\", 联系人1, 联系人2, 地址, 邮政编码, 反馈合计, 记录号) "
        "SELECT 'P' || (i % 20), '北京市第' || i || '贸易有限公司', '010-' || (60000000 + i), '', '010-' || (70000000 + i), "
        "'info' || i || '@example.com', '张' || (i % 97), '李' || (i % 89), '北京市朝阳区建国路' || i || '号', "
        "'100' || (i % 1000), i % 3, '' || i FROM n").arg(Rows));
}

void report(const char* what, double ours, double bare)
{
    std::printf("%-38s %9.3f s   bare SQLite %9.3f s   ratio %6.2f\n", what, ours, bare, ours / bare);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(Schema::MainDatabaseName);
    Schema::createMainDatabase(path);
    auto db = Connection::open(path);
    std::printf("filling clientTableInfo with %d rows ...\n", Rows);
    std::fflush(stdout);
    std::printf("filled in %.1f s\n\n", seconds([&] { fill(*db); }));
    Connection& raw = *db;

    // Bare: step the query once (also warms the page cache for both sides).
    auto stepAll = [&] {
        Statement s(raw, QStringLiteral("SELECT * FROM \"clientTableInfo\""));
        while (s.step()) {
        }
    };
    stepAll();
    const double bareOpen = seconds(stepAll);

    const long before = residentKiB();
    std::unique_ptr<Recordset> rs;
    const double open = seconds([&] { rs = std::make_unique<Recordset>(db, QStringLiteral("Select * From \"clientTableInfo\"")); });
    const long after = residentKiB();
    report("open \"Select * From clientTableInfo\"", open, bareOpen);

    const double walk = seconds([&] {
        rs->moveFirst();
        while (!rs->isEOF())
            rs->moveNext();
    });
    report("walk first to last", walk, bareOpen);

    QRandomGenerator random(42);
    QList<int> positions;
    for (int i = 0; i < RandomReads; ++i)
        positions << 1 + int(random.bounded(Rows));
    qint64 checksum = 0;
    const double reads = seconds([&] {
        for (int position : positions) {
            rs->setAbsolutePosition(position);
            for (int c = 0; c < rs->fieldCount(); ++c)
                checksum += rs->value(c).toString().size();
        }
    });
    const double bareReads = seconds([&] {
        Statement s(raw, QStringLiteral("SELECT * FROM \"clientTableInfo\" WHERE rowid = ?"));
        for (int position : positions) {
            s.reset();
            s.bindInt64(1, position);
            if (s.step())
                for (int c = 0; c < s.columnCount(); ++c)
                    checksum -= s.valueAt(c).toString().size();
        }
    });
    report("read every field of 10,000 random rows", reads, bareReads);

    const double filter = seconds([&] { rs->setFilter({FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("123"))}); });
    int bareMatches = 0;
    const double bareFilter = seconds([&] {
        Statement s(raw, QStringLiteral("SELECT rowid FROM \"clientTableInfo\" WHERE 营销对象 LIKE '%123%'"));
        while (s.step())
            ++bareMatches;
    });
    report("filter 营销对象 like '%123%'", filter, bareFilter);

    std::printf("\nrows after filter: %d (bare %d); checksum %lld\n", rs->recordCount(), bareMatches, checksum);
    std::printf("resident memory added by the open recordset: %.1f MB for %d rows\n", (after - before) / 1024.0, Rows);
    std::printf("goal: open within 3x of the bare query; under 100 MB added\n");
    return 0;
}
