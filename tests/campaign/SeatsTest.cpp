// Several seats on one database: each seat its own connection and program state, saving at
// the same moment; on a server the seats hear what the others stored.
#include "campaign/ProgramState.h"
#include "campaign/ResponseRecording.h"
#include "campaign/Targets.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/PgConnection.h"
#include "core/Statement.h"
#include "support/CampaignTest.h"
#include "support/RoundTripCount.h"
#include "support/TestEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUrl>
#include <QUrlQuery>
#include <libpq-fe.h>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int Phone = 0;

class SeatsTest : public CampaignTest {
protected:
    void SetUp() override
    {
        Clock::setToday(QDate(2026, 12, 7));
        run("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）) VALUES ('W-1', '春季推广', '300')");
        run("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
            "('W-1', '2026-12-05', '春季推广', 2, 2, 2)");
        run("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1) VALUES ('W-1', '北京甲公司', '010-1'), ('W-1', '上海乙公司', '021-2')");
    }
    void TearDown() override { Clock::reset(); }

    // Another seat: its own connection to the same database, its own program state.
    std::unique_ptr<ProgramState> otherSeat() const
    {
        return std::make_unique<ProgramState>(Connection::open(folder.connection()->location()), folder.path());
    }
    static ResponseRecording::Draft phoneCall(qint64 targetKey, const QString& name, const QString& phone)
    {
        ResponseRecording::Draft draft;
        draft.targetKey = targetKey;
        draft.fields = QStringList{name, phone, {}, {}, {}, {}, {}, {}};
        draft.targetAdded[Phone] = 1;
        draft.dayAdded[Phone] = 1;
        return draft;
    }
};

TEST_F(SeatsTest, SeatsSavingResponsesForOnePlanAtOnceLoseNoCount)
{
    // A file is for one person (the lock file refuses a second copy of the program); two
    // connections at once is what it meets at most. A server takes four seats and more.
    const int seats = TestEngine::onServer() ? 4 : 2;
    const int savesEach = TestEngine::onServer() ? 150 : 60;
    const qint64 first = key("北京甲公司");
    const qint64 second = key("上海乙公司");
    std::vector<std::unique_ptr<QThread>> threads;
    QAtomicInt failures = 0;
    for (int seat = 0; seat < seats; ++seat) {
        threads.emplace_back(QThread::create([&, seat] {
            auto state = otherSeat();
            // Two seats answer for one target, two for the other: the plan's day row is shared by all.
            const bool one = seat % 2 == 0;
            for (int i = 0; i < savesEach; ++i) {
                try {
                    ResponseRecording::record(*state, phoneCall(one ? first : second, one ? "北京甲公司" : "上海乙公司",
                                                                 one ? "010-1" : "021-2"));
                } catch (const DbError&) {
                    failures.fetchAndAddRelaxed(1);
                }
            }
        }));
        threads.back()->start();
    }
    for (auto& thread : threads)
        thread->wait();
    EXPECT_EQ(failures.loadRelaxed(), 0);
    EXPECT_EQ(number("Select count(*) From \"feedbackTable\" Where 序号 = 'W-1' And 时间 = '2026-12-07'"), 1);
    EXPECT_EQ(number("Select 电话数 From \"feedbackTable\" Where 序号 = 'W-1' And 时间 = '2026-12-07'"), seats * savesEach);
    EXPECT_EQ(number("Select 反馈合计（当日） From \"feedbackTable\" Where 序号 = 'W-1' And 时间 = '2026-12-07'"), seats * savesEach);
    EXPECT_EQ(number("Select 反馈合计（至今日） From \"feedbackTable\" Where 序号 = 'W-1' And 时间 = '2026-12-07'"),
              2 + seats * savesEach);
    EXPECT_EQ(number("Select 电话数 From \"clientTableInfo\" Where 营销对象 = '北京甲公司'"), seats / 2 * savesEach);
    EXPECT_EQ(number("Select 反馈合计 From \"clientTableInfo\" Where 营销对象 = '上海乙公司'"), seats / 2 * savesEach);
}

