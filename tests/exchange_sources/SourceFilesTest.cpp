#include "DbfBytes.h"
#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Statement.h"
#include "exchange/sources/ColumnNames.h"
#include "exchange/sources/MemoryTableSink.h"
#include "exchange/sources/SourceFiles.h"

#include <QDateTime>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DbError& error) {
        return error.description();
    }
    return {};
}

} // namespace

TEST(SourceFiles, FilesThatCannotBeReadSayWhichAndWhy)
{
    SourceTestFiles files;
    const QString missing = files.path(QStringLiteral("nowhere.mdb"));
    EXPECT_EQ(errorOf([&] { SourceFiles::tableNames(missing); }),
              QStringLiteral("无法读取文件“%1”：找不到该文件。").arg(missing));
    const QString empty = files.write(QStringLiteral("empty.xls"), {});
    EXPECT_EQ(errorOf([&] { SourceFiles::tableNames(empty); }),
              QStringLiteral("无法读取文件“%1”：文件是空的。").arg(empty));
    const QString binary = files.write(QStringLiteral("noise.dbf"), QByteArray("\x01\x02\x00\xFF\x00garbage", 12));
    EXPECT_EQ(errorOf([&] { SourceFiles::load(binary, QStringLiteral("noise")); }),
              QStringLiteral("无法读取文件“%1”：不是可以导入的 Access、Excel、dBase 或 CSV 文件。").arg(binary));
    const QString brokenZip = files.write(QStringLiteral("broken.xlsx"), QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x'));
    EXPECT_EQ(errorOf([&] { SourceFiles::tableNames(brokenZip); }),
              QStringLiteral("无法读取文件“%1”：文件已损坏或格式不对。").arg(brokenZip));
    const QString brokenXls = files.write(QStringLiteral("broken.xls"),
                                          QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\0'));
    EXPECT_EQ(errorOf([&] { SourceFiles::tableNames(brokenXls); }),
              QStringLiteral("无法读取文件“%1”：文件已损坏或格式不对。").arg(brokenXls));
    const QString brokenMdb = files.write(QStringLiteral("broken.mdb"),
                                          QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(100, '\0'));
    EXPECT_EQ(errorOf([&] { SourceFiles::tableNames(brokenMdb); }),
              QStringLiteral("无法读取文件“%1”：文件不完整，末尾缺了一部分（文件已损坏）。").arg(brokenMdb));

    const QString csv = files.write(QStringLiteral("list.csv"), "a\n1\n");
    EXPECT_EQ(errorOf([&] { SourceFiles::load(csv, QStringLiteral("other")); }),
              QStringLiteral("无法读取文件“%1”：文件中没有表“other”。").arg(csv));
}

TEST(SourceFiles, ReaderIsChosenByContentNotByName)
{
    SourceTestFiles files;
    const QString dbfNamedXls = files.write(QStringLiteral("客户.xls"),
                                            dbfBytes(0x03, 0x03, {{"NAME", 'C', 8}}, {"Zhao"}));
    EXPECT_EQ(SourceFiles::readerFor(dbfNamedXls).formatName(), QStringLiteral("dBase"));
    EXPECT_EQ(SourceFiles::tableNames(dbfNamedXls), QStringList{QStringLiteral("客户")});
    EXPECT_EQ(rowTexts(SourceFiles::load(dbfNamedXls, QStringLiteral("客户")), QStringLiteral("Select NAME From 客户")),
              QList<QStringList>{QStringList{QStringLiteral("Zhao")}});

    const QString sample = SourceTestFiles::fixture(QStringLiteral("easyexcel_demo_cn.xlsx"));
    if (!sample.isEmpty()) {
        const QString xlsxNamedCsv = files.path(QStringLiteral("book.csv"));
        ASSERT_TRUE(QFile::copy(sample, xlsxNamedCsv));
        EXPECT_EQ(SourceFiles::readerFor(xlsxNamedCsv).formatName(), QStringLiteral("Excel 2007"));
    }
}

TEST(SourceFiles, LoadedColumnsAreTypedByTheirValues)
{
    auto connection = Connection::openInMemory();
    MemoryTableSink sink(connection, QStringLiteral("Sheet1$"));
    sink.begin({QStringLiteral("Name"), QStringLiteral("Count"), QStringLiteral("Amount"), QStringLiteral("Day"),
                QStringLiteral("Mixed"), QStringLiteral("Nothing"), QStringLiteral("Flag"), QStringLiteral("Long")});
    const QString longText(300, QLatin1Char('x'));
    sink.addRow({QStringLiteral("O'Hara"), qint64(3), 2.5, QDate(2026, 12, 7), qint64(13812345678), QVariant(), true, longText});
    sink.addRow({QVariant(), qint64(-1), qint64(4), QDateTime(QDate(2026, 1, 2), QTime(8, 0)), QStringLiteral("abc"), QVariant(), false, QVariant()});
    sink.addRow({QStringLiteral("2026-12-07"), qint64(0), 0.5, QVariant(), QDate(2026, 3, 4), QVariant(), QVariant(), QVariant()});
    sink.finish();

    Recordset rows(connection, QStringLiteral("Select * From \"Sheet1$\""));
    ASSERT_EQ(rows.recordCount(), 3);
    using Kind = FieldInfo::Kind;
    const QList<Kind> kinds{Kind::Text, Kind::Integer, Kind::Real, Kind::Date, Kind::Text, Kind::Text, Kind::Text, Kind::LongText};
    for (int c = 0; c < rows.fieldCount(); ++c)
        EXPECT_EQ(rows.field(c).kind, kinds[c]) << c;
    rows.moveFirst();
    EXPECT_EQ(rows.text(0), QStringLiteral("O'Hara"));
    EXPECT_EQ(rows.value(3).toDate(), QDate(2026, 12, 7));
    EXPECT_EQ(rows.text(4), QStringLiteral("13812345678"));   // a number among texts keeps its digits
    EXPECT_EQ(rows.text(6), QStringLiteral("True"));
    EXPECT_EQ(rows.text(7), longText);
    rows.moveNext();
    EXPECT_TRUE(rows.value(0).isNull());
    EXPECT_DOUBLE_EQ(rows.value(2).toDouble(), 4.0);
    EXPECT_EQ(rows.value(3).toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(8, 0)));
    EXPECT_EQ(rows.text(4), QStringLiteral("abc"));
    EXPECT_EQ(rows.text(6), QStringLiteral("False"));   // yes/no as the program shows it
    rows.moveNext();
    EXPECT_EQ(rows.text(0), QStringLiteral("2026-12-07"));   // a text that looks like a date stays as it is
    EXPECT_EQ(rows.text(4), QStringLiteral("2026/3/4"));     // a date among texts reads as the program shows dates
    // Nothing of the loading is left behind.
    EXPECT_EQ(connection->tables().size(), 1);
}

// The loading table is given its final name and types in place: the values must be stored as
// a copy into the typed table would have stored them.
TEST(SourceFiles, TableTypedInPlaceHoldsValuesAsItsTypesStoreThem)
{
    auto connection = Connection::openInMemory();
    MemoryTableSink sink(connection, QStringLiteral("客户$"));
    sink.begin({QStringLiteral("Count"), QStringLiteral("Amount"), QStringLiteral("Mixed"), QStringLiteral("Day")});
    sink.addRow({qint64(3), 2.5, qint64(13812345678), QDate(2026, 12, 7)});
    sink.addRow({qint64(-1), qint64(4), 0.25, QVariant()});
    sink.addRow({qint64(0), QVariant(), QByteArray("北京"), QDate(2026, 3, 4)});
    sink.finish();

    Statement stored(*connection, QStringLiteral("SELECT typeof(Count), typeof(Amount), typeof(Mixed), Mixed, Day FROM \"客户$\""));
    QStringList texts;
    while (stored.step()) {
        QStringList row;
        for (int c = 0; c < 5; ++c)
            row << stored.valueAt(c).toString();
        texts << row.join(QLatin1Char('|'));
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("integer|real|text|13812345678|2026-12-07"),
                                  QStringLiteral("integer|real|text|0.25|"), QStringLiteral("integer|null|text|北京|2026-03-04")}));
    Recordset rows(connection, QStringLiteral("Select * From \"客户$\""));
    using Kind = FieldInfo::Kind;
    const QList<Kind> kinds{Kind::Integer, Kind::Real, Kind::Text, Kind::Date};
    for (int c = 0; c < rows.fieldCount(); ++c)
        EXPECT_EQ(rows.field(c).kind, kinds[c]) << c;
    Statement check(*connection, QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.step());
    EXPECT_EQ(check.valueAt(0).toString(), QStringLiteral("ok"));
    ASSERT_EQ(connection->tables().size(), 1);
    EXPECT_EQ(connection->tables().first().name, QStringLiteral("客户$"));
}

