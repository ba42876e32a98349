// The record store as the windows use it, against a real database built from the schema.
#include "support/SqlLiteral.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"
#include "support/TempAppFolder.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class RecordsetTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    std::shared_ptr<Connection> db = folder.connection();

    std::shared_ptr<Recordset> open(const QString& sql) { return std::make_shared<Recordset>(db, sql); }

    void addTarget(const QString& plan, const QString& name, int total = 0)
    {
        db->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) VALUES (%1, %2, %3)")
                        .arg(sqlLiteral(plan), sqlLiteral(name))
                        .arg(total));
    }

    QStringList names(Recordset& rs)
    {
        QStringList out;
        for (int i = 0; i < rs.recordCount(); ++i)
            out << rs.valueAt(i, rs.fieldIndex(QStringLiteral("营销对象"))).toString();
        return out;
    }

    int countRows(const QString& where)
    {
        Recordset rs(db, QStringLiteral("Select * From \"clientTableInfo\" Where ") + where);
        return rs.recordCount();
    }
};

TEST_F(RecordsetTest, EmptyRecordsetIsAtBothEndsAndHasNoCurrentRow)
{
    auto rs = open(QStringLiteral("Select * From \"marketingComment\""));
    EXPECT_TRUE(rs->isBOF());
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_EQ(TextRules::positionText(rs->absolutePosition(), rs->recordCount()), QStringLiteral("0/0"));
    rs->moveFirst();
    rs->moveNext();
    rs->movePrevious();
    rs->moveLast();
    EXPECT_TRUE(rs->isEOF());
    EXPECT_THROW(rs->value(0), DbError);
    EXPECT_THROW(rs->setValue(0, QStringLiteral("x")), DbError);
    EXPECT_THROW(rs->deleteCurrent(), DbError);
    EXPECT_EQ(rs->pageCount(), 0);
}

TEST_F(RecordsetTest, MovesStopAtBothEndsAndCallersReturnToTheRows)
{
    for (const char* name : {"甲", "乙", "丙"})
        addTarget(QStringLiteral("1"), QString::fromUtf8(name));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    EXPECT_EQ(rs->absolutePosition(), 1);
    rs->movePrevious();
    EXPECT_TRUE(rs->isBOF());
    EXPECT_FALSE(rs->isEOF());
    EXPECT_EQ(rs->absolutePosition(), Recordset::PosBOF);
    rs->moveFirst();
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("甲"));
    rs->moveLast();
    EXPECT_EQ(rs->absolutePosition(), 3);
    rs->moveNext();
    EXPECT_TRUE(rs->isEOF());
    rs->moveNext();   // staying at the end, as the navigation buttons rely on
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->absolutePosition(), Recordset::PosEOF);
    rs->moveLast();
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("丙"));
    rs->setAbsolutePosition(2);
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("乙"));
    EXPECT_EQ(TextRules::positionText(rs->absolutePosition(), rs->recordCount()), QStringLiteral("2/3"));
}

TEST_F(RecordsetTest, RowsComeInTheOrderTheyWereAddedAndTiesKeepIt)
{
    addTarget(QStringLiteral("1"), QStringLiteral("c"), 2);
    addTarget(QStringLiteral("1"), QStringLiteral("a"), 5);
    addTarget(QStringLiteral("1"), QStringLiteral("b"), 2);
    db->execute(QStringLiteral("DELETE FROM \"clientTableInfo\" Where 营销对象 = 'b'"));
    addTarget(QStringLiteral("1"), QStringLiteral("d"), 2);
    auto plain = open(QStringLiteral("Select * From \"clientTableInfo\""));
    EXPECT_EQ(names(*plain), QStringList({"c", "a", "d"}));
    auto ordered = open(QStringLiteral("Select 序号, 营销对象 From \"clientTableInfo\" Where 序号 = '1' Order By 反馈合计 desc"));
    EXPECT_EQ(names(*ordered), QStringList({"a", "c", "d"}));
    EXPECT_EQ(ordered->fieldCount(), 2);
    EXPECT_EQ(ordered->field(1).name, QStringLiteral("营销对象"));
}