TEST_F(SeatsTest, TwoSeatsEditingOneTargetExactlyOneSaveWinsTheOtherIsTold)
{
    auto other = otherSeat();
    Recordset mine(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '北京甲公司'"));
    Recordset theirs(other->connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '北京甲公司'"));
    mine.setValue(QStringLiteral("电话1"), QStringLiteral("010-111"));
    theirs.setValue(QStringLiteral("电话1"), QStringLiteral("010-222"));
    mine.update();
    try {
        theirs.update();
        ADD_FAILURE() << "the second save overwrote the first";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("已被其他操作修改"))) << error.description().toStdString();
    }
    // The same through the use case the target window saves with.
    const qint64 target = key("北京甲公司");
    const Targets::Values asRead{{QStringLiteral("电话1"), QStringLiteral("010-111")}};
    EXPECT_TRUE(Targets::edit(state, target, {{QStringLiteral("联系人1"), QStringLiteral("王")}}, {}));
    EXPECT_TRUE(Targets::edit(*other, target, {{QStringLiteral("电话1"), QStringLiteral("010-333")}}, asRead));
    EXPECT_FALSE(Targets::edit(state, target, {{QStringLiteral("电话1"), QStringLiteral("010-444")}}, asRead));
    Recordset stored(folder.connection(), QStringLiteral("Select 电话1, 联系人1 From \"clientTableInfo\" Where 营销对象 = '北京甲公司'"));
    EXPECT_EQ(stored.text(0), QStringLiteral("010-333"));
    EXPECT_EQ(stored.text(1), QStringLiteral("王"));
}

TEST_F(SeatsTest, OnAServerTheOtherSeatsHearWhatOneStoredAndNoSeatHearsItselfTwice)
{
    if (!TestEngine::onServer())
        GTEST_SKIP() << "one copy of the program uses a database file at a time";
    auto other = otherSeat();
    QSignalSpy heard(other.get(), &ProgramState::changed);
    notices.clear();
    ResponseRecording::record(state, phoneCall(key("北京甲公司"), QStringLiteral("北京甲公司"), QStringLiteral("010-1")));
    QElapsedTimer waited;
    waited.start();
    while (heard.size() < notices.size() && waited.elapsed() < 2000)
        heard.wait(100);
    ASSERT_EQ(heard.size(), notices.size()) << "heard within 2 s";
    const auto notice = heard.first().first().value<ChangeNotice>();
    EXPECT_EQ(notice.planNo, QStringLiteral("W-1"));
    EXPECT_EQ(notice.table, notices.first().table);
    EXPECT_EQ(notice.keys, notices.first().keys);
    QSignalSpy ownEcho(&state, &ProgramState::changed);
    ownEcho.wait(700);
    EXPECT_TRUE(ownEcho.isEmpty());   // the seat's own notices are not heard back
}

} // namespace

