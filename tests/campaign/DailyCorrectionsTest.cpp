// Corrections and deletions of daily rows, and the rule that keeps targets and days in step.
#include "campaign/DailyCorrections.h"
#include "campaign/FeedbackRules.h"
#include "campaign/ProgramState.h"
#include "campaign/ResponseRecording.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "support/CampaignTest.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

class DailyCorrectionsTest : public CampaignTest {
protected:
    void SetUp() override
    {
        Clock::setToday(QDate(2026, 12, 7));
        run("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）) VALUES ('W-1', '春季推广', '200'), ('W-2', '秋季电话', '100')");
        run("INSERT INTO \"feedbackTable\" (序号, 时间, 电话数, 传真数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
            "('W-1', '2026-12-05', 4, 0, 4, 4), ('W-2', '2026-12-05', 1, 0, 1, 1), "
            "('W-1', '2026-12-06', 2, 0, 2, 6), ('W-1', '2026-12-07', 1, 1, 2, 8)");
    }
    void TearDown() override { Clock::reset(); }

    QList<qint64> column(const QString& field, const QString& plan = QStringLiteral("W-1")) const
    {
        Recordset days(folder.connection(), QStringLiteral("Select * From \"feedbackTable\" Where 序号 = '%1'").arg(plan));
        QList<qint64> values;
        for (const QVariant& v : days.columnValues(days.fieldIndex(field)))
            values << v.toLongLong();
        return values;
    }
    QList<qint64> keys(const QString& plan = QStringLiteral("W-1")) const
    {
        Recordset days(folder.connection(), QStringLiteral("Select rowid From \"feedbackTable\" Where 序号 = '%1'").arg(plan));
        QList<qint64> values;
        for (const QVariant& v : days.columnValues(0))
            values << v.toLongLong();
        return values;
    }
    QString planField(const char* field, const QString& plan = QStringLiteral("W-1")) const
    {
        return Recordset(folder.connection(), QStringLiteral("Select %1 From \"marketingComment\" Where 序号 = '%2'")
                                                  .arg(QString::fromUtf8(field), plan)).text(0);
    }
};

TEST_F(DailyCorrectionsTest, ACorrectionRecomputesTheDayTheLaterRunningTotalsAndThePlan)
{
    // The first day's phone count corrected from 4 to 2, a fax added: 2 + 1 = 3 for the day.
    DailyCorrections::correct(state, {keys()[0], {{"电话数", 4}, {"传真数", 0}}, {{"电话数", 2}, {"传真数", 1}}});
    EXPECT_EQ(column("电话数"), QList<qint64>({2, 2, 1}));
    EXPECT_EQ(column("反馈合计（当日）"), QList<qint64>({3, 2, 2}));
    EXPECT_EQ(column("反馈合计（至今日）"), QList<qint64>({3, 5, 7}));
    EXPECT_EQ(planField("反馈合计"), QStringLiteral("7"));
    EXPECT_EQ(planField("反馈率"), QStringLiteral("3.5%"));
    EXPECT_EQ(column("反馈合计（至今日）", "W-2"), QList<qint64>({1}));   // another plan's rows stay
    EXPECT_EQ(planField("反馈合计", "W-2"), QString());
}

TEST_F(DailyCorrectionsTest, ACorrectionKeepsAResponseSavedMeanwhileAndRefusesTypedTotals)
{
    // The operator saw 1 call today and types 3; meanwhile a call was recorded (stored 2).
    run("UPDATE \"feedbackTable\" SET 电话数 = 2, 反馈合计（当日） = 3 WHERE 时间 = '2026-12-07'");
    DailyCorrections::correct(state, {keys()[2], {{"电话数", 1}}, {{"电话数", 3}}});
    EXPECT_EQ(column("电话数")[2], 4);
    EXPECT_EQ(column("反馈合计（当日）")[2], 5);

    const QList<qint64> before = column("反馈合计（至今日）");
    EXPECT_THROW(DailyCorrections::correct(state, {keys()[1], {{"反馈合计（当日）", 2}}, {{"反馈合计（当日）", 9}}}), DbError);
    EXPECT_THROW(DailyCorrections::correct(state, {keys()[1], {{"电话数", 2}}, {{"电话数", -1}}}), DbError);
    EXPECT_THROW(DailyCorrections::correct(state, {999, {{"电话数", 2}}, {{"电话数", 1}}}), DbError);
    EXPECT_EQ(column("反馈合计（至今日）"), before);
    EXPECT_EQ(column("电话数")[1], 2);
}

