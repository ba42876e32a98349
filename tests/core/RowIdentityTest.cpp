// Rows keep their identity while other statements delete and add rows, and an edit never
// overwrites a row that is gone or was changed since it was read.
#include "support/SqlLiteral.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Statement.h"
#include "core/Schema.h"
#include "core/SqlText.h"
#include "core/Transaction.h"
#include "support/TempAppFolder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

class RowIdentityTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    std::shared_ptr<Connection> db = folder.connection();

    void addTarget(const QString& plan, const QString& name)
    {
        db->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES (%1, %2)")
                        .arg(sqlLiteral(plan), sqlLiteral(name)));
    }
    QString nameOfRow(const QString& where)
    {
        Recordset rs(db, QStringLiteral("Select * From \"clientTableInfo\" Where ") + where);
        return rs.recordCount() == 1 ? rs.text(QStringLiteral("营销对象")) : QStringLiteral("<%1 rows>").arg(rs.recordCount());
    }
};

TEST_F(RowIdentityTest, ARowAddedAfterADeletionIsNeverTakenForTheDeletedOne)
{
    addTarget("1", "甲公司");
    addTarget("1", "乙公司");
    Recordset plan1(db, QStringLiteral("Select * From \"clientTableInfo\" Where 序号 = '1'"));
    plan1.moveLast();   // 乙公司, the row with the highest key
    db->execute(QStringLiteral("DELETE FROM \"clientTableInfo\" Where 营销对象 = '乙公司'"));
    addTarget("2", "丙公司");   // plain SQLite would give it 乙公司's key

    // The recordset does not read the new row of plan 2 as its own…
    EXPECT_NE(plan1.text(QStringLiteral("营销对象")), QStringLiteral("丙公司"));
    // …and an edit of the deleted row is refused and changes nothing.
    plan1.setValue(QStringLiteral("营销对象"), QStringLiteral("改名"));
    EXPECT_THROW(plan1.update(), DbError);
    EXPECT_EQ(nameOfRow("序号 = '2'"), QStringLiteral("丙公司"));
    EXPECT_EQ(plan1.editMode(), Recordset::EditMode::None);
}

TEST_F(RowIdentityTest, KeysStayUniqueForRowsAddedByRecordsetsAndByStatements)
{
    addTarget("1", "a");
    addTarget("1", "b");
    db->execute(QStringLiteral("DELETE FROM \"clientTableInfo\""));
    Recordset rs(db, QStringLiteral("Select * From \"clientTableInfo\""));
    rs.addNew();
    rs.setValue(QStringLiteral("营销对象"), QStringLiteral("c"));
    rs.update();
    addTarget("1", "d");
    rs.requery();
    ASSERT_EQ(rs.recordCount(), 2);
    // The keys handed out after the deletion are past those the deleted rows had.
    Statement keys(*db, QStringLiteral("SELECT min(rowid), count(DISTINCT rowid) FROM \"clientTableInfo\""));
    ASSERT_TRUE(keys.step());
    EXPECT_GT(keys.int64At(0), 2);
    EXPECT_EQ(keys.int64At(1), 2);
}

TEST_F(RowIdentityTest, DeletingARowThatIsGoneIsAnErrorAndDeletesNothingElse)
{
    addTarget("1", "甲");
    addTarget("1", "乙");
    Recordset stale(db, QStringLiteral("Select * From \"clientTableInfo\""));
    stale.moveLast();
    db->execute(QStringLiteral("DELETE FROM \"clientTableInfo\" Where 营销对象 = '乙'"));
    addTarget("2", "丙");
    EXPECT_THROW(stale.deleteCurrent(), DbError);
    EXPECT_EQ(nameOfRow("序号 = '2'"), QStringLiteral("丙"));
    EXPECT_EQ(nameOfRow("序号 = '1'"), QStringLiteral("甲"));
}

TEST_F(RowIdentityTest, AnEditIsRefusedWhenAnotherStatementChangedTheRowMeanwhile)
{
    addTarget("1", "甲");
    Recordset first(db, QStringLiteral("Select * From \"clientTableInfo\""));
    Recordset second(db, QStringLiteral("Select * From \"clientTableInfo\""));
    first.setValue(QStringLiteral("地址"), QStringLiteral("北京"));   // the edit starts here
    second.setValue(QStringLiteral("电话数"), 5);
    second.update();
    try {
        first.update();
        FAIL() << "the edit overwrote a change it never saw";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("其他操作")));
    }
    Recordset check(db, QStringLiteral("Select * From \"clientTableInfo\""));
    EXPECT_EQ(check.value(QStringLiteral("电话数")).toInt(), 5);
    EXPECT_EQ(check.text(QStringLiteral("地址")), QString());
    // The recordset is not stuck on the refused edit: it moves and edits again.
    first.moveFirst();
    first.setValue(QStringLiteral("地址"), QStringLiteral("上海"));
    EXPECT_NO_THROW(first.update());
}