namespace {

TEST_F(SeatsTest, OnAServerASeatWhoseConnectionWasCutReconnectsAtItsNextActionAndHearsTheOthersAgain)
{
    if (!TestEngine::onServer())
        GTEST_SKIP() << "a file has no connection to lose";
    auto other = otherSeat();
    Statement process(other->store(), QStringLiteral("SELECT pg_backend_pid()"));
    ASSERT_TRUE(process.step());
    Statement cut(state.store(), QStringLiteral("SELECT pg_terminate_backend(?)"));
    cut.bind(1, process.int64At(0));
    cut.step();
    QSignalSpy heard(other.get(), &ProgramState::changed);
    heard.wait(700);   // the seat notices the loss while it waits for others' changes
    ResponseRecording::record(*other, phoneCall(key("北京甲公司"), QStringLiteral("北京甲公司"), QStringLiteral("010-1")));
    EXPECT_EQ(number("Select 电话数 From \"clientTableInfo\" Where 营销对象 = '北京甲公司'"), 1);
    EXPECT_EQ(other->store().reconnections(), 1);

    // It listens again: what another seat stores reaches it as before.
    heard.clear();
    ResponseRecording::record(state, phoneCall(key("上海乙公司"), QStringLiteral("上海乙公司"), QStringLiteral("021-2")));
    QElapsedTimer waited;
    waited.start();
    bool heardTheSave = false;
    while (!heardTheSave && waited.elapsed() < 2000) {
        heard.wait(100);
        for (const auto& signal : std::as_const(heard))
            heardTheSave = heardTheSave || signal.first().value<ChangeNotice>().keys == QList<qint64>{key("上海乙公司")};
    }
    EXPECT_TRUE(heardTheSave) << "heard within 2 s after the reconnection";
}

TEST_F(SeatsTest, OnAServerASeatWithoutTheTemporaryRightIsToldWhatTheAdministratorShouldGrant)
{
    if (!TestEngine::onServer())
        GTEST_SKIP() << "rights are a server's";
    const QString role = QStringLiteral("marquel_no_temp_%1").arg(QCoreApplication::applicationPid());
    const QString database = QString::fromUtf8(PQdb(dynamic_cast<PgConnection&>(state.store()).handle()));
    state.store().executeScript(QStringLiteral("CREATE ROLE %1 LOGIN; GRANT ALL ON ALL TABLES IN SCHEMA public TO %1; "
                                               "REVOKE TEMPORARY ON DATABASE \"%2\" FROM PUBLIC").arg(role, database));
    QUrl url(folder.connection()->location());
    QUrlQuery query(url);
    query.removeAllQueryItems(QStringLiteral("user"));
    query.addQueryItem(QStringLiteral("user"), role);
    url.setQuery(query);
    {
        ProgramState seat(Connection::open(url.toString()), folder.path());
        try {
            ResponseRecording::record(seat, phoneCall(key("北京甲公司"), QStringLiteral("北京甲公司"), QStringLiteral("010-1")));
            ADD_FAILURE() << "a save without the right was reported as stored";
        } catch (const DbError& error) {
            EXPECT_TRUE(error.description().contains(QStringLiteral("GRANT TEMPORARY ON DATABASE"))) << error.description().toStdString();
            EXPECT_EQ(error.kind(), StoreFailure::NoRight);
        }
    }
    state.store().executeScript(QStringLiteral("DROP OWNED BY %1; DROP ROLE %1").arg(role));
    EXPECT_EQ(number("Select 电话数 From \"clientTableInfo\" Where 营销对象 = '北京甲公司'"), 0);
}

TEST_F(SeatsTest, OnAServerASavedResponseIsOneRoundTripWhateverThePlanHolds)
{
    if (!TestEngine::onServer())
        GTEST_SKIP() << "a file has no round trips";
    for (int day = 1; day <= 30; ++day)
        state.store().execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 电话数, 反馈合计（当日）, 反馈合计（至今日）) "
                                             "VALUES ('W-1', '2026-11-%1', 1, 1, %2)").arg(day, 2, 10, QLatin1Char('0')).arg(2 + day));
    const qint64 target = key("北京甲公司");
    const auto save = [&] { ResponseRecording::record(state, phoneCall(target, QStringLiteral("北京甲公司"), QStringLiteral("010-1"))); };
    save();   // the seat's first save also learns the fields' sizes
    EXPECT_EQ(roundTripsOf(state.store(), save), 1);
    ResponseRecording::Draft newTarget = phoneCall(0, QStringLiteral("新客户"), QString());
    newTarget.targetKey.reset();
    newTarget.newTargetPlan = QStringLiteral("W-1");
    EXPECT_EQ(roundTripsOf(state.store(), [&] { ResponseRecording::record(state, newTarget); }), 1);
    Clock::setToday(QDate(2026, 12, 8));   // a new day: today's row is appended
    EXPECT_EQ(roundTripsOf(state.store(), save), 1);
    EXPECT_EQ(number("Select 反馈合计 From \"marketingComment\" Where 序号 = 'W-1'"), 2 + 30 + 4);
}

} // namespace