TEST_F(DailyCorrectionsTest, DeletingRowsRecomputesWhatIsLeft)
{
    DailyCorrections::deleteRow(state, keys()[1]);
    EXPECT_EQ(column("反馈合计（至今日）"), QList<qint64>({4, 6}));
    EXPECT_EQ(planField("反馈合计"), QStringLiteral("6"));
    EXPECT_EQ(planField("反馈率"), QStringLiteral("3%"));
    EXPECT_THROW(DailyCorrections::deleteRow(state, 999), DbError);

    EXPECT_EQ(DailyCorrections::deletePlanRows(state, QStringLiteral("W-1")), 2);
    EXPECT_TRUE(keys().isEmpty());
    EXPECT_EQ(planField("反馈合计"), QStringLiteral("0"));
    EXPECT_EQ(planField("反馈率"), QStringLiteral("0%"));
    EXPECT_EQ(keys(QStringLiteral("W-2")).size(), 1);
}

// Any mix of responses (on targets of two plans, whichever plan is current), corrections and
// deletions: each plan's day rows add up, and the targets' counters differ from the days'
// exactly by what was corrected or deleted by hand.
TEST_F(DailyCorrectionsTest, TargetsAndDaysAgreeAfterAnySequenceOfSavesCorrectionsAndDeletions)
{
    run("DELETE FROM \"feedbackTable\"");
    run("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('W-1', '甲'), ('W-1', '乙'), ('W-2', '丙'), ('W-2', '丁')");
    const QStringList plans = {QStringLiteral("W-1"), QStringLiteral("W-2")};
    QHash<QString, QList<qint64>> handChanges;   // per plan and counter: corrections and deletions
    for (const QString& plan : plans)
        handChanges[plan] = QList<qint64>(11, 0);
    QRandomGenerator random(16);
    const QStringList& fields = FeedbackRules::counterFields();

    for (int step = 0; step < 120; ++step) {
        Clock::setToday(QDate(2026, 12, 1).addDays(step / 15));
        state.setCurrentPlan(plans[random.bounded(2)], QString());
        const int action = random.bounded(10);
        if (action < 7) {
            ResponseRecording::Draft draft;
            draft.targetKey = 1 + random.bounded(4);
            draft.fields[0] = Recordset(folder.connection(), QStringLiteral("Select 营销对象 From \"clientTableInfo\" Where rowid = %1")
                                                                 .arg(*draft.targetKey)).text(0);
            const int counter = random.bounded(11);
            draft.targetAdded[counter] = draft.dayAdded[counter] = 1;
            ResponseRecording::record(state, draft);
            continue;
        }
        const QString plan = plans[random.bounded(2)];
        Recordset days(folder.connection(), QStringLiteral("Select * From \"feedbackTable\" Where 序号 = '%1'").arg(plan));
        if (days.recordCount() == 0)
            continue;
        days.setAbsolutePosition(1 + random.bounded(days.recordCount()));
        if (action < 9) {
            const int counter = random.bounded(6);
            const qint64 shown = days.value(fields[counter]).toLongLong();
            const qint64 typed = random.bounded(shown + 2);
            DailyCorrections::correct(state, {days.bookmark(), {{fields[counter], shown}}, {{fields[counter], typed}}});
            handChanges[plan][counter] += typed - shown;
        } else {
            for (int i = 0; i < 11; ++i)
                handChanges[plan][i] -= days.value(fields[i]).toLongLong();
            DailyCorrections::deleteRow(state, days.bookmark());
        }
    }

    for (const QString& plan : plans) {
        SCOPED_TRACE(plan.toStdString());
        for (int i = 0; i < 11; ++i) {
            const qint64 onTargets = Recordset(folder.connection(), QStringLiteral("Select sum(%1) From \"clientTableInfo\" Where 序号 = '%2'")
                                                                        .arg(SqlText::quoteName(fields[i]), plan)).value(0).toLongLong();
            qint64 onDays = 0;
            for (qint64 v : column(fields[i], plan))
                onDays += v;
            EXPECT_EQ(onDays, onTargets + handChanges[plan][i]) << fields[i].toStdString();
        }
        qint64 running = 0;
        const QList<qint64> dayTotals = column(QStringLiteral("反馈合计（当日）"), plan);
        const QList<qint64> runningTotals = column(QStringLiteral("反馈合计（至今日）"), plan);
        for (int row = 0; row < dayTotals.size(); ++row) {
            qint64 channels = 0;
            for (int i = 0; i < 6; ++i)
                channels += column(fields[i], plan)[row];
            EXPECT_EQ(dayTotals[row], channels);
            running += dayTotals[row];
            EXPECT_EQ(runningTotals[row], running);
        }
        EXPECT_EQ(Recordset(folder.connection(), QStringLiteral("Select count(*) - count(distinct 时间) From \"feedbackTable\" "
                                                            "Where 序号 = '%1'").arg(plan)).value(0).toInt(), 0);   // one row a day
    }
}

} // namespace
