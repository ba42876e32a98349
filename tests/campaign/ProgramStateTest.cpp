#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "support/TempAppFolder.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(ProgramStateTest, TableExistsLooksIntoTheExportDatabaseExactly)
{
    TempAppFolder folder;
    ProgramState state(folder.connection(), folder.path());
    Connection::create(state.exportDatabasePath())->execute(QStringLiteral("CREATE TABLE Clients (x)"));
    EXPECT_TRUE(state.tableExists(QStringLiteral("Clients")));
    EXPECT_FALSE(state.tableExists(QStringLiteral("clients")));
    EXPECT_FALSE(state.tableExists(QStringLiteral("productDF")));
    QFile::remove(state.exportDatabasePath());
    EXPECT_FALSE(state.tableExists(QStringLiteral("Clients")));
}

TEST(ProgramStateTest, TellsOnlyRealChangesOfThePlanAndTheProductNames)
{
    TempAppFolder folder;
    ProgramState state(folder.connection(), folder.path());
    QSignalSpy planChanged(&state, &ProgramState::currentPlanChanged);
    QSignalSpy namesChanged(&state, &ProgramState::productNamesChanged);

    state.setCurrentPlan(QStringLiteral("A"), QStringLiteral("春季"));
    state.setCurrentPlan(QStringLiteral("A"), QStringLiteral("春季活动"));   // same plan, title read again
    EXPECT_EQ(planChanged.count(), 1);
    EXPECT_EQ(state.currentPlanTitle(), QStringLiteral("春季活动"));

    state.setProductNames({QStringLiteral("打印机")});
    state.setProductNames({QStringLiteral("打印机"), QString(), QString(), QString(), QString()});
    EXPECT_EQ(namesChanged.count(), 1);
    EXPECT_EQ(state.productNames().size(), 5);
}

TEST(ProgramStateTest, WithoutADatabaseNothingOpens)
{
    ProgramState state(nullptr, QStringLiteral("/nowhere"));
    EXPECT_THROW(state.openRecordset(QStringLiteral("Select * From \"planTable\"")), DbError);
}

} // namespace
