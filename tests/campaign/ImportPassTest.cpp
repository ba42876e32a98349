// The import pass on its own: what every appended row holds, where the record numbers start,
// and what stays in the table when a value is refused or the user cancels.
#include "support/SqlLiteral.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/RowAppend.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/TextRules.h"
#include "core/Transaction.h"
#include "campaign/ImportPass.h"
#include "campaign/ProgramState.h"
#include "campaign/TargetRows.h"
#include "support/TempAppFolder.h"
#include "support/TestEngine.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class ImportPassTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    Connection& store = *folder.connection();
    ProgramState state{folder.connection(), folder.path()};
    std::shared_ptr<Connection> source = Connection::openInMemory();

    void SetUp() override
    {
        source->execute(QStringLiteral("CREATE TABLE src (name TEXT, phone TEXT, post TEXT, n INTEGER)"));
    }

    void addSource(const QString& values) { source->execute(QStringLiteral("INSERT INTO src VALUES ") + values); }
    // Source rows named c0, c1, … numbered 0, 1, …
    void addNamedSources(int count)
    {
        QString values;
        for (int i = 0; i < count; ++i)
            values += QStringLiteral("%1('c%2', '', '', %2)").arg(i ? "," : "").arg(i);
        addSource(values);
    }
    void addOtherPlanTargets(int count)
    {
        for (int i = 0; i < count; ++i)
            store.execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 记录号) VALUES ('P0', '旧%1', '%2')")
                              .arg(i)
                              .arg(i * 100 + 99));   // numbers far above the row count
    }

    ImportOutcome importInto(const QStringList& targets, const QString& sourceColumns, const QString& planNo = "P1",
                             const ImportPass::Progress& progress = {})
    {
        Recordset rows(source, QStringLiteral("Select ") + sourceColumns + QStringLiteral(" From src"));
        ImportPass pass(state, rows, targets, planNo);
        return pass.run(progress);
    }

    std::shared_ptr<Recordset> plan(const QString& planNo) const
    {
        return std::make_shared<Recordset>(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 序号 = ")
                                                                    + sqlLiteral(planNo));
    }
    QString sqlText(const QString& sql) const
    {
        Recordset rs(folder.connection(), sql);
        return rs.hasCurrentRow() ? rs.text(0) : QStringLiteral("<none>");
    }
};

TEST_F(ImportPassTest, RecordNumbersContinueFromTheRowCountOfTheWholeTable)
{
    addOtherPlanTargets(10);
    addSource(QStringLiteral("('甲', '1', '100080', 1), ('乙', '2', '200000', 2), ('丙', '3', '300000', 3)"));
    QSignalSpy told(&state, &ProgramState::changed);
    const ImportOutcome outcome = importInto({"营销对象", "电话1"}, QStringLiteral("name, phone"));
    EXPECT_EQ(outcome.result, ImportOutcome::Result::Stored);
    EXPECT_EQ(outcome.rowsStored, 3);
    ASSERT_EQ(told.count(), 1);   // the windows showing P1's targets are told once
    const auto notice = told.first().first().value<ChangeNotice>();
    EXPECT_EQ(notice.table, ChangeNotice::Table::Targets);
    EXPECT_EQ(notice.planNo, QStringLiteral("P1"));

    auto rows = plan(QStringLiteral("P1"));
    ASSERT_EQ(rows->recordCount(), 3);
    const QStringList expected{"11", "12", "13"};
    const QStringList names{"甲", "乙", "丙"};
    for (int i = 0; i < 3; ++i) {
        rows->setAbsolutePosition(i + 1);
        EXPECT_EQ(rows->text(QStringLiteral("记录号")), expected[i]);
        EXPECT_EQ(rows->text(QStringLiteral("营销对象")), names[i]);
        EXPECT_EQ(rows->text(QStringLiteral("电话1")), QString::number(i + 1));
        EXPECT_EQ(rows->value(QStringLiteral("反馈合计")).toInt(), 0);   // counters keep their defaults
        EXPECT_EQ(rows->value(QStringLiteral("电话数")).toInt(), 0);
    }
    EXPECT_EQ(plan(QStringLiteral("P0"))->recordCount(), 10);
}

