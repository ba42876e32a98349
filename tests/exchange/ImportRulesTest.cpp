// The import's rules without a window: names from the chosen file, position texts, the
// pairing check, the statements of a pass and how a source value becomes a target text.
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "exchange/ImportRules.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace ImportRules;

TEST(ImportRulesTest, TheBaseNameDropsTheDotAndAThreeLetterExtension)
{
    EXPECT_EQ(baseNameOf(QStringLiteral("客户名单.dbf")), QStringLiteral("客户名单"));
    EXPECT_EQ(baseNameOf(QStringLiteral(" clients.mdb ")), QStringLiteral("clients"));
    // Four characters always go, so a shorter extension takes letters of the name with it.
    EXPECT_EQ(baseNameOf(QStringLiteral("list.db")), QStringLiteral("lis"));
    EXPECT_EQ(baseNameOf(QStringLiteral("a.b")), QString());
    // The newer formats' longer extensions go whole, with their dot.
    EXPECT_EQ(baseNameOf(QStringLiteral("名单.xlsx")), QStringLiteral("名单"));
    EXPECT_EQ(baseNameOf(QStringLiteral("Sample.accdb")), QStringLiteral("Sample"));
}

TEST(ImportRulesTest, TheFolderIsThePathBeforeTheTitleWithoutItsSeparator)
{
    EXPECT_EQ(folderOf(QStringLiteral("/home/user/数据/clients.dbf"), QStringLiteral("clients.dbf")),
              QStringLiteral("/home/user/数据"));
    EXPECT_EQ(folderOf(QStringLiteral("clients.dbf"), QStringLiteral("clients.dbf")), QString());
}

TEST(ImportRulesTest, PositionTextsReadZeroWithoutRowsAndTheFinishedOneHasBlanksAroundTheSlash)
{
    auto db = Connection::openInMemory();
    db->execute(QStringLiteral("CREATE TABLE t (a TEXT(10))"));
    Recordset empty(db, QStringLiteral("Select * From t"));
    EXPECT_EQ(positionText(nullptr), QStringLiteral("0"));
    EXPECT_EQ(positionText(&empty), QStringLiteral("0"));
    EXPECT_EQ(finishedPositionText(&empty), QStringLiteral("0"));

    db->execute(QStringLiteral("INSERT INTO t VALUES ('x'), ('y'), ('z')"));
    Recordset rows(db, QStringLiteral("Select * From t"));
    rows.moveLast();
    EXPECT_EQ(positionText(&rows), QStringLiteral("3/3"));
    rows.moveFirst();
    EXPECT_EQ(finishedPositionText(&rows), QStringLiteral("1 / 3"));
}

TEST(ImportRulesTest, PairsMustMatchInNumberAndTwoEmptyListsMeanNothingToDo)
{
    EXPECT_EQ(checkMapping(0, 0), MappingCheck::Nothing);
    EXPECT_EQ(checkMapping(0, 9), MappingCheck::CountMismatch);
    EXPECT_EQ(checkMapping(3, 2), MappingCheck::CountMismatch);
    EXPECT_EQ(checkMapping(2, 2), MappingCheck::Ready);
}

TEST(ImportRulesTest, SourceColumnsWithBlanksOrReservedWordsReadAsNames)
{
    auto db = Connection::openInMemory();
    db->execute(QStringLiteral("CREATE TABLE \"Sheet1$\" (\"客户 名称\" TEXT, \"Select\" TEXT, \"Order\" TEXT)"));
    db->execute(QStringLiteral("INSERT INTO \"Sheet1$\" VALUES ('甲', 's', 'o')"));
    const QString statement =
        sourceSelect({QStringLiteral("客户 名称"), QStringLiteral("Select"), QStringLiteral("Order")}, QStringLiteral("\"Sheet1$\""));
    EXPECT_EQ(statement, QStringLiteral("Select \"客户 名称\", \"Select\", \"Order\" From \"Sheet1$\""));
    Recordset rows(db, statement);
    ASSERT_EQ(rows.fieldCount(), 3);
    EXPECT_EQ(rows.field(0).name, QStringLiteral("客户 名称"));
    EXPECT_EQ(rows.text(0), QStringLiteral("甲"));
    EXPECT_EQ(rows.text(2), QStringLiteral("o"));
}

TEST(ImportRulesTest, ANameHoldingAClosingBracketOrAnApostropheStillReads)
{
    auto db = Connection::openInMemory();
    db->execute(QStringLiteral("CREATE TABLE \"Q1] O'K$\" (\"a]b\" TEXT, \"it's\" TEXT)"));
    db->execute(QStringLiteral("INSERT INTO \"Q1] O'K$\" VALUES ('1', '2')"));
    const QString statement = sourceSelect({QStringLiteral("a]b"), QStringLiteral("it's")}, SqlText::quoteName(QStringLiteral("Q1] O'K$")));
    Recordset rows(db, statement);
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.field(0).name, QStringLiteral("a]b"));
    EXPECT_EQ(rows.text(0), QStringLiteral("1"));
    EXPECT_EQ(rows.text(1), QStringLiteral("2"));
}

TEST(ImportRulesTest, TheTargetViewHoldsPlanNumberMappedColumnsAndRecordNumber)
{
    EXPECT_EQ(targetSelect({QStringLiteral("营销对象"), QStringLiteral("电话1")}),
              QStringLiteral("Select \"序号\", \"营销对象\", \"电话1\", \"记录号\" From \"clientTableInfo\""));
    EXPECT_EQ(initialTargetColumns().size(), 9);
    EXPECT_EQ(initialTargetColumns().last(), QStringLiteral("Email"));
}

