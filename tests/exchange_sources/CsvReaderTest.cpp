#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "exchange/sources/SourceFiles.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

QByteArray gb18030(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

} // namespace

TEST(CsvReader, Utf8WithMarkAndCommasGivesOneTableNamedAfterTheFile)
{
    SourceTestFiles files;
    const QString path = files.write(QStringLiteral("客户名单.csv"),
                                     "\xEF\xBB\xBF" + QStringLiteral("营销对象,电话1,地址\r\n张三,01012345678,北京\r\n李四,13812345678,上海\r\n").toUtf8());
    EXPECT_EQ(SourceFiles::tableNames(path), QStringList{QStringLiteral("客户名单")});
    EXPECT_EQ(SourceFiles::sourceTableName(path, QStringLiteral("客户名单")), QStringLiteral("客户名单"));
    const auto connection = SourceFiles::load(path, QStringLiteral("客户名单"));
    ASSERT_TRUE(connection);
    EXPECT_EQ(fieldNames(connection, QStringLiteral("Select * From 客户名单")),
              (QStringList{QStringLiteral("营销对象"), QStringLiteral("电话1"), QStringLiteral("地址")}));
    const auto rows = rowTexts(connection, QStringLiteral("Select 电话1, 营销对象 From 客户名单"));
    ASSERT_EQ(rows.size(), 2);
    // Values stay text: the leading zero of a phone number is kept.
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("01012345678"), QStringLiteral("张三")}));
    EXPECT_EQ(rows[1], (QStringList{QStringLiteral("13812345678"), QStringLiteral("李四")}));
}

TEST(CsvReader, Gb18030TextWithSemicolonsAndTabs)
{
    SourceTestFiles files;
    const QString semicolons = files.write(QStringLiteral("a.csv"), gb18030(QStringLiteral("姓名;城市\n王五;广州\n")));
    auto rows = rowTexts(SourceFiles::load(semicolons, QStringLiteral("a")), QStringLiteral("Select * From a"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("王五"), QStringLiteral("广州")}));

    const QString tabs = files.write(QStringLiteral("b.txt"), QStringLiteral("x\ty,z\tw\n1\t2,3\t4\n").toUtf8());
    rows = rowTexts(SourceFiles::load(tabs, QStringLiteral("b")), QStringLiteral("Select x, \"y,z\", w From b"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("1"), QStringLiteral("2,3"), QStringLiteral("4")}));
}

TEST(CsvReader, QuotesLineBreaksAndRaggedLinesLoseNothing)
{
    SourceTestFiles files;
    const QString path = files.write(
        QStringLiteral("q.csv"),
        "name,note\r\n"
        "\"O'Brien, Ltd\",\"said \"\"hi\"\"\r\nsecond line\"\r\n"
        "\r\n"
        "short\r\n"
        "a,b,extra\r\n"
        "last,no line end");
    const auto connection = SourceFiles::load(path, QStringLiteral("q"));
    EXPECT_EQ(fieldNames(connection, QStringLiteral("Select * From q")),
              (QStringList{QStringLiteral("name"), QStringLiteral("note"), QStringLiteral("F3")}));
    const auto rows = rowTexts(connection, QStringLiteral("Select * From q"));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("O'Brien, Ltd"), QStringLiteral("said \"hi\"\r\nsecond line"), QString()}));
    EXPECT_EQ(rows[1], (QStringList{QStringLiteral("short"), QString(), QString()}));
    EXPECT_EQ(rows[2], (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("extra")}));
    EXPECT_EQ(rows[3], (QStringList{QStringLiteral("last"), QStringLiteral("no line end"), QString()}));
}

TEST(CsvReader, QuoteLeftOpenIsReportedWithItsLine)
{
    SourceTestFiles files;
    const QString path = files.write(QStringLiteral("open.csv"), "a,b\n1,2\n3,\"never closed\n4,5\n");
    try {
        SourceFiles::load(path, QStringLiteral("open"));
        FAIL() << "an open quote must not load";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(path));
        EXPECT_TRUE(error.description().contains(QStringLiteral("第 3 行")));
    }
}

TEST(CsvReader, HeadingOnlyGivesAnEmptyTableAndCancelGivesNothing)
{
    SourceTestFiles files;
    const QString heading = files.write(QStringLiteral("h.csv"), "a,b\n");
    EXPECT_TRUE(rowTexts(SourceFiles::load(heading, QStringLiteral("h")), QStringLiteral("Select a, b From h")).isEmpty());

    QByteArray many = "n\n";
    for (int i = 0; i < 5000; ++i)
        many += QByteArray::number(i) + '\n';
    const QString big = files.write(QStringLiteral("big.csv"), many);
    qint64 lastSeen = 0;
    EXPECT_EQ(SourceFiles::load(big, QStringLiteral("big"), [&](qint64 rows) {
                  lastSeen = rows;
                  return rows < 2000;
              }),
              nullptr);
    EXPECT_EQ(lastSeen, 2000);
    const auto whole = SourceFiles::load(big, QStringLiteral("big"), [&](qint64 rows) {
        lastSeen = rows;
        return true;
    });
    EXPECT_EQ(lastSeen, 5000);
    EXPECT_EQ(rowTexts(whole, QStringLiteral("Select n From big")).size(), 5000);
}

TEST(CsvReader, CommasInsideQuotedHeadingsDoNotDecideTheSeparator)
{
    SourceTestFiles files;
    // Two quoted commas against one semicolon; two quoted commas against one tab.
    const QString semicolons = files.write(QStringLiteral("numbers.csv"), QByteArray("\"1,5\";\"2,5\"\n\"3,5\";x\n"));
    EXPECT_EQ(rowTexts(SourceFiles::load(semicolons, QStringLiteral("numbers")), QStringLiteral("Select * From numbers")),
              (QList<QStringList>{{QStringLiteral("3,5"), QStringLiteral("x")}}));
    const QString tabs = files.write(QStringLiteral("addresses.csv"),
                                     gb18030(QStringLiteral("\"名称,简称\"\t\"地址,邮编\"\t电话\n甲,乙\t北京,100080\t010\n")));
    const auto connection = SourceFiles::load(tabs, QStringLiteral("addresses"));
    EXPECT_EQ(fieldNames(connection, QStringLiteral("Select * From addresses")),
              (QStringList{QStringLiteral("名称,简称"), QStringLiteral("地址,邮编"), QStringLiteral("电话")}));
    EXPECT_EQ(rowTexts(connection, QStringLiteral("Select * From addresses")),
              (QList<QStringList>{{QStringLiteral("甲,乙"), QStringLiteral("北京,100080"), QStringLiteral("010")}}));
}

TEST(CsvReader, ATieInTheHeadingGoesToTheComma)
{
    SourceTestFiles files;
    // As many semicolons as commas: the comma separates.
    const QString tie = files.write(QStringLiteral("tie.csv"), QByteArray("name;short,phone\nAcme;A,010\n"));
    EXPECT_EQ(rowTexts(SourceFiles::load(tie, QStringLiteral("tie")), QStringLiteral("Select * From tie")),
              (QList<QStringList>{{QStringLiteral("Acme;A"), QStringLiteral("010")}}));
    // No separator in a one-column heading: rows with commas are split at them, not at tabs.
    const QString none = files.write(QStringLiteral("none.csv"), QByteArray("name\nAcme,010\tx\n"));
    EXPECT_EQ(rowTexts(SourceFiles::load(none, QStringLiteral("none")), QStringLiteral("Select * From none")),
              (QList<QStringList>{{QStringLiteral("Acme"), QStringLiteral("010\tx")}}));
}