TEST_F(RecordsetTest, AddNewThenCancelLeavesRowsAndPositionAsTheyWere)
{
    addTarget(QStringLiteral("1"), QStringLiteral("甲"));
    addTarget(QStringLiteral("1"), QStringLiteral("乙"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    rs->moveLast();
    rs->addNew();
    EXPECT_EQ(rs->editMode(), Recordset::EditMode::Adding);
    EXPECT_FALSE(rs->isEOF());
    rs->setValue(QStringLiteral("营销对象"), QStringLiteral("丙"));
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("丙"));
    EXPECT_EQ(rs->value(QStringLiteral("电话数")).toInt(), 0);   // the counter's default shows at once
    rs->cancelUpdate();
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("乙"));
    EXPECT_EQ(countRows(QStringLiteral("1 = 1")), 2);
}

TEST_F(RecordsetTest, AddNewThenUpdateAppendsTheRowWithItsDefaults)
{
    addTarget(QStringLiteral("1"), QStringLiteral("甲"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    QSignalSpy reset(rs.get(), &Recordset::rowsReset);
    rs->addNew();
    rs->setValue(QStringLiteral("序号"), QStringLiteral("1"));
    rs->setValue(QStringLiteral("营销对象"), QStringLiteral("新客户"));
    rs->update();
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("新客户"));
    EXPECT_EQ(rs->value(QStringLiteral("反馈合计")), QVariant(qint64(0)));
    EXPECT_TRUE(rs->value(QStringLiteral("电话1")).isNull());
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(countRows(QStringLiteral("营销对象 = '新客户' And 反馈合计 = 0")), 1);
}

TEST_F(RecordsetTest, EditsAreStoredByUpdateOrByMovingAndUndoneByCancel)
{
    addTarget(QStringLiteral("1"), QStringLiteral("甲"));
    addTarget(QStringLiteral("1"), QStringLiteral("乙"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    rs->setValue(QStringLiteral("电话数"), 3);
    EXPECT_EQ(rs->editMode(), Recordset::EditMode::Editing);
    rs->cancelUpdate();
    EXPECT_EQ(rs->value(QStringLiteral("电话数")).toInt(), 0);

    rs->setValue(QStringLiteral("电话数"), 3);
    rs->update();
    rs->moveNext();
    rs->setValue(QStringLiteral("电话数"), QStringLiteral("7"));
    rs->moveFirst();   // moving stores the pending edit, as the grid relies on
    EXPECT_EQ(countRows(QStringLiteral("营销对象 = '甲' And 电话数 = 3")), 1);
    EXPECT_EQ(countRows(QStringLiteral("营销对象 = '乙' And 电话数 = 7")), 1);
    EXPECT_EQ(rs->valueAt(1, rs->fieldIndex(QStringLiteral("电话数"))).toInt(), 7);
}

TEST_F(RecordsetTest, RefusedValuesChangeNothing)
{
    addTarget(QStringLiteral("1"), QStringLiteral("甲"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    EXPECT_THROW(rs->setValue(QStringLiteral("电话数"), QStringLiteral("三")), DbError);
    EXPECT_THROW(rs->setValue(QStringLiteral("电话1"), QString(31, QLatin1Char('9'))), DbError);
    EXPECT_THROW(rs->setValue(QStringLiteral("没有这个字段"), 1), DbError);
    EXPECT_EQ(rs->editMode(), Recordset::EditMode::None);
    rs->setValue(QStringLiteral("电话1"), QString(30, QLatin1Char('9')));   // exactly the declared width
    rs->update();
    EXPECT_EQ(rs->text(QStringLiteral("电话1")).size(), 30);
}

TEST_F(RecordsetTest, DeleteThenMoveNextGoesToTheFollowingRow)
{
    for (const char* name : {"甲", "乙", "丙"})
        addTarget(QStringLiteral("1"), QString::fromUtf8(name));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    rs->moveNext();
    rs->deleteCurrent();
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_THROW(rs->value(0), DbError);   // the deleted row stays current until a move
    rs->moveNext();
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("丙"));
    rs->deleteCurrent();
    rs->moveNext();
    EXPECT_TRUE(rs->isEOF());
    rs->moveLast();
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("甲"));
    EXPECT_EQ(countRows(QStringLiteral("1 = 1")), 1);
}

TEST_F(RecordsetTest, FilterNarrowsTheRowsKeepingTheirOrderAndZeroRemovesIt)
{
    addTarget(QStringLiteral("1"), QStringLiteral("北京未知客户"));
    addTarget(QStringLiteral("2"), QStringLiteral("未知客户"));
    addTarget(QStringLiteral("1"), QStringLiteral("上海公司"));
    addTarget(QStringLiteral("1"), QStringLiteral("未知客户二"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    QSignalSpy reset(rs.get(), &Recordset::rowsReset);
    rs->setFilter({FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("未知客户")),
                   FieldTest::equals(QStringLiteral("序号"), QStringLiteral("1"))});
    EXPECT_EQ(names(*rs), QStringList({"北京未知客户", "未知客户二"}));
    EXPECT_EQ(rs->absolutePosition(), 1);
    EXPECT_EQ(reset.count(), 1);
    rs->setFilter({FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("没有"))});
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_TRUE(rs->isEOF());
    rs->clearFilter();
    EXPECT_EQ(rs->recordCount(), 4);
    EXPECT_TRUE(rs->filter().isEmpty());
    // A filter on a field the table does not have is refused and leaves the rows as they were.
    EXPECT_THROW(rs->setFilter({FieldTest::equals(QStringLiteral("没有的字段"), 1)}), DbError);
    EXPECT_EQ(rs->recordCount(), 4);
}

TEST_F(RecordsetTest, ApostrophesPercentSignsAndLetterCaseAreData)
{
    addTarget(QStringLiteral("O'Neil's"), QStringLiteral("100% 满意"));
    addTarget(QStringLiteral("x"), QStringLiteral("1005 满意"));
    addTarget(QStringLiteral("x"), QStringLiteral("ACME_Ltd"));
    addTarget(QStringLiteral("x"), QStringLiteral("ACMEXLtd"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\" Where 序号 = ") + sqlLiteral(QStringLiteral("o'neil's")));
    ASSERT_EQ(rs->recordCount(), 1);   // texts compare without regard to letter case
    EXPECT_EQ(rs->text(QStringLiteral("序号")), QStringLiteral("O'Neil's"));

    auto all = open(QStringLiteral("Select * From \"clientTableInfo\""));
    all->setFilter({FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("100%"))});
    EXPECT_EQ(names(*all), QStringList({"100% 满意"}));
    all->setFilter({FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("e_l"))});
    EXPECT_EQ(names(*all), QStringList({"ACME_Ltd"}));
    all->setFilter({FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("acme"))});
    EXPECT_EQ(all->recordCount(), 2);

    EXPECT_EQ(db->execute(QStringLiteral("DELETE FROM \"clientTableInfo\" Where 序号 = ") + sqlLiteral(QStringLiteral("O'Neil's"))), 1);
}