TEST_F(ImportPassTest, ValuesAreCutToTheFieldSizeAndTrimmedAndNullBecomesEmptyText)
{
    // 邮政编码 holds 20 characters: the cut falls among the blanks after 18 digits.
    addSource(QStringLiteral("('  北京甲公司  ', NULL, '123456789012345678     9', 13812345678)"));
    const ImportOutcome outcome = importInto({"营销对象", "电话1", "邮政编码", "电话2"}, QStringLiteral("name, phone, post, n"));
    EXPECT_EQ(outcome.cutValues, (QList<std::pair<QString, int>>{{QStringLiteral("邮政编码"), 1}}));   // the 9 is lost
    auto row = plan(QStringLiteral("P1"));
    ASSERT_EQ(row->recordCount(), 1);
    EXPECT_EQ(row->text(QStringLiteral("营销对象")), QStringLiteral("北京甲公司"));
    EXPECT_EQ(row->text(QStringLiteral("邮政编码")), QStringLiteral("123456789012345678"));
    EXPECT_EQ(row->text(QStringLiteral("电话2")), QStringLiteral("13812345678"));
    EXPECT_EQ(sqlText(QStringLiteral("Select CASE WHEN 电话1 IS NULL THEN 'null' ELSE 'text' END From \"clientTableInfo\"")),
              QStringLiteral("text"));
    EXPECT_EQ(sqlText(QStringLiteral("Select 电话1 From \"clientTableInfo\"")), QString());
    EXPECT_EQ(sqlText(QStringLiteral("Select CASE WHEN 传真 IS NULL THEN 'null' ELSE 'text' END From \"clientTableInfo\"")),
              QStringLiteral("null"));   // not mapped
}

// Most texts go across as their bytes; these are the ones the rules change, each stored as
// the rules give it: cut, trimmed, or read as Qt reads bytes that are not well-formed UTF-8.
TEST_F(ImportPassTest, TextsThatAreCutTrimmedOrNotWellFormedAreStoredAsTheRulesGiveThem)
{
    const QString thirty = QStringLiteral("一二三四五六七八九十").repeated(3);
    addSource(QStringLiteral("('甲　', CAST(x'41E4B842' AS TEXT), '12345678901234567890 ', 1), "
                             "(CAST(x'EFBBBF41' AS TEXT), ' 1', 'a𪚥𪚥𪚥𪚥𪚥𪚥𪚥𪚥𪚥𪚥', 2), "
                             "('0012', '%1', '%2', 3)")
                  .arg(thirty, thirty.left(20)));
    importInto({"营销对象", "电话1", "邮政编码"}, QStringLiteral("name, phone, post"));
    auto viaRules = [](const QByteArray& bytes, int size) {
        return QString::fromUtf8(TextRules::fieldText(QString::fromUtf8(bytes), size).toUtf8());
    };
    const QList<QStringList> expected{
        {QStringLiteral("甲"), viaRules("A\xE4\xB8" "B", 30), QStringLiteral("12345678901234567890")},
        {viaRules("\xEF\xBB\xBF" "A", 100), QStringLiteral("1"), viaRules(QStringLiteral("a𪚥𪚥𪚥𪚥𪚥𪚥𪚥𪚥𪚥𪚥").toUtf8(), 20)},
        {QStringLiteral("0012"), thirty, thirty.left(20)},
    };
    auto rows = plan(QStringLiteral("P1"));
    ASSERT_EQ(rows->recordCount(), 3);
    for (int i = 0; i < 3; ++i) {
        rows->setAbsolutePosition(i + 1);
        EXPECT_EQ(rows->text(QStringLiteral("营销对象")), expected[i][0]) << i;
        EXPECT_EQ(rows->text(QStringLiteral("电话1")), expected[i][1]) << i;
        EXPECT_EQ(rows->text(QStringLiteral("邮政编码")), expected[i][2]) << i;
    }
    EXPECT_EQ(expected[1][2].left(1 + 18), QStringLiteral("a𪚥𪚥𪚥𪚥𪚥𪚥𪚥𪚥𪚥"));   // nine whole, the tenth cut in half
    // Bytes that are not UTF-8 are stored as the text Qt reads from them, not as they were.
    Statement stored(store, QStringLiteral("Select 电话1 From \"clientTableInfo\" Where 记录号 = '1'"));
    ASSERT_TRUE(stored.step());
    EXPECT_EQ(stored.utf8At(0).toByteArray(), expected[0][1].toUtf8());
}

