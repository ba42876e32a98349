#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "exchange/sources/SourceFiles.h"

#include <QDateTime>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(AccessReader, AccdbSampleTableColumnsAndValues)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("ASampleDatabase.accdb"));
    SKIP_WITHOUT_FIXTURE(path);
    EXPECT_EQ(SourceFiles::readerFor(path).formatName(), QStringLiteral("Access"));
    EXPECT_EQ(SourceFiles::tableNames(path), QStringList{QStringLiteral("Asset Items")});
    EXPECT_EQ(SourceFiles::sourceTableName(path, QStringLiteral("Asset Items")), QStringLiteral("Asset Items"));
    const auto connection = SourceFiles::load(path, QStringLiteral("Asset Items"));
    ASSERT_TRUE(connection);
    EXPECT_EQ(fieldNames(connection, QStringLiteral("Select * From \"Asset Items\"")).join(QLatin1Char('|')),
              QStringLiteral("Asset No|Asset Category|Make|Model|Description|Owner|Serial No|Acquired|Cost|Warranty|"
                             "Tax Scale|Supplier No|Comments"));
    Recordset rows(connection, QStringLiteral("Select \"Asset No\", Make, Acquired, Cost, Warranty, Comments From \"Asset Items\""));
    ASSERT_EQ(rows.recordCount(), 65);
    rows.moveFirst();
    EXPECT_EQ(rows.text(0), QStringLiteral("30050"));
    EXPECT_EQ(rows.text(1), QStringLiteral("GEO Rocket"));
    EXPECT_EQ(rows.value(2).toDate(), QDate(1997, 9, 2));
    EXPECT_DOUBLE_EQ(rows.value(3).toDouble(), 1995.5);   // currency
    EXPECT_EQ(rows.value(4).toLongLong(), 12);
    EXPECT_TRUE(rows.value(5).isNull());
    EXPECT_EQ(rows.field(2).kind, FieldInfo::Kind::Date);
    EXPECT_EQ(rows.field(3).kind, FieldInfo::Kind::Real);
}

TEST(AccessReader, Jet4DatesBeyondTheUsualYearsAreExact)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("DateTestDatabase.mdb"));
    SKIP_WITHOUT_FIXTURE(path);
    const QStringList tables = SourceFiles::tableNames(path);
    ASSERT_FALSE(tables.isEmpty());
    EXPECT_EQ(tables.first(), QStringLiteral("DateTest"));
    for (const QString& table : tables)
        EXPECT_FALSE(table.startsWith(QLatin1String("MSys"))) << table.toStdString();

    Recordset rows(SourceFiles::load(path, QStringLiteral("DateTest")),
                   QStringLiteral("Select IDCol, DateTimeCol, DateCol, TimeCol, LongTextCol From DateTest"));
    ASSERT_EQ(rows.recordCount(), 6);
    rows.moveFirst();
    EXPECT_EQ(rows.value(0).toLongLong(), 1);
    EXPECT_EQ(rows.value(2).toDate(), QDate(2021, 12, 2));
    EXPECT_EQ(rows.text(4), QStringLiteral("Hello"));
    rows.moveNext();
    EXPECT_EQ(rows.text(4), QStringLiteral("Year 9999"));
    EXPECT_EQ(rows.value(2).toDate(), QDate(9999, 1, 1));
    rows.moveNext();
    EXPECT_EQ(rows.text(4), QStringLiteral("Pre-1900 years"));
    EXPECT_EQ(rows.value(1).toDate(), QDate(1898, 1, 1));
    EXPECT_EQ(rows.value(2).toDate(), QDate(1899, 1, 1));
    rows.moveNext();
    EXPECT_EQ(rows.value(1).toDate(), QDate(632, 1, 1));
}

TEST(AccessReader, CancelledLoadGivesNothingAndMissingTableSaysSo)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("ASampleDatabase.accdb"));
    SKIP_WITHOUT_FIXTURE(path);
    qint64 seen = -1;
    EXPECT_EQ(SourceFiles::load(path, QStringLiteral("Asset Items"), [&](qint64 rows) {
                  seen = rows;
                  return false;
              }),
              nullptr);
    EXPECT_EQ(seen, 65);
    try {
        SourceFiles::load(path, QStringLiteral("MSysObjects"));
        FAIL() << "a system table must not load";
    } catch (const DbError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("无法读取文件“%1”：文件中没有表“MSysObjects”。").arg(path));
    }
}

TEST(AccessReader, HiddenTablesOfAttachmentsAndMultiValuedFieldsAreNotOffered)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("others/jahlborn__complexDataTestV2007.accdb"));
    SKIP_WITHOUT_FIXTURE(path);
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "corpus folder not found";
    // The file holds four hidden f_<GUID>_... tables beside the user's one.
    EXPECT_EQ(SourceFiles::tableNames(path), QStringList{QStringLiteral("Table1")});
}