TEST_F(RecordsetTest, FindSearchesForwardFromTheCurrentRowWithoutSkippingIt)
{
    for (const char* plan : {"1", "2", "1", "3"})
        addTarget(QString::fromUtf8(plan), QStringLiteral("t"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    rs->find({FieldTest::equals(QStringLiteral("序号"), QStringLiteral("1"))});
    EXPECT_EQ(rs->absolutePosition(), 1);
    rs->moveNext();
    rs->find({FieldTest::equals(QStringLiteral("序号"), QStringLiteral("1"))});
    EXPECT_EQ(rs->absolutePosition(), 3);
    rs->find({FieldTest::equals(QStringLiteral("序号"), QStringLiteral("1"))});
    EXPECT_EQ(rs->absolutePosition(), 3);
    rs->moveNext();
    rs->find({FieldTest::equals(QStringLiteral("序号"), QStringLiteral("1"))});
    EXPECT_TRUE(rs->isEOF());
    rs->moveFirst();
    rs->find({FieldTest::equals(QStringLiteral("序号"), QStringLiteral("9"))});
    EXPECT_TRUE(rs->isEOF());
}

TEST_F(RecordsetTest, PagingOf41RowsAt40PerPageGivesTwoPages)
{
    for (int i = 1; i <= 41; ++i)
        addTarget(QStringLiteral("1"), QString::number(i));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    rs->setPageSize(40);
    EXPECT_EQ(rs->pageCount(), 2);
    EXPECT_EQ(rs->absolutePage(), 1);
    rs->setAbsolutePage(2);
    EXPECT_EQ(rs->absolutePosition(), 41);
    EXPECT_EQ(rs->absolutePage(), 2);
    rs->setAbsolutePosition(40);
    EXPECT_EQ(rs->absolutePage(), 1);
    rs->setAbsolutePosition(42);   // past the end, as the report's loop does it
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->absolutePage(), Recordset::PosEOF);
    rs->setPageSize(41);
    EXPECT_EQ(rs->pageCount(), 1);
    EXPECT_THROW(rs->setAbsolutePage(2), DbError);
}

TEST_F(RecordsetTest, BookmarkReturnsToTheRememberedRow)
{
    for (int i = 1; i <= 5; ++i)
        addTarget(QStringLiteral("1"), QString::number(i));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    rs->setAbsolutePosition(3);
    const auto mark = rs->bookmark();
    rs->moveFirst();
    while (!rs->isEOF())
        rs->moveNext();
    rs->setBookmark(mark);
    EXPECT_EQ(rs->absolutePosition(), 3);
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("3"));
    rs->setFilter({FieldTest::equals(QStringLiteral("营销对象"), QStringLiteral("1"))});
    EXPECT_THROW(rs->setBookmark(mark), DbError);
}