TEST_F(RowIdentityTest, ADatabaseWithoutTheKeyBookkeepingGetsItWhenOpened)
{
    const QString path = folder.filePath(QStringLiteral("older.db"));
    {
        auto old = Connection::create(path);
        old->executeScript(Schema::script());
        EXPECT_FALSE(old->hasRowMarks());
    }
    auto reopened = Connection::open(path);
    Schema::ensureRowMarks(*reopened);
    Schema::ensureRowMarks(*reopened);   // a second time changes nothing
    EXPECT_TRUE(reopened->hasRowMarks());
    EXPECT_NO_THROW(Schema::checkMainDatabase(*reopened));
}

TEST_F(RowIdentityTest, AnEmptyOrForeignFileIsNotTakenForTheProgramsDatabase)
{
    const QString empty = folder.filePath(QStringLiteral("empty.db"));
    QFile(empty).open(QIODevice::WriteOnly);
    auto connection = Connection::open(empty);
    try {
        Schema::checkMainDatabase(*connection);
        FAIL() << "an empty file passed as the database";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("planTable")));
    }
}

TEST_F(RowIdentityTest, MessagesNeverShowTheStatementText)
{
    try {
        Recordset rs(db, QStringLiteral("Select * From noSuchTable Where 序号 = 'x'"));
        FAIL();
    } catch (const DbError& error) {
        EXPECT_FALSE(error.description().contains(QStringLiteral("Select"), Qt::CaseInsensitive));
        EXPECT_TRUE(error.description().contains(QStringLiteral("noSuchTable")));
    }
    addTarget("1", "甲");
    Recordset rs(db, QStringLiteral("Select * From \"clientTableInfo\""));
    try {
        rs.setFilter({FieldTest::contains(QStringLiteral("营销对象"), QString(60000, QLatin1Char('%')))});
        rs.recordCount();
    } catch (const DbError& error) {
        EXPECT_FALSE(error.description().contains(QStringLiteral("like"), Qt::CaseInsensitive));
        EXPECT_FALSE(error.description().contains(QStringLiteral("pattern")));
    }
}

TEST_F(RowIdentityTest, ANegativeCountIsRefusedLikeOtherValuesTheFieldRefuses)
{
    addTarget("1", "甲");
    Recordset rs(db, QStringLiteral("Select * From \"clientTableInfo\""));
    EXPECT_THROW(rs.setValue(QStringLiteral("电话数"), -1), DbError);
    EXPECT_EQ(rs.editMode(), Recordset::EditMode::None);
    EXPECT_NO_THROW(rs.setValue(QStringLiteral("电话数"), 0));
}

TEST_F(RowIdentityTest, ABusyDatabaseIsReportedAsBusyNotAsUnreadable)
{
    const QString path = folder.databasePath();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        auto connection = Connection::open(path);
        FAIL() << "opened a database another program holds locked";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("正被其他程序使用"))) << error.description().toStdString();
        EXPECT_FALSE(error.description().contains(QStringLiteral("无法识别")));
    }
    sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

} // namespace

TEST_F(RowIdentityTest, ARowAddedAfterDeletingTheLastOneReadsAndEditsAsItselfWithoutARequery)
{
    Recordset rs(db, QStringLiteral("Select * From \"clientTableInfo\""));
    auto add = [&](const QString& name) {
        rs.addNew();
        rs.setValue(QStringLiteral("营销对象"), name);
        rs.update();
    };
    add(QStringLiteral("a"));
    add(QStringLiteral("b"));
    rs.moveLast();
    rs.deleteCurrent();   // b had the highest key
    add(QStringLiteral("c"));

    EXPECT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.text(QStringLiteral("营销对象")), QStringLiteral("c"));
    rs.setValue(QStringLiteral("营销对象"), QStringLiteral("c2"));
    EXPECT_NO_THROW(rs.update());
    EXPECT_EQ(nameOfRow(QStringLiteral("营销对象 <> 'a'")), QStringLiteral("c2"));
    rs.moveFirst();
    EXPECT_EQ(rs.text(QStringLiteral("营销对象")), QStringLiteral("a"));
}
