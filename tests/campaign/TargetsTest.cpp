// Single targets and the deletions of many, as the target table's maintenance stores them.
#include "campaign/ProgramState.h"
#include "campaign/Targets.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "support/CampaignTest.h"

#include <gtest/gtest.h>

namespace {

class TargetsTest : public CampaignTest {
protected:
    void SetUp() override
    {
        state.store().execute(QStringLiteral(
            "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) VALUES "
            "('P''1', '北京华信', 2), ('P''1', '上海申达', 0), ('P2', '天津宏达', 5), ('P2', '王先生', 0)"));
    }
    int stored(const QString& where = QStringLiteral("1 = 1"))
    {
        return Recordset(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where ") + where).recordCount();
    }
    qint64 keyOf(const QString& name)
    {
        Recordset rows(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '%1'").arg(name));
        return rows.bookmark();
    }
    ChangeNotice notice(int i) const { return notices.at(i); }
};

TEST_F(TargetsTest, AddingStoresANamedTargetUnderANewKeyAndTellsItsPlan)
{
    const qint64 last = keyOf(QStringLiteral("王先生"));
    state.store().execute(QStringLiteral("DELETE FROM \"clientTableInfo\" Where 营销对象 = '王先生'"));
    const qint64 key = Targets::add(state, {{QStringLiteral("序号"), QStringLiteral("P9")},
                                            {QStringLiteral("营销对象"), QStringLiteral("O'Neil 公司")}});
    EXPECT_GT(key, last);   // never the key of the target just deleted
    EXPECT_EQ(stored(QStringLiteral("序号 = 'P9' And 营销对象 = 'O''Neil 公司' And 反馈合计 = 0")), 1);
    ASSERT_EQ(notices.count(), 1);
    EXPECT_EQ(notice(0).table, ChangeNotice::Table::Targets);
    EXPECT_EQ(notice(0).planNo, QStringLiteral("P9"));
    EXPECT_EQ(notice(0).keys, QList<qint64>{key});

    // Refused, nothing stored: a target without a name, a field the table does not have.
    EXPECT_THROW(Targets::add(state, {{QStringLiteral("序号"), QStringLiteral("P9")},
                                      {QStringLiteral("营销对象"), QStringLiteral("  ")}}),
                 DbError);
    EXPECT_THROW(Targets::add(state, {{QStringLiteral("营销对象"), QStringLiteral("甲")},
                                      {QStringLiteral("x\" = 1; --"), QStringLiteral("乙")}}),
                 DbError);
    EXPECT_EQ(stored(), 4);
    EXPECT_EQ(notices.count(), 1);
}

TEST_F(TargetsTest, AnEditIsStoredOnlyOnTheTargetAsItWasRead)
{
    const qint64 key = keyOf(QStringLiteral("上海申达"));
    const Targets::Values asRead{{QStringLiteral("营销对象"), QStringLiteral("上海申达")},
                                 {QStringLiteral("序号"), QStringLiteral("P'1")}};
    EXPECT_TRUE(Targets::edit(state, key, {{QStringLiteral("序号"), QStringLiteral("P2")}}, asRead));
    EXPECT_EQ(stored(QStringLiteral("序号 = 'P2'")), 3);
    // Moving a target to another plan tells both plans.
    ASSERT_EQ(notices.count(), 2);
    EXPECT_EQ(notice(0).planNo, QStringLiteral("P'1"));
    EXPECT_EQ(notice(1).planNo, QStringLiteral("P2"));

    // Read before that change: refused, nothing stored; so is a target deleted meanwhile.
    EXPECT_FALSE(Targets::edit(state, key, {{QStringLiteral("地址"), QStringLiteral("上海")}}, asRead));
    const qint64 gone = keyOf(QStringLiteral("王先生"));
    state.store().execute(QStringLiteral("DELETE FROM \"clientTableInfo\" Where 营销对象 = '王先生'"));
    EXPECT_FALSE(Targets::edit(state, gone, {{QStringLiteral("地址"), QStringLiteral("上海")}}, {}));
    EXPECT_THROW(Targets::edit(state, key, {{QStringLiteral("营销对象"), QString()}}, {}), DbError);
    EXPECT_EQ(stored(QStringLiteral("地址 = '上海'")), 0);
    EXPECT_EQ(stored(QStringLiteral("营销对象 = '上海申达'")), 1);
    EXPECT_EQ(notices.count(), 2);
}

TEST_F(TargetsTest, ATextLongerThanItsFieldIsRefusedAsTheWindowRefusesIt)
{
    const QString huge(10000, QChar(u'名'));
    const QString refusal = QStringLiteral("字段“营销对象”太小，不能接受所要添加的数据（最多 100 个字符）。");
    try {
        Targets::add(state, {{QStringLiteral("营销对象"), huge}});
        ADD_FAILURE() << "a 10,000-character name was stored";
    } catch (const DbError& error) {
        EXPECT_EQ(error.description(), refusal);
    }
    EXPECT_THROW(Targets::edit(state, keyOf(QStringLiteral("王先生")), {{QStringLiteral("营销对象"), huge}}, {}), DbError);
    EXPECT_THROW(Targets::add(state, {{QStringLiteral("营销对象"), QStringLiteral("甲")}, {QStringLiteral("地址"), huge}}), DbError);
    // A name of exactly the field's size fits.
    Targets::add(state, {{QStringLiteral("营销对象"), QString(100, QChar(u'名'))}});
    EXPECT_EQ(stored(), 5);
    EXPECT_EQ(stored(QStringLiteral("length(营销对象) > 100")), 0);
}

TEST_F(TargetsTest, RemovingOneTargetByItsKey)
{
    const qint64 key = keyOf(QStringLiteral("天津宏达"));
    Targets::remove(state, key);
    EXPECT_EQ(stored(), 3);
    EXPECT_EQ(stored(QStringLiteral("营销对象 = '天津宏达'")), 0);
    ASSERT_EQ(notices.count(), 1);
    EXPECT_EQ(notice(0).planNo, QStringLiteral("P2"));
    EXPECT_THROW(Targets::remove(state, key), DbError);
    EXPECT_EQ(stored(), 3);
}

TEST_F(TargetsTest, DeletingAPlansTargetsOrThoseWithoutFeedback)
{
    EXPECT_EQ(Targets::removeTargetsOfPlan(state, QStringLiteral("P'1")), 2);
    EXPECT_EQ(stored(), 2);
    EXPECT_EQ(notice(0).planNo, QStringLiteral("P'1"));
    EXPECT_EQ(Targets::removeTargetsWithoutFeedback(state), 1);
    EXPECT_EQ(stored(), 1);
    EXPECT_EQ(stored(QStringLiteral("营销对象 = '天津宏达'")), 1);
    EXPECT_EQ(notice(1).planNo, QString());   // any plan
}

TEST_F(TargetsTest, AMassDeletionIsOneTransaction)
{
    // A trigger that refuses the second deletion: the one before it is undone too.
    state.store().executeScript(QStringLiteral(
        "CREATE TEMP TRIGGER refuse BEFORE DELETE ON \"clientTableInfo\" WHEN old.营销对象 = '王先生' "
        "BEGIN SELECT RAISE(ABORT, '拒绝删除'); END;"));
    EXPECT_THROW(Targets::removeTargetsWithoutFeedback(state), DbError);
    EXPECT_THROW(Targets::removeTargetsOfPlan(state, QStringLiteral("P2")), DbError);
    EXPECT_EQ(stored(), 4);
    EXPECT_FALSE(state.store().inTransaction());
    EXPECT_EQ(notices.count(), 0);
}

} // namespace