TEST_F(RecordsetTest, FieldsTellTheirNamesKindsAndDeclaredSizes)
{
    auto targets = open(QStringLiteral("Select * From \"clientTableInfo\""));
    EXPECT_EQ(targets->field(targets->fieldIndex(QStringLiteral("营销对象"))).declaredSize, 100);
    EXPECT_EQ(targets->field(targets->fieldIndex(QStringLiteral("电话1"))).declaredSize, 30);
    EXPECT_EQ(targets->field(targets->fieldIndex(QStringLiteral("反馈合计"))).kind, FieldInfo::Kind::Integer);
    auto plans = open(QStringLiteral("Select * From \"planTable\""));
    EXPECT_EQ(plans->field(9).name, QStringLiteral("内容"));
    EXPECT_EQ(plans->field(9).kind, FieldInfo::Kind::LongText);
    EXPECT_GT(plans->field(9).declaredSize, 1000000);
    auto days = open(QStringLiteral("Select * From \"feedbackTable\""));
    EXPECT_EQ(days->field(days->fieldIndex(QStringLiteral("时间"))).kind, FieldInfo::Kind::Date);
    EXPECT_EQ(days->fieldIndex(QStringLiteral("反馈合计（至今日）")), 15);
}

TEST_F(RecordsetTest, DatesAreStoredFromTextAndReadBackAsDates)
{
    auto days = open(QStringLiteral("Select * From \"feedbackTable\" Where 序号 = '1'"));
    days->addNew();
    days->setValue(QStringLiteral("序号"), QStringLiteral("1"));
    days->setValue(QStringLiteral("时间"), QStringLiteral("2026/12/7"));
    days->update();
    EXPECT_EQ(days->value(QStringLiteral("时间")), QVariant(QDate(2026, 12, 7)));
    EXPECT_EQ(days->text(QStringLiteral("时间")), QStringLiteral("2026/12/7"));
    days->setValue(QStringLiteral("时间"), QDate(2027, 1, 2));
    days->update();
    EXPECT_EQ(days->text(QStringLiteral("时间")), QStringLiteral("2027/1/2"));
    EXPECT_THROW(days->setValue(QStringLiteral("时间"), QStringLiteral("昨天")), DbError);
    EXPECT_THROW(days->setValue(QStringLiteral("时间"), QStringLiteral("2026/2/30")), DbError);
}