// A column of long texts is a long text field whose number-like texts stay texts: "0012" keeps
// its zeros, and a number among the texts takes its text form.
TEST(SourceFiles, LongTextColumnsKeepNumberLikeTextsAsTyped)
{
    auto connection = Connection::openInMemory();
    MemoryTableSink sink(connection, QStringLiteral("备注$"));
    sink.begin({QStringLiteral("Notes")});
    sink.addRow({QString(300, QChar(u'长'))});
    sink.addRow({QStringLiteral("0012")});
    sink.addRow({qint64(7)});
    sink.finish();
    Recordset rows(connection, QStringLiteral("Select * From \"备注$\""));
    EXPECT_EQ(rows.field(0).kind, FieldInfo::Kind::LongText);
    EXPECT_EQ(rows.columnValues(0), (QList<QVariant>{QString(300, QChar(u'长')), QStringLiteral("0012"), QStringLiteral("7")}));
    Statement stored(*connection, QStringLiteral("SELECT typeof(Notes), Notes FROM \"备注$\" WHERE rowid > 1"));
    QStringList texts;
    while (stored.step())
        texts << stored.valueAt(0).toString() + QLatin1Char('|') + stored.valueAt(1).toString();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("text|0012"), QStringLiteral("text|7")}));
}

TEST(SourceFiles, ColumnNamesAreMadeUsable)
{
    EXPECT_EQ(ColumnNames::usable({QStringLiteral("Point_ID"), QString(), QStringLiteral("point_id"), QStringLiteral(" [a] "),
                                   QStringLiteral("F2"), QStringLiteral("two\nlines")}),
              (QStringList{QStringLiteral("Point_ID"), QStringLiteral("F2"), QStringLiteral("point_id1"), QStringLiteral("a"),
                           QStringLiteral("F21"), QStringLiteral("two lines")}));
}

