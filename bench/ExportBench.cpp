// 100,000 targets exported to each kind of file: the export database, a dBase table and
// a new Excel workbook (and a sheet added to that workbook). Each time is printed next to
// bare SQLite copying the same rows into an attached database, and the ratio.
#include "core/Connection.h"
#include "core/Schema.h"
#include "core/Statement.h"
#include "exchange/destinations/ExportDestinations.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

constexpr int Targets = 100000;

double seconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

void fill(Connection& db)
{
    db.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO clientTableInfo (序号, 营销对象, 电话1, 电话2, 传真, Email, 联系人1, 联系人2, 地址, 邮政编码, "
        "电话数, 产品1计数, 反馈合计, 记录号) "
        "SELECT 'P' || (i % 7), '北京华信科技有限公司第' || i || '分部', '010-' || i, '', '010-9' || i, 'c' || i || '@hx.cn', "
        "'王经理', '', '北京市海淀区中关村大街' || i || '号', '100080', i % 3, i % 2, i % 3, i FROM n").arg(Targets));
}

// What SQLite does by itself: a new table in an attached database, filled by one statement.
double bareCopy(Connection& db, const QString& path, const QString& table)
{
    return seconds([&] {
        Statement attach(db.handle(), QStringLiteral("ATTACH DATABASE ?1 AS bare"));
        attach.bind(1, path);
        attach.step();
        Statement begin(db.handle(), QStringLiteral("BEGIN"));
        begin.step();
        Statement create(db.handle(), QStringLiteral("CREATE TABLE bare.%1 AS SELECT * FROM clientTableInfo").arg(table));
        create.step();
        Statement commit(db.handle(), QStringLiteral("COMMIT"));
        commit.step();
        Statement detach(db.handle(), QStringLiteral("DETACH DATABASE bare"));
        detach.step();
    });
}

void report(const char* what, double program, double bare)
{
    std::printf("%-34s %7.3f s   bare SQLite %7.3f s   ratio %6.1f   %s\n", what, program, bare, program / bare,
                program < 5.0 ? "(goal < 5 s met)" : "(goal < 5 s MISSED)");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString mainPath = folder.filePath(Schema::MainDatabaseName);
    Schema::ensureMainDatabase(mainPath);
    auto db = Connection::open(mainPath);
    ExportDestinations::registerAll(*db);
    fill(*db);
    std::printf("Exporting %d targets\n", Targets);

    const QString bareDb = folder.filePath(QStringLiteral("bare.db"));
    Connection::create(bareDb);
    int round = 0;
    auto bare = [&] { return bareCopy(*db, bareDb, QStringLiteral("t%1").arg(++round)); };

    const QString exportDb = folder.filePath(Schema::ExportDatabaseName);
    const double toDatabase = seconds([&] {
        db->execute(QStringLiteral("select * into [;database=%1].全部 from clientTableInfo").arg(exportDb));
    });
    report("export database", toDatabase, bare());

    const double toDbase = seconds([&] {
        db->execute(QStringLiteral("select * into [dBase III;database=%1/].全部.dbf from clientTableInfo").arg(folder.path()));
    });
    report("dBase III (code page 936)", toDbase, bare());

    const QString book = folder.filePath(QStringLiteral("全部.xlsx"));
    const double toNewBook = seconds([&] {
        db->execute(QStringLiteral("select * into [Excel 8.0;database=%1].全部 from clientTableInfo").arg(book));
    });
    report("Excel, new workbook", toNewBook, bare());

    if (argc > 1 && QByteArray(argv[1]) == "new-workbook")
        return 0;
    const double toExistingBook = seconds([&] {
        db->execute(QStringLiteral("select * into [Excel 8.0;database=%1].再一次 from clientTableInfo").arg(book));
    });
    report("Excel, sheet added to that book", toExistingBook, bare());
    return 0;
}