TEST_F(ImportPassTest, DatesAndNumbersOfTheSourceArriveInTheirTextForm)
{
    source->execute(QStringLiteral("CREATE TABLE \"Sheet1$\" (d DATE, amount REAL, whole INTEGER)"));
    source->execute(QStringLiteral("INSERT INTO \"Sheet1$\" VALUES ('2026-12-07', 12.5, 13812345678)"));
    Recordset rows(source, QStringLiteral("Select \"d\", \"amount\", \"whole\" From \"Sheet1$\""));
    ImportPass(state, rows, {"联系人1", "联系人2", "电话1"}, "P1").run();
    auto row = plan(QStringLiteral("P1"));
    ASSERT_EQ(row->recordCount(), 1);
    EXPECT_EQ(row->text(QStringLiteral("联系人1")), QStringLiteral("2026/12/7"));
    EXPECT_EQ(row->text(QStringLiteral("联系人2")), QStringLiteral("12.5"));
    EXPECT_EQ(row->text(QStringLiteral("电话1")), QStringLiteral("13812345678"));
}

TEST_F(ImportPassTest, APlanNumberWithAnApostropheIsStoredAsItIs)
{
    addSource(QStringLiteral("('甲', '1', '', 1)"));
    importInto({"营销对象"}, QStringLiteral("name"), QStringLiteral("O'K-1"));
    EXPECT_EQ(plan(QStringLiteral("O'K-1"))->recordCount(), 1);
}

TEST_F(ImportPassTest, ARefusedValueEndsThePassAndKeepsTheRowsBeforeIt)
{
    // A target table whose postal code is a number field refuses a text.
    store.execute(QStringLiteral("DROP TABLE \"clientTableInfo\""));
    store.execute(QStringLiteral("CREATE TABLE \"clientTableInfo\" (序号 TEXT(50), 营销对象 TEXT(100), 邮政编码 INTEGER, 记录号 TEXT(50))"));
    addSource(QStringLiteral("('甲', '', '100080', 1), ('乙', '', '不是数字', 2), ('丙', '', '300000', 3)"));
    const ImportOutcome outcome = importInto({"营销对象", "邮政编码"}, QStringLiteral("name, post"));
    EXPECT_EQ(outcome.result, ImportOutcome::Result::Refused);
    EXPECT_EQ(outcome.rowsStored, 1);
    EXPECT_TRUE(outcome.reason.contains(QStringLiteral("邮政编码")));
    auto rows = plan(QStringLiteral("P1"));
    ASSERT_EQ(rows->recordCount(), 1);
    EXPECT_EQ(rows->text(QStringLiteral("营销对象")), QStringLiteral("甲"));
    EXPECT_FALSE(store.inTransaction());
}