TEST_F(RecordsetTest, BracketedNamesAndTheStatementTextsOfTheWindowsRun)
{
    db->execute(QStringLiteral("INSERT INTO \"marketingComment\" (\"序号\", \"规模（数量）\") VALUES ('7', '300')"));
    auto plans = open(QStringLiteral("Select \"序号\", \"规模（数量）\" From \"marketingComment\""));
    ASSERT_EQ(plans->recordCount(), 1);
    EXPECT_EQ(plans->text(QStringLiteral("规模（数量）")), QStringLiteral("300"));
    plans->setValue(1, QStringLiteral("400"));
    plans->update();

    db->execute(QStringLiteral("INSERT INTO \"feedbackTable\" (序号) VALUES ('7')"));
    addTarget(QStringLiteral("7"), QStringLiteral("a"), 0);
    addTarget(QStringLiteral("7"), QStringLiteral("b"), 2);
    EXPECT_EQ(open(QStringLiteral("Select * From \"clientTableInfo\" Where 反馈合计 >= 1 And 序号 = '7'"))->recordCount(), 1);
    EXPECT_EQ(db->execute(QStringLiteral("DELETE FROM \"feedbackTable\" Where 序号 = '7'")), 1);
    EXPECT_EQ(db->execute(QStringLiteral("DELETE FROM \"clientTableInfo\"  Where 序号 = '7'")), 2);
    EXPECT_EQ(db->execute(QStringLiteral("DELETE FROM \"clientTableInfo\" Where 反馈合计 = 0")), 0);
    EXPECT_EQ(open(QStringLiteral("Select * From \"marketingComment\""))->text(QStringLiteral("规模（数量）")), QStringLiteral("400"));
}

TEST_F(RecordsetTest, StatementsOverMoreThanOneTableAreReadWholeAndCannotBeWritten)
{
    addTarget(QStringLiteral("1"), QStringLiteral("a"), 2);
    addTarget(QStringLiteral("1"), QStringLiteral("b"), 3);
    auto sum = open(QStringLiteral("Select 序号, sum(反馈合计) As total From \"clientTableInfo\" Group By 序号"));
    EXPECT_FALSE(sum->isUpdatable());
    ASSERT_EQ(sum->recordCount(), 1);
    EXPECT_EQ(sum->value(QStringLiteral("total")).toInt(), 5);
    EXPECT_THROW(sum->setValue(0, QStringLiteral("2")), DbError);
    EXPECT_THROW(sum->addNew(), DbError);
}

TEST_F(RecordsetTest, ChangesMadeThroughOneRecordsetAreSeenByAnother)
{
    addTarget(QStringLiteral("1"), QStringLiteral("甲"));
    auto reader = open(QStringLiteral("Select * From \"clientTableInfo\""));
    EXPECT_EQ(reader->value(QStringLiteral("电话数")).toInt(), 0);
    auto writer = open(QStringLiteral("Select * From \"clientTableInfo\""));
    writer->setValue(QStringLiteral("电话数"), 4);
    writer->update();
    EXPECT_EQ(reader->value(QStringLiteral("电话数")).toInt(), 4);
    writer->deleteCurrent();
    EXPECT_TRUE(reader->value(QStringLiteral("电话数")).isNull());   // gone, read as empty
}

