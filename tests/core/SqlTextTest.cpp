// Texts embedded in statements, and the statement dialect the windows write.
#include "core/JetDialect.h"
#include "core/SelectStatement.h"
#include "core/SqlText.h"

#include <gtest/gtest.h>

TEST(SqlTextTest, QuotingMakesApostrophesAndWildcardsData)
{
    EXPECT_EQ(SqlText::quote(QStringLiteral("it's")), QStringLiteral("'it''s'"));
    EXPECT_EQ(SqlText::quote(QString()), QStringLiteral("''"));
    // A search text is bound, its wildcards standing for themselves.
    BoundSql search;
    EXPECT_EQ(SqlText::contains(search, QStringLiteral("营销对象"), QStringLiteral("5%_\\O'K")),
              QStringLiteral("\"营销对象\" like ?1 ESCAPE '\\'"));
    EXPECT_EQ(search.values, QVariantList{QStringLiteral("%5\\%\\_\\\\O'K%")});
}

TEST(SqlTextTest, JetStatementsAreSaidTheSqliteWay)
{
    EXPECT_EQ(JetDialect::toSqlite(QStringLiteral("Delete * From clientTableInfo  Where 序号 = 'a'")),
              QStringLiteral("DELETE From clientTableInfo  Where 序号 = 'a'"));
    EXPECT_EQ(JetDialect::toSqlite(QStringLiteral("x like '%5[%]\\%'")),
              QStringLiteral("x like '%5\\%\\\\%' ESCAPE '\\'"));
    EXPECT_EQ(JetDialect::toSqlite(QStringLiteral("Select * From t Where a = 'Delete * From'")),
              QStringLiteral("Select * From t Where a = 'Delete * From'"));
}

TEST(SqlTextTest, SelectStatementsAreCutIntoTheirParts)
{
    auto s = SelectStatement::parse(QStringLiteral(
        "Select 序号, 营销对象 From clientTableInfo Where 反馈合计 >= 1 And 序号 = 'Order By' Order By 反馈合计 desc"));
    EXPECT_TRUE(s.keyed);
    EXPECT_EQ(s.table, QStringLiteral("clientTableInfo"));
    EXPECT_EQ(s.where, QStringLiteral("反馈合计 >= 1 And 序号 = 'Order By'"));
    EXPECT_EQ(s.orderBy, QStringLiteral("反馈合计 desc"));
    EXPECT_FALSE(SelectStatement::parse(QStringLiteral("Select count(*) From t")).keyed);
    EXPECT_FALSE(SelectStatement::parse(QStringLiteral("Select * From a, b")).keyed);
    EXPECT_TRUE(SelectStatement::parse(QStringLiteral("Select * From [Sheet1$]")).keyed);
}
