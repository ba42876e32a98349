// A target list of 100,000 rows written as a dBase file and as an .xlsx workbook, each loaded
// into the import's source connection and appended to clientTableInfo by the import pass,
// next to bare SQLite inserting the same rows in one transaction. Also the memory the
// workbook's load takes at its peak.
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "core/Statement.h"
#include "exchange/ImportPass.h"
#include "exchange/ImportRules.h"
#include "exchange/ImportSource.h"
#include "exchange/sources/SourceFiles.h"
#include "core/DbError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <shapefil.h>
#include <xlsxwriter.h>

namespace {

constexpr int Rows = 100000;
const QStringList SourceColumns{"NAME", "PHONE1", "PHONE2", "FAX", "CONTACT1", "CONTACT2", "ADDRESS", "POSTCODE", "EMAIL"};
const QStringList TargetColumns{"营销对象", "电话1", "电话2", "传真", "联系人1", "联系人2", "地址", "邮政编码", "Email"};
const int Widths[] = {60, 20, 20, 20, 20, 20, 80, 10, 40};

QStringList row(int i)
{
    return {QStringLiteral("北京第%1号办公设备有限公司").arg(i), QStringLiteral("010-%1").arg(60000000 + i),
            QStringLiteral("139%1").arg(10000000 + i), QStringLiteral("010-%1").arg(70000000 + i), QStringLiteral("王经理%1").arg(i % 97),
            QStringLiteral("李%1").arg(i % 31), QStringLiteral("北京市海淀区中关村大街%1号").arg(i), QStringLiteral("1000%1").arg(i % 90 + 10),
            QStringLiteral("client%1@example.com").arg(i)};
}

double seconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

// The process's peak resident memory so far, in MB (VmHWM).
double peakMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}
double currentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

void writeDbf(const QString& path)
{
    QStringEncoder gbk("GB18030");
    DBFHandle dbf = DBFCreateEx(QFile::encodeName(path).constData(), "LDID/77");
    for (int c = 0; c < SourceColumns.size(); ++c)
        DBFAddField(dbf, SourceColumns[c].toLatin1().constData(), FTString, Widths[c], 0);
    for (int i = 0; i < Rows; ++i) {
        const QStringList values = row(i);
        for (int c = 0; c < values.size(); ++c)
            DBFWriteStringAttribute(dbf, i, c, QByteArray(gbk.encode(values[c])).constData());
    }
    DBFClose(dbf);
}

void writeXlsx(const QString& path)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "客户名单");
    for (int c = 0; c < SourceColumns.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), SourceColumns[c].toUtf8().constData(), nullptr);
    for (int i = 0; i < Rows; ++i) {
        const QStringList values = row(i);
        for (int c = 0; c < values.size(); ++c)
            worksheet_write_string(sheet, lxw_row_t(i + 1), lxw_col_t(c), values[c].toUtf8().constData(), nullptr);
    }
    workbook_close(book);
}

std::shared_ptr<Connection> freshStore(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    Schema::ensureMainDatabase(path);
    return Connection::open(path);
}

// The baseline: the same rows inserted with one prepared statement in one transaction.
double bareInsert(Connection& store)
{
    return seconds([&] {
        Statement begin(store.handle(), QStringLiteral("BEGIN"));
        begin.step();
        Statement insert(store.handle(), QStringLiteral("INSERT INTO clientTableInfo (序号, 营销对象, 电话1, 电话2, 传真, 联系人1, 联系人2, "
                                                        "地址, 邮政编码, Email, 记录号) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; i < Rows; ++i) {
            const QStringList values = row(i);
            insert.bind(1, QStringLiteral("P1"));
            for (int c = 0; c < values.size(); ++c)
                insert.bind(c + 2, values[c]);
            insert.bind(11, QString::number(i + 1));
            insert.step();
            insert.reset();
        }
        Statement commit(store.handle(), QStringLiteral("COMMIT"));
        commit.step();
    });
}

struct ImportTimes {
    double load = 0;
    double pass = 0;
    int stored = 0;
};

ImportTimes importFile(const QString& path, Connection& store)
{
    ImportTimes times;
    const QString table = SourceFiles::tableNames(path).first();
    ImportSource& source = ImportSource::instance();
    times.load = seconds([&] { source.loadTable(path, table); });
    Recordset selection(source.connection, ImportRules::sourceSelect(SourceColumns, source.table));
    ImportPass pass(store, selection, TargetColumns, QStringLiteral("P1"));
    times.pass = seconds([&] { times.stored = pass.run([](int) { return true; }).rowsStored; });
    source.reset();
    return times;
}

void report(const char* kind, const ImportTimes& times, double bare)
{
    const double whole = times.load + times.pass;
    std::printf("%-5s load %.3f s + pass %.3f s = %.3f s for %d rows; bare insert %.3f s; ratio whole/bare %.2f, pass/bare %.2f\n",
                kind, times.load, times.pass, whole, times.stored, bare, whole / bare, times.pass / bare);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString dbf = dir.filePath(QStringLiteral("clients.dbf"));
    const QString xlsx = dir.filePath(QStringLiteral("clients.xlsx"));
    std::printf("writing %d rows as .dbf and .xlsx ...\n", Rows);
    writeDbf(dbf);
    writeXlsx(xlsx);

    // The machine is shared: the baseline is measured right before each import, best of two.
    int run = 0;
    auto baseline = [&] {
        const double first = bareInsert(*freshStore(dir, QStringLiteral("bare%1.db").arg(run++)));
        return std::min(first, bareInsert(*freshStore(dir, QStringLiteral("bare%1.db").arg(run++))));
    };
    try {
        const double bare = baseline();
        const double before = currentMb();
        const ImportTimes times = importFile(xlsx, *freshStore(dir, QStringLiteral("xlsx.db")));
        report("xlsx", times, bare);
        std::printf("xlsx  peak memory %.1f MB (%.1f MB above the %.1f MB before the load)\n", peakMb(), peakMb() - before, before);
    } catch (const DbError& error) {
        std::printf("xlsx  not read: %s\n", qPrintable(error.description()));
    }
    try {
        const double bare = baseline();
        report("dbf", importFile(dbf, *freshStore(dir, QStringLiteral("dbf.db"))), bare);
    } catch (const DbError& error) {
        std::printf("dbf   not read: %s\n", qPrintable(error.description()));
    }
    return 0;
}