TEST_F(ImportPassTest, ACancelledPassStoresNothingEvenAfterReportedRows)
{
    addOtherPlanTargets(2);
    addNamedSources(600);
    QList<int> reports;
    const ImportOutcome outcome = importInto({"营销对象"}, QStringLiteral("name"), QStringLiteral("P1"), [&](int done) {
        reports << done;
        return reports.size() < 2;   // the user cancels at the second report
    });
    EXPECT_EQ(outcome.result, ImportOutcome::Result::Cancelled);
    EXPECT_EQ(outcome.rowsStored, 0);
    EXPECT_EQ(reports, QList<int>({ImportPass::ReportEvery, 2 * ImportPass::ReportEvery}));
    EXPECT_EQ(TargetRows::count(store), 2);
    EXPECT_FALSE(store.inTransaction());

    reports.clear();
    importInto({"营销对象"}, QStringLiteral("name"), QStringLiteral("P1"), [&](int done) {
        reports << done;
        return true;
    });
    EXPECT_EQ(reports, QList<int>({256, 512, 600}));   // the last row is always reported
    EXPECT_EQ(TargetRows::count(store), 602);
    EXPECT_EQ(sqlText(QStringLiteral("Select 记录号 From \"clientTableInfo\" Where 营销对象 = 'c599'")), QStringLiteral("602"));
}

TEST_F(ImportPassTest, UnpairedColumnsOrAnUnknownTargetFieldStoreNothing)
{
    addSource(QStringLiteral("('甲', '1', '', 1)"));
    Recordset rows(source, QStringLiteral("Select name, phone From src"));
    EXPECT_THROW(ImportPass(state, rows, {"营销对象"}, "P1"), DbError);
    ImportPass unknown(state, rows, {"营销对象", "手机"}, "P1");
    EXPECT_THROW(unknown.run(), DbError);
    EXPECT_EQ(TargetRows::count(store), 0);
}

TEST_F(ImportPassTest, EmptyingTheTableRemovesEveryPlansTargetsAtOnce)
{
    addOtherPlanTargets(4);
    store.execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('P1', '甲')"));
    EXPECT_EQ(TargetRows::deleteAll(state), 5);
    EXPECT_EQ(TargetRows::count(store), 0);
}

} // namespace

TEST_F(ImportPassTest, ADatabaseMadeReadOnlyDuringThePassIsReportedAndKeepsTheTableAsItWas)
{
    addOtherPlanTargets(2);
    addNamedSources(600);
    try {
        importInto({"营销对象"}, QStringLiteral("name"), QStringLiteral("P1"), [&](int) {
            Statement(store, QStringLiteral("PRAGMA query_only = 1")).step();
            return true;
        });
        ADD_FAILURE() << "the pass reported no failure";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("只读"))) << error.description().toStdString();
    }
    Statement(store, QStringLiteral("PRAGMA query_only = 0")).step();
    EXPECT_EQ(TargetRows::count(store), 2);
    EXPECT_FALSE(store.inTransaction());
}

