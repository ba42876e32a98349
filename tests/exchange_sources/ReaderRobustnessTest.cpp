#include "DbfBytes.h"
#include "ReadEverything.h"
#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "exchange/sources/IsolatedRun.h"
#include "exchange/sources/SourceFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <random>
#include <xlsxwriter.h>

// Damaged copies of real files: every read must end with a clear error or a readable table,
// never a crash, a hang or memory without end. The damage is made with a fixed seed, so a
// failure can be repeated.
namespace {

constexpr int CopiesPerSample = 120;
constexpr qint64 SlowestAcceptableMs = 10000;

struct Sample {
    QString name;       // file name in the samples folder, or of a file the test writes
    QString companion;  // a memo file that goes with it
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void damageAndRead(const QString& kind, const QList<Sample>& samples, quint32 seed)
{
    SourceTestFiles files;
    std::mt19937 random(seed);
    int tables = 0, errors = 0;
    qint64 slowest = 0;
    for (const Sample& sample : samples) {
        const QString source = QFileInfo(sample.name).isAbsolute() ? sample.name : SourceTestFiles::fixture(sample.name);
        if (source.isEmpty())
            continue;
        const QByteArray original = readAll(source);
        const QByteArray companion = sample.companion.isEmpty() ? QByteArray() : readAll(SourceTestFiles::fixture(sample.companion));
        const QString suffix = QFileInfo(source).suffix();
        for (int i = 0; i < CopiesPerSample; ++i) {
            const QString base = QStringLiteral("%1_%2").arg(QFileInfo(source).completeBaseName()).arg(i);
            const QString path = files.write(base + QLatin1Char('.') + suffix, damaged(original, random));
            if (!companion.isEmpty())
                files.write(base + QLatin1Char('.') + QFileInfo(sample.companion).suffix(),
                            random() % 2 ? damaged(companion, random) : companion);
            if (qEnvironmentVariableIsSet("MARQUEL_FUZZ_TRACE"))
                std::fprintf(stderr, "reading %s\n", qPrintable(path));
            QElapsedTimer timer;
            timer.start();
            (readEverything(path) == ReadOutcome::Table ? tables : errors) += 1;
            slowest = std::max(slowest, timer.elapsed());
            QFile::remove(path);
        }
    }
    EXPECT_LT(slowest, SlowestAcceptableMs) << kind.toStdString() << ": a damaged file took too long";
    std::printf("[ %s ] damaged copies: %d read as tables, %d refused with a message; slowest %lld ms\n",
                qPrintable(kind), tables, errors, static_cast<long long>(slowest));
}

QString writtenCsv(const SourceTestFiles& files, bool gb18030)
{
    QString text = QStringLiteral("营销对象;电话1;\"地址\"\r\n");
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("客户%1;138%2;\"北京市\n第%1号\"\r\n").arg(i).arg(i, 8, 10, QLatin1Char('0'));
    QStringEncoder encoder(gb18030 ? "GB18030" : "UTF-8");
    return files.write(gb18030 ? QStringLiteral("gbk.csv") : QStringLiteral("utf8.csv"), encoder.encode(text));
}

QString writtenWorkbook(const SourceTestFiles& files)
{
    const QString path = files.path(QStringLiteral("written.xlsx"));
    lxw_workbook* workbook = workbook_new(path.toUtf8().constData());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "名单");
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy-mm-dd");
    worksheet_write_string(sheet, 0, 0, "营销对象", nullptr);
    worksheet_write_string(sheet, 0, 1, "电话1", nullptr);
    worksheet_write_string(sheet, 0, 2, "日期", nullptr);
    for (int r = 1; r <= 40; ++r) {
        worksheet_write_string(sheet, lxw_row_t(r), 0, QStringLiteral("客户%1").arg(r).toUtf8().constData(), nullptr);
        worksheet_write_number(sheet, lxw_row_t(r), 1, 13800000000.0 + r, nullptr);
        lxw_datetime day = {2026, 1 + r % 12, 1 + r % 28, 0, 0, 0};
        worksheet_write_datetime(sheet, lxw_row_t(r), 2, &day, dateFormat);
    }
    workbook_close(workbook);
    return path;
}

QString writtenFoxPro(const SourceTestFiles& files)
{
    QList<QByteArray> records;
    for (int i = 0; i < 30; ++i) {
        QByteArray number(4, '\0');
        number[0] = char(i);
        records << QByteArray("Name").leftJustified(10, ' ') + number + "19991231" + "T";
    }
    return files.write(QStringLiteral("fox.dbf"),
                       dbfBytes(0x30, 0x7A, {{"NAME", 'C', 10}, {"N", 'I', 4}, {"D", 'D', 8}, {"L", 'L', 1}}, records));
}

} // namespace

TEST(ReaderRobustness, EmptyAndRandomFilesOfEveryKind)
{
    SourceTestFiles files;
    std::mt19937 random(20261207);
    const QList<QByteArray> signatures{QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20),
                                       QByteArray("\x00\x01\x00\x00Standard ACE DB\x00", 20),
                                       QByteArray("PK\x03\x04", 4),
                                       QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8),
                                       QByteArray("\x03\x7A\x05\x11", 4),
                                       QByteArray("\x30\x00\x01\x01", 4),
                                       QByteArray()};
    int n = 0;
    for (const QByteArray& signature : signatures) {
        EXPECT_THROW(SourceFiles::tableNames(files.write(QStringLiteral("zero%1.bin").arg(n++), {})), DbError);
        for (int i = 0; i < 20; ++i) {
            QByteArray bytes = signature;
            const int size = int(random() % 9000);
            for (int b = 0; b < size; ++b)
                bytes += char(random());
            readEverything(files.write(QStringLiteral("random%1.bin").arg(n++), bytes));
        }
    }
}

TEST(ReaderRobustness, DamagedAccessFiles)
{
    // A copy libmdb loops on is given up sooner than the program would, to keep the run short.
    IsolatedRun::setStallLimit(2000);
    damageAndRead(QStringLiteral("Access"), {{QStringLiteral("DateTestDatabase.mdb"), {}}, {QStringLiteral("ASampleDatabase.accdb"), {}}}, 1);
    IsolatedRun::setStallLimit(20000);
}

TEST(ReaderRobustness, DamagedXlsFiles)
{
    damageAndRead(QStringLiteral("xls"), {{QStringLiteral("xlrd_profiles.xls"), {}}, {QStringLiteral("xlrd_Formate.xls"), {}}}, 2);
}

TEST(ReaderRobustness, DamagedXlsxFiles)
{
    SourceTestFiles written;
    damageAndRead(QStringLiteral("xlsx"), {{QStringLiteral("easyexcel_demo_cn.xlsx"), {}}, {writtenWorkbook(written), {}}}, 3);
}

TEST(ReaderRobustness, DamagedDbaseFiles)
{
    SourceTestFiles written;
    damageAndRead(QStringLiteral("dBase"),
                  {{QStringLiteral("dbase_83.dbf"), QStringLiteral("dbase_83.dbt")}, {QStringLiteral("dbase_03.dbf"), {}},
                   {writtenFoxPro(written), {}}},
                  4);
}

TEST(ReaderRobustness, DamagedCsvFiles)
{
    SourceTestFiles written;
    damageAndRead(QStringLiteral("CSV"), {{writtenCsv(written, false), {}}, {writtenCsv(written, true), {}}}, 5);
}
