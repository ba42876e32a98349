// The five product names: stored trimmed and cut, and on a server heard by every other seat.
#include "campaign/ProductNames.h"
#include "support/CampaignTest.h"
#include "support/TestEngine.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class ProductNamesTest : public CampaignTest {};

TEST_F(ProductNamesTest, ANoticeOfRenamedProductsSurvivesItsWayAsText)
{
    const auto notice = ChangeNotice::fromText(ChangeNotice{ChangeNotice::Table::ProductNames, QString()}.toText());
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->table, ChangeNotice::Table::ProductNames);
    EXPECT_TRUE(notice->touchesPlan(QStringLiteral("W-1")));
}

TEST_F(ProductNamesTest, OnAServerAnotherSeatHasTheNewNamesWithinTwoSeconds)
{
    if (!TestEngine::onServer())
        GTEST_SKIP() << "one copy of the program uses a database file at a time";
    ProgramState other(Connection::open(folder.connection()->location()), folder.path());
    other.setProductNames(ProductNames::load(other.store()));
    QSignalSpy renamed(&other, &ProgramState::productNamesChanged);
    ProductNames::store(state, {QStringLiteral(" 打印机 "), QStringLiteral("复印机"), {}, {}, QStringLiteral("扫描仪")});
    EXPECT_TRUE(renamed.wait(2000)) << "heard within 2 s";
    EXPECT_EQ(other.productNames(), QStringList({"打印机", "复印机", "", "", "扫描仪"}));
}

} // namespace