TEST_F(ImportPassTest, DuplicatesOfThePlansTargetsOrOfEarlierRowsAreFoundAndCanBeSkipped)
{
    store.execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 记录号) VALUES "
                                 "('P1', 'ABC Ltd', '010-1', '1'), ('P0', '其他公司', '2', '2')"));
    addSource(QStringLiteral("(' abc ltd ', '010-1', '', 1),"   // the plan has it (blanks and letter case aside)
                             "('其他公司', '2', '', 2),"         // another plan's target: no duplicate
                             "('乙', '3', '', 3), ('乙', '3 ', '', 4),"   // the second repeats the first
                             "('乙', '4', '', 5), ('丙', NULL, '', 6), ('丙', '', '', 7)"));
    Recordset rows(source, QStringLiteral("Select name, phone From src"));
    ImportPass pass(state, rows, {"营销对象", "电话1"}, QStringLiteral("P1"));
    EXPECT_EQ(pass.countDuplicates(), 3);
    EXPECT_EQ(pass.duplicates().alreadyStored, 1);
    EXPECT_EQ(pass.duplicates().repeatedInSource, 2);
    ASSERT_EQ(pass.duplicates().first.size(), 3);
    EXPECT_EQ(pass.duplicates().first[0].number, 1);
    EXPECT_TRUE(pass.duplicates().first[0].alreadyStored);
    EXPECT_EQ(pass.duplicates().first[1].number, 4);
    EXPECT_EQ(pass.duplicates().first[1].name, QStringLiteral("乙"));
    EXPECT_FALSE(pass.duplicates().first[1].alreadyStored);
    const ImportOutcome outcome = pass.run({}, true);
    EXPECT_EQ(outcome.rowsStored, 4);
    EXPECT_EQ(outcome.duplicatesSkipped, 3);
    auto added = plan(QStringLiteral("P1"));
    QStringList stored;
    for (int i = 1; i <= added->recordCount(); ++i) {
        added->setAbsolutePosition(i);
        stored << added->text(QStringLiteral("营销对象")) + QLatin1Char('/') + added->text(QStringLiteral("记录号"));
    }
    EXPECT_EQ(stored, QStringList({"ABC Ltd/1", "其他公司/3", "乙/4", "乙/5", "丙/6"}));

    // Without 营销对象 among the targets nothing counts as a duplicate; without skipping all rows go in.
    Recordset phones(source, QStringLiteral("Select phone From src"));
    EXPECT_EQ(ImportPass(state, phones, {"电话1"}, QStringLiteral("P1")).countDuplicates(), 0);
    ImportPass all(state, rows, {"营销对象", "电话1"}, QStringLiteral("P1"));
    EXPECT_EQ(all.countDuplicates(), 7);
    EXPECT_EQ(all.run().rowsStored, 7);
}

TEST_F(ImportPassTest, RowsWithoutANameAreLeftOutWhenAskedAndCountedEitherWay)
{
    addSource(QStringLiteral("('甲', '1', '', 1), (NULL, '2', '', 2), ('   ', '3', '', 3), ('乙', '4', '', 4)"));
    Recordset rows(source, QStringLiteral("Select name, phone From src"));
    ImportPass skipping(state, rows, {"营销对象", "电话1"}, QStringLiteral("P1"));
    QList<int> first;
    EXPECT_EQ(skipping.countNameless(&first), 2);
    EXPECT_EQ(first, (QList<int>{2, 3}));
    EXPECT_EQ(skipping.countDuplicates(), 0);   // two rows without a name are no duplicates of each other
    const ImportOutcome skipped = skipping.run({}, false, true);
    EXPECT_EQ(skipped.rowsStored, 2);
    EXPECT_EQ(skipped.namelessSkipped, 2);
    EXPECT_EQ(sqlText(QStringLiteral("Select count(*) From \"clientTableInfo\" Where 营销对象 = ''")), QStringLiteral("0"));

    ImportPass keeping(state, rows, {"营销对象", "电话1"}, QStringLiteral("P2"));
    keeping.countNameless();
    const ImportOutcome kept = keeping.run({}, false, false);
    EXPECT_EQ(kept.rowsStored, 4);
    EXPECT_EQ(kept.namelessStored, 2);
}

