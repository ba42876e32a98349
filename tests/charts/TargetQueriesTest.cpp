// The statements the feedback browser lists targets with, run on a real database.
#include "charts/TargetQueries.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "support/TempAppFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(TargetQueries, ThePlanNumberAndTheSearchTextAreBoundNeverWrittenIntoTheText)
{
    const BoundSql responding = TargetQueries::respondingOfPlan("P1");
    EXPECT_EQ(responding.text, QStringLiteral("Select * From \"clientTableInfo\" Where \"序号\" = ?1 And  反馈合计 >= 1"));
    EXPECT_EQ(responding.values, QVariantList{QStringLiteral("P1")});
}

TEST(TargetQueries, AnApostropheOrAWildcardInAPlanNumberOrSearchTextIsData)
{
    TempAppFolder folder;
    auto db = folder.connection();
    db->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) VALUES "
                               "('O''P', 'O''K 贸易', 2), ('O''P', '百分之100%公司', 0), ('X', 'O''K 贸易', 5)"));
    Recordset all(db, TargetQueries::allOfPlan("O'P"));
    EXPECT_EQ(all.recordCount(), 2);
    Recordset responding(db, TargetQueries::respondingOfPlan("O'P"));
    EXPECT_EQ(responding.recordCount(), 1);

    all.setFilter(TargetQueries::nameContains(QStringLiteral("营销对象"), QStringLiteral("K 贸"), "O'P"));
    EXPECT_EQ(all.recordCount(), 1);
    all.setFilter(TargetQueries::nameContains(QStringLiteral("营销对象"), QStringLiteral("' Or '1' = '1"), "O'P"));
    EXPECT_EQ(all.recordCount(), 0);
    all.setFilter(TargetQueries::nameContains(QStringLiteral("营销对象"), QStringLiteral("0%"), "O'P"));
    EXPECT_EQ(all.recordCount(), 1);   // the % of the text is a percent sign, not "anything"
    all.setFilter(TargetQueries::nameContains(QStringLiteral("营销对象"), QStringLiteral("_"), "O'P"));
    EXPECT_EQ(all.recordCount(), 0);
    // A NUL character is a character of the text too, not the end of the statement.
    const QString withNul = QStringLiteral("O") + QChar(0) + QStringLiteral("P");
    EXPECT_EQ(Recordset(db, TargetQueries::allOfPlan(withNul)).recordCount(), 0);
    all.setFilter(TargetQueries::nameContains(QStringLiteral("营销对象"), withNul, "O'P"));
    EXPECT_EQ(all.recordCount(), 0);
}

} // namespace
