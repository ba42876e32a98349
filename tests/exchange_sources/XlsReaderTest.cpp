#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "exchange/sources/SourceFiles.h"

#include <gtest/gtest.h>

TEST(XlsReader, ProfilesSampleSheetsHeadingsAndValues)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("xlrd_profiles.xls"));
    SKIP_WITHOUT_FIXTURE(path);
    EXPECT_EQ(SourceFiles::readerFor(path).formatName(), QStringLiteral("Excel 97-2003"));
    EXPECT_EQ(SourceFiles::tableNames(path),
              (QStringList{QStringLiteral("PROFILEDEF"), QStringLiteral("AXISDEF"), QStringLiteral("TRAVERSALCHAINAGE"),
                           QStringLiteral("AXISDATUMLEVELS"), QStringLiteral("PROFILELEVELS")}));
    EXPECT_EQ(SourceFiles::sourceTableName(path, QStringLiteral("AXISDEF")), QStringLiteral("AXISDEF$"));

    const auto definitions = SourceFiles::load(path, QStringLiteral("PROFILEDEF"));
    Recordset rows(definitions, QStringLiteral("Select PROFIL, a, l From [PROFILEDEF$]"));
    EXPECT_EQ(rows.recordCount(), 14);
    rows.moveFirst();
    EXPECT_EQ(rows.text(0), QStringLiteral("P8.2"));
    EXPECT_EQ(rows.text(1), QStringLiteral("100"));   // a whole number, no ".0"
    EXPECT_EQ(rows.text(2), QStringLiteral("111"));

    // An empty heading cell is named after its column.
    const auto chainage = SourceFiles::load(path, QStringLiteral("TRAVERSALCHAINAGE"));
    EXPECT_EQ(fieldNames(chainage, QStringLiteral("Select * From [TRAVERSALCHAINAGE$]")).first(), QStringLiteral("F1"));
    Recordset chain(chainage, QStringLiteral("Select F1, b From [TRAVERSALCHAINAGE$]"));
    chain.moveFirst();
    EXPECT_EQ(chain.text(0), QStringLiteral("P8.2"));
    EXPECT_NEAR(chain.value(1).toDouble(), 0.20001, 1e-9);

    const auto levels = SourceFiles::load(path, QStringLiteral("PROFILELEVELS"));
    EXPECT_EQ(fieldNames(levels, QStringLiteral("Select * From [PROFILELEVELS$]")).value(1), QStringLiteral("Quergefälle"));
    const auto values = rowTexts(levels, QStringLiteral("Select Quergefälle, k2 From [PROFILELEVELS$]"));
    ASSERT_EQ(values.size(), 14);
    EXPECT_EQ(values[0], (QStringList{QStringLiteral("0.025"), QStringLiteral("270.65")}));
}