// A value the store itself refuses (here a rule of the table) ends the pass on either engine
// the same way: every row before it stays, numbered on, and the store works on. The refused
// row comes after a whole batch of rows sent to a server, in the middle of the next.
TEST_F(ImportPassTest, AValueTheStoreRefusesKeepsTheRowsBeforeItOnEitherEngine)
{
    store.execute(QStringLiteral("DROP TABLE \"clientTableInfo\""));
    store.execute(QStringLiteral("CREATE TABLE \"clientTableInfo\" (序号 TEXT, 营销对象 TEXT, 邮政编码 TEXT CHECK (邮政编码 <> '拒收'), 记录号 TEXT)"));
    const int refusedRow = RowAppend::BatchRows + 100;
    addNamedSources(RowAppend::BatchRows + 200);
    source->execute(QStringLiteral("UPDATE src SET post = '拒收' WHERE n = %1").arg(refusedRow));
    const ImportOutcome outcome = importInto({"营销对象", "邮政编码"}, QStringLiteral("name, post"));
    EXPECT_EQ(outcome.result, ImportOutcome::Result::Refused);
    EXPECT_EQ(outcome.rowsStored, refusedRow);
    EXPECT_FALSE(outcome.reason.isEmpty());
    EXPECT_FALSE(store.inTransaction());
    // A table of the user's own has no row key: it is read by statements, not recordsets.
    Statement stored(store, QStringLiteral("Select COUNT(*), MAX(CAST(记录号 AS INTEGER)), SUM(CASE WHEN 营销对象 = ? THEN 1 ELSE 0 END) "
                                           "From \"clientTableInfo\""));
    stored.bind(1, QStringLiteral("c%1").arg(refusedRow - 1));
    ASSERT_TRUE(stored.step());
    EXPECT_EQ(stored.int64At(0), refusedRow);
    EXPECT_EQ(stored.int64At(1), refusedRow);
    EXPECT_EQ(stored.int64At(2), 1);

    source->execute(QStringLiteral("DELETE FROM src WHERE n >= %1").arg(refusedRow));
    EXPECT_EQ(importInto({"营销对象", "邮政编码"}, QStringLiteral("name, post"), QStringLiteral("P2")).rowsStored, refusedRow);
}

// A text holding a NUL goes across as its bytes; a server cannot hold it, and refuses it
// rather than store it cut at the NUL. A file keeps it whole.
TEST_F(ImportPassTest, ATextHoldingANulIsRefusedByAServerNeverStoredCut)
{
    addSource(QStringLiteral("('甲', '', '', 1), (CAST(x'E794B200E4B999' AS TEXT), '', '', 2), ('丙', '', '', 3)"));
    const ImportOutcome outcome = importInto({"营销对象"}, QStringLiteral("name"));
    if (TestEngine::onServer()) {
        EXPECT_EQ(outcome.result, ImportOutcome::Result::Refused);
        EXPECT_EQ(outcome.rowsStored, 1);
        EXPECT_TRUE(outcome.reason.contains(QStringLiteral("NUL"))) << outcome.reason.toStdString();
        EXPECT_EQ(plan(QStringLiteral("P1"))->recordCount(), 1);
    } else {
        EXPECT_EQ(outcome.rowsStored, 3);
        EXPECT_EQ(sqlText(QStringLiteral("Select 营销对象 From \"clientTableInfo\" Where 记录号 = '2'")),
                  QStringLiteral("甲") + QChar(0) + QStringLiteral("乙"));
    }
}

// On a server the pass loads its rows without the write lock: another seat stores meanwhile
// without waiting, and the pass's record numbers go on from the targets there are then.
TEST_F(ImportPassTest, OnAServerAnotherSeatStoresWhileTheRowsLoadAndTheNumbersFollowIt)
{
    if (!TestEngine::onServer())
        GTEST_SKIP() << "one copy of the program uses a database file at a time";
    addOtherPlanTargets(2);
    addNamedSources(600);
    const auto otherSeat = Connection::open(store.location());
    int othersStored = 0;
    const ImportOutcome outcome = importInto({"营销对象"}, QStringLiteral("name"), QStringLiteral("P1"), [&](int) {
        if (othersStored < 2) {
            Transaction write(*otherSeat);
            otherSeat->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('P0', '另一席位')"));
            write.commit();
            ++othersStored;
        }
        return true;
    });
    EXPECT_EQ(outcome.rowsStored, 600);
    EXPECT_EQ(TargetRows::count(store), 604);
    EXPECT_EQ(sqlText(QStringLiteral("Select 记录号 From \"clientTableInfo\" Where 营销对象 = 'c0'")), QStringLiteral("5"));
    EXPECT_EQ(sqlText(QStringLiteral("Select 记录号 From \"clientTableInfo\" Where 营销对象 = 'c599'")), QStringLiteral("604"));
}