TEST_F(RecordsetTest, ManyRowsReadCorrectlyInAnyOrderThroughTheBoundedCache)
{
    db->execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) SELECT '1', 'name' || i, i FROM n"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    ASSERT_EQ(rs->recordCount(), 20000);
    const int total = rs->fieldIndex(QStringLiteral("反馈合计"));
    for (int row = 19999; row >= 0; row -= 7)
        ASSERT_EQ(rs->valueAt(row, total).toInt(), row + 1);
    rs->setAbsolutePosition(12345);
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("name12345"));
    rs->setFilter({FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("999"))});
    EXPECT_EQ(rs->recordCount(), 38);   // the numbers up to 20000 that hold 999
}

TEST_F(RecordsetTest, SignalsTellOfMovesAndValueChanges)
{
    addTarget(QStringLiteral("1"), QStringLiteral("甲"));
    addTarget(QStringLiteral("1"), QStringLiteral("乙"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    QSignalSpy moved(rs.get(), &Recordset::currentRowChanged);
    QSignalSpy changed(rs.get(), &Recordset::rowValuesChanged);
    rs->moveNext();
    rs->setValue(QStringLiteral("电话数"), 1);
    rs->update();
    EXPECT_EQ(moved.count(), 1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 1);
}

} // namespace

namespace {

// Records what a recordset hands over instead of storing it, and answers as told.
class RecordingWriter : public RowWriter {
public:
    QList<Values> inserted;
    QList<std::pair<qint64, Values>> updated;
    QList<qint64> deleted;
    bool rowStillAsRead = true;

    qint64 insertRow(const Values& values) override
    {
        inserted << values;
        return 1000 + inserted.size();
    }
    bool updateRow(qint64 key, const Values& changes, const Values& expected) override
    {
        EXPECT_EQ(expected.value(QStringLiteral("营销对象")), QStringLiteral("甲"));
        updated << std::pair{key, changes};
        return rowStillAsRead;
    }
    void deleteRow(qint64 key) override { deleted << key; }
};

TEST_F(RecordsetTest, AWriterStoresEveryChangeAndTheRecordsetNone)
{
    addTarget(QStringLiteral("P1"), QStringLiteral("甲"));
    addTarget(QStringLiteral("P1"), QStringLiteral("乙"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    RecordingWriter writer;
    rs->setRowWriter(&writer);

    rs->setValue(QStringLiteral("地址"), QStringLiteral("北京"));
    rs->moveNext();   // leaving the edited row hands it over
    ASSERT_EQ(writer.updated.size(), 1);
    EXPECT_EQ(writer.updated[0].second, RowWriter::Values({{QStringLiteral("地址"), QStringLiteral("北京")}}));
    EXPECT_EQ(rs->absolutePosition(), 2);

    rs->addNew();
    rs->setValue(QStringLiteral("营销对象"), QStringLiteral("丙"));
    rs->update();
    ASSERT_EQ(writer.inserted.size(), 1);
    EXPECT_EQ(writer.inserted[0].value(QStringLiteral("营销对象")), QStringLiteral("丙"));
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->bookmark(), 1001);   // the new row is known by the key the writer gave it

    rs->moveFirst();
    const qint64 first = rs->bookmark();
    rs->deleteCurrent();
    EXPECT_EQ(writer.deleted, QList<qint64>{first});
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(countRows(QStringLiteral("1 = 1")), 2);   // the store itself was never touched
    EXPECT_EQ(countRows(QStringLiteral("地址 = '北京'")), 0);
}

TEST_F(RecordsetTest, AnEditTheWriterFindsOutdatedIsDroppedAndSaidSo)
{
    addTarget(QStringLiteral("P1"), QStringLiteral("甲"));
    auto rs = open(QStringLiteral("Select * From \"clientTableInfo\""));
    RecordingWriter writer;
    writer.rowStillAsRead = false;
    rs->setRowWriter(&writer);
    rs->setValue(QStringLiteral("地址"), QStringLiteral("北京"));
    EXPECT_THROW(rs->update(), DbError);
    EXPECT_EQ(rs->editMode(), Recordset::EditMode::None);
}

} // namespace
