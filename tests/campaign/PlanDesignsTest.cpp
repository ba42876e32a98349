// Adding, editing and deleting plans as designed, and what the store refuses.
#include "campaign/PlanDesigns.h"
#include "campaign/PlanExecution.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "support/CampaignTest.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class PlanDesignsTest : public CampaignTest {
protected:
    static PlanDesign plan(const QString& no, const QString& title, const QString& scale = QStringLiteral("300"))
    {
        PlanDesign p;
        p.planNo = no;
        p.title = title;
        p.scale = scale;
        return p;
    }

    int count(const QString& statement) const { return Recordset(folder.connection(), statement).recordCount(); }

    // The refusal's message; fails the test when nothing was refused.
    template <typename Write>
    QString refusal(Write write)
    {
        try {
            write();
        } catch (const DbError& error) {
            return error.description();
        }
        ADD_FAILURE() << "not refused";
        return QString();
    }
};

TEST_F(PlanDesignsTest, AddEditAndDeleteStoreTheTrimmedFieldsAndSaySo)
{
    PlanDesign typed = plan(QStringLiteral(" P'7　"), QStringLiteral("  春季直邮 "), QStringLiteral(" 0300 "));
    typed.content = QStringLiteral("  第一行\n第二行  ");
    typed.cost = QStringLiteral("12000");
    const qint64 key = PlanDesigns::add(state, typed);
    Recordset rows(folder.connection(), PlanDesigns::allPlansStatement());
    rows.setBookmark(key);
    PlanDesign stored = PlanDesigns::fromRow(rows);
    EXPECT_EQ(stored.planNo, QStringLiteral("P'7"));
    EXPECT_EQ(stored.title, QStringLiteral("春季直邮"));
    EXPECT_EQ(stored.scale, QStringLiteral("0300"));
    EXPECT_EQ(stored.content, QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(stored.cost, QStringLiteral("12000"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices[0].table, ChangeNotice::Table::PlanDesigns);
    EXPECT_EQ(notices[0].planNo, QStringLiteral("P'7"));
    EXPECT_EQ(notices[0].keys, QList<qint64>{key});

    stored.title = QStringLiteral("秋季直邮");
    stored.scale.clear();   // a number of targets not known yet
    PlanDesigns::edit(state, key, stored);   // keeping its own number
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = 'P''7' And 题目 = '秋季直邮' And 规模（数量） = ''"), 1);

    // Deleting a design leaves the executed plan alone.
    PlanExecution::execute(state, key);
    EXPECT_TRUE(PlanDesigns::remove(state, key));
    EXPECT_FALSE(PlanDesigns::remove(state, key));
    EXPECT_EQ(count("Select * From \"planTable\""), 0);
    EXPECT_EQ(count("Select * From \"marketingComment\""), 1);
    EXPECT_EQ(count("Select * From \"feedbackTable\""), 1);
    EXPECT_EQ(notices.last().table, ChangeNotice::Table::PlanDesigns);
}

TEST_F(PlanDesignsTest, AMissingOrRepeatedNumberOrAScaleInWordsIsRefusedAndNothingStored)
{
    const qint64 first = PlanDesigns::add(state, plan(QStringLiteral("W-1"), QStringLiteral("第一")));
    const qint64 second = PlanDesigns::add(state, plan(QStringLiteral("W-2"), QStringLiteral("第二")));
    notices.clear();

    for (const QString& no : {QString(), QStringLiteral(" 　 ")}) {
        const QString said = refusal([&] { PlanDesigns::add(state, plan(no, QStringLiteral("无序号"))); });
        EXPECT_TRUE(said.contains(QStringLiteral("序号"))) << said.toStdString();
    }
    for (const QString& no : {QStringLiteral("W-1"), QStringLiteral(" w-1 ")}) {   // letter case as the store compares
        const QString said = refusal([&] { PlanDesigns::add(state, plan(no, QStringLiteral("重复"))); });
        EXPECT_TRUE(said.contains(QStringLiteral("序号“W-1”"))) << said.toStdString();
    }
    for (const QString& scale : {QStringLiteral("三百"), QStringLiteral("3.5"), QStringLiteral("-3"), QStringLiteral("1,000")}) {
        const QString said = refusal([&] { PlanDesigns::add(state, plan(QStringLiteral("W-3"), QStringLiteral("规模"), scale)); });
        EXPECT_TRUE(said.contains(QStringLiteral("规模（数量）"))) << said.toStdString();
    }
    // An edit may not take another plan's number, nor save over a plan deleted meanwhile.
    EXPECT_TRUE(refusal([&] { PlanDesigns::edit(state, second, plan(QStringLiteral("W-1"), QStringLiteral("改"))); })
                    .contains(QStringLiteral("序号")));
    PlanDesigns::remove(state, first);
    notices.clear();
    EXPECT_FALSE(refusal([&] { PlanDesigns::edit(state, first, plan(QStringLiteral("W-9"), QStringLiteral("改"))); }).isEmpty());

    EXPECT_TRUE(notices.isEmpty());
    EXPECT_EQ(count("Select * From \"planTable\""), 1);
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = 'W-2' And 题目 = '第二'"), 1);
}

TEST_F(PlanDesignsTest, ARepeatedNumberCanNoLongerMakeANewPlanLookExecuted)
{
    const qint64 executed = PlanDesigns::add(state, plan(QStringLiteral("A"), QStringLiteral("执行过")));
    PlanExecution::execute(state, executed);
    EXPECT_THROW(PlanDesigns::add(state, plan(QStringLiteral("a"), QStringLiteral("新计划"))), DbError);
    PlanDesigns::edit(state, executed, plan(QStringLiteral("A"), QStringLiteral("执行过，改了题目")));   // its own number

    // Once its design is renumbered or deleted, the executed plan still holds its number.
    PlanDesigns::edit(state, executed, plan(QStringLiteral("A-old"), QStringLiteral("执行过")));
    const QString said = refusal([&] { PlanDesigns::add(state, plan(QStringLiteral("A"), QStringLiteral("新计划"))); });
    EXPECT_TRUE(said.contains(QStringLiteral("序号“A”"))) << said.toStdString();
    const qint64 fresh = PlanDesigns::add(state, plan(QStringLiteral("B"), QStringLiteral("新计划")));
    EXPECT_THROW(PlanDesigns::edit(state, fresh, plan(QStringLiteral("A"), QStringLiteral("新计划"))), DbError);
    EXPECT_EQ(PlanExecution::execute(state, fresh).outcome, PlanExecution::Outcome::Executed);
    EXPECT_EQ(count("Select * From \"planTable\" Where 序号 = 'A'"), 0);
}

} // namespace
