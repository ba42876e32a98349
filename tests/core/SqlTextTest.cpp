// How statements name things and bind values, how they are cut into tokens, and what a server
// changes in them.
#include "core/DbError.h"
#include "core/PgDialect.h"
#include "core/SelectStatement.h"
#include "core/SqlText.h"
#include "core/SqlTokens.h"

#include <gtest/gtest.h>

namespace {

QString said(const char* statement)
{
    return PgDialect::fromSqlite(QString::fromUtf8(statement)).sql;
}

} // namespace

TEST(SqlTextTest, NamesStayOneNameAndSearchTextsAreBoundWithTheirWildcardsAsData)
{
    EXPECT_EQ(SqlText::quoteName(QStringLiteral("Tel \"1\"")), QStringLiteral("\"Tel \"\"1\"\"\""));
    BoundSql search;
    const QString condition = SqlText::condition(search, {FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("5%_\\O'K")),
                                                          FieldTest::equals(QStringLiteral("序号"), QStringLiteral("P1"))});
    EXPECT_EQ(condition, QStringLiteral("\"营销对象\" LIKE ?1 ESCAPE '\\' AND \"序号\" = ?2"));
    EXPECT_EQ(search.values, (QVariantList{QStringLiteral("%5\\%\\_\\\\O'K%"), QStringLiteral("P1")}));
}

TEST(SqlTextTest, TheTokensKnowLiteralsNamesCommentsAndDollarQuotes)
{
    const auto kinds = [](const char* sql) {
        QList<SqlTokens::Kind> out;
        for (const SqlTokens::Token& t : SqlTokens::tokenize(QString::fromUtf8(sql)))
            if (t.kind != SqlTokens::Kind::Space)
                out << t.kind;
        return out;
    };
    using K = SqlTokens::Kind;
    EXPECT_EQ(kinds("a -- x ? 'y\n?"), (QList<K>{K::Word, K::Comment, K::Parameter}));
    EXPECT_EQ(kinds("/* ' ? */ E'it\\'s ?' $q$ ' ? $q$ \"a\"\"?\""), (QList<K>{K::Comment, K::Literal, K::Literal, K::Name}));
    EXPECT_EQ(kinds("?12 >= $1"), (QList<K>{K::Parameter, K::Symbol, K::Symbol, K::Number}));
    EXPECT_THROW(SqlTokens::tokenize(QStringLiteral("SELECT 'open")), DbError);
    EXPECT_THROW(SqlTokens::tokenize(QStringLiteral("SELECT 1 /* open")), DbError);
}

TEST(SqlTextTest, AServerOnlyRenumbersThePlaceholders)
{
    EXPECT_EQ(said("SELECT rowid, \"Email数\" FROM \"clientTableInfo\" WHERE 序号 IS NOT DISTINCT FROM ? AND a LIKE ?"),
              QStringLiteral("SELECT rowid, \"Email数\" FROM \"clientTableInfo\" WHERE 序号 IS NOT DISTINCT FROM $1 AND a LIKE $2"));
    // A bare ? after a numbered one takes the number after the highest so far, as SQLite counts.
    EXPECT_EQ(said("SELECT ?2, ?"), QStringLiteral("SELECT $2, $3"));
    EXPECT_EQ(said("SELECT ?3, ?1, ?"), QStringLiteral("SELECT $3, $1, $4"));
    EXPECT_EQ(PgDialect::fromSqlite(QStringLiteral("SELECT ?, ?3")).parameterCount, 3);
    // Nothing in a literal, a name or a comment is a placeholder.
    EXPECT_EQ(said("SELECT '?', \"?\", E'\\'?', $$?$$ -- ?\n, ? /* ? */"),
              QStringLiteral("SELECT '?', \"?\", E'\\'?', $$?$$ -- ?\n, $1 /* ? */"));
}

TEST(SqlTextTest, SelectStatementsAreCutIntoTheirParts)
{
    auto s = SelectStatement::parse(QStringLiteral(
        "Select 序号, 营销对象 From \"clientTableInfo\" Where 反馈合计 >= 1 And 序号 = 'Order By' Order By 反馈合计 desc"));
    EXPECT_TRUE(s.keyed);
    EXPECT_EQ(s.table, QStringLiteral("\"clientTableInfo\""));
    EXPECT_EQ(s.where, QStringLiteral("反馈合计 >= 1 And 序号 = 'Order By'"));
    EXPECT_EQ(s.orderBy, QStringLiteral("反馈合计 desc"));
    EXPECT_FALSE(SelectStatement::parse(QStringLiteral("Select count(*) From t")).keyed);
    EXPECT_FALSE(SelectStatement::parse(QStringLiteral("Select * From a, b")).keyed);
    EXPECT_TRUE(SelectStatement::parse(QStringLiteral("Select * From \"Sheet1$\" -- the sheet")).keyed);
}