TEST(SourceFiles, NamesWithApostrophesAndBlanksLoadAndQuery)
{
    SourceTestFiles files;
    const QString path = files.write(QStringLiteral("O'Neil list.csv"), "Company name,\"Tel \"\"1\"\"\",Select\nA'B,1,x\n");
    const QString table = SourceFiles::tableNames(path).value(0);
    EXPECT_EQ(table, QStringLiteral("O'Neil list"));
    const auto connection = SourceFiles::load(path, table);
    ASSERT_TRUE(connection);
    EXPECT_EQ(rowTexts(connection, QStringLiteral("Select \"Company name\", \"Tel \"\"1\"\"\", \"Select\" From \"O'Neil list\"")),
              QList<QStringList>{(QStringList{QStringLiteral("A'B"), QStringLiteral("1"), QStringLiteral("x")})});
}

TEST(SourceFiles, AFullTemporaryFolderIsNamedAsTheCauseOfAFailedLoad)
{
    QTemporaryDir folder;
    const QByteArray before = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(folder.path()));
    // A loading database that may not grow beyond a few pages: its disk is full.
    const auto connection = Connection::openTemporary();
    MemoryTableSink sink(connection, QStringLiteral("t"));
    Statement(*connection, QStringLiteral("PRAGMA max_page_count = 3")).step();
    const QString message = errorOf([&] {
        sink.begin({QStringLiteral("name")});
        for (int i = 0; i < 10000; ++i)
            sink.addRow({QString(100, QChar(u'路'))});
        sink.finish();
    });
    qputenv("TMPDIR", before);
    EXPECT_TRUE(message.contains(QStringLiteral("临时文件夹“%1”所在的磁盘已满").arg(folder.path()))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("不能保存修改"))) << message.toStdString();
}

TEST(SourceFiles, ACutAccessFileSaysItIsDamaged)
{
    const QString sample = SourceTestFiles::fixture(QStringLiteral("ASampleDatabase.accdb"));
    SKIP_WITHOUT_FIXTURE(sample);
    QFile whole(sample);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    SourceTestFiles files;
    for (const qsizetype size : {qsizetype(8192), bytes.size() / 2 + 100}) {
        const QString cut = files.write(QStringLiteral("cut%1.accdb").arg(size), bytes.left(size));
        const QString message = errorOf([&] { SourceFiles::tableNames(cut); });
        EXPECT_TRUE(message.contains(cut)) << size << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("损坏"))) << size << message.toStdString();
    }
}
