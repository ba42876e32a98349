// The database file, its schema, statements sent elsewhere, and writes that belong together.
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "core/SqlText.h"
#include "core/Transaction.h"
#include "support/TempAppFolder.h"
#include "support/TestEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList fieldNames(Connection& db, const QString& table)
{
    QStringList names;
    for (const FieldInfo& f : db.fields(table))
        names << f.name;
    return names;
}

TEST(SchemaTest, EveryTableAndFieldHasItsExactNameInOrder)
{
    TempAppFolder folder;
    Connection& db = *folder.connection();
    QStringList tables;
    QStringList systemTables;
    for (const auto& t : db.tables())
        (t.type == "TABLE" ? tables : systemTables) << t.name;
    EXPECT_EQ(tables, QStringList({"planTable", "marketingComment", "feedbackTable", "clientTableInfo", "productDF"}));
    // A file keeps the highest row key of each table itself; a server never reuses a key. A server keeps
    // the version of its tables in a table of its own (a file in its header).
    EXPECT_EQ(systemTables, TestEngine::onServer() ? QStringList({"marquel_schema_version"}) : QStringList({"marquel_row_marks"}));
    EXPECT_EQ(fieldNames(db, "planTable"),
              QStringList({"序号", "题目", "时间周期", "地区", "方式", "营销对象描述", "规模（数量）", "预计反馈数", "费用", "内容"}));
    EXPECT_EQ(fieldNames(db, "marketingComment"),
              QStringList({"序号", "题目", "规模（数量）", "预计反馈数", "时间周期", "费用", "反馈合计", "反馈率"}));
    EXPECT_EQ(fieldNames(db, "feedbackTable"),
              QStringList({"序号", "时间", "题目", "电话数", "传真数", "Email数", "信函数", "面访人数", "参观人数",
                           "产品1计数", "产品2计数", "产品3计数", "产品4计数", "产品5计数",
                           "反馈合计（当日）", "反馈合计（至今日）", "反馈内容"}));
    EXPECT_EQ(fieldNames(db, "clientTableInfo"),
              QStringList({"序号", "营销对象", "电话1", "电话2", "传真", "Email", "联系人1", "联系人2", "地址", "邮政编码",
                           "电话数", "传真数", "Email数", "信函数", "面访人数", "参观人数",
                           "产品1计数", "产品2计数", "产品3计数", "产品4计数", "产品5计数", "反馈合计", "记录号"}));
    EXPECT_EQ(db.fields("productDF").size(), 5);
}

TEST(SchemaTest, ProductMappingStartsWithOneRowOfFiveEmptyNames)
{
    TempAppFolder folder;
    Recordset products(folder.connection(), QStringLiteral("Select * From \"productDF\""));
    ASSERT_EQ(products.recordCount(), 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(products.value(i), QVariant(QString()));
}

TEST(SchemaTest, AnExistingDatabaseIsNeverRebuilt)
{
    TempAppFolder folder;
    Connection::open(folder.databasePath())->execute(QStringLiteral("INSERT INTO \"planTable\" (序号) VALUES ('用户的计划')"));
    EXPECT_FALSE(Schema::ensureMainDatabase(folder.databasePath()));
    EXPECT_FALSE(Schema::ensureExportDatabase(folder.filePath(Schema::ExportDatabaseName)));
    EXPECT_THROW(Schema::createMainDatabase(folder.databasePath()), DbError);
    auto reopened = Connection::open(folder.databasePath());
    EXPECT_EQ(Recordset(reopened, QStringLiteral("Select * From \"planTable\"")).recordCount(), 1);
}

TEST(ConnectionTest, AMissingOrForeignFileIsRefusedWithItsName)
{
    TempAppFolder folder;
    const QString missing = folder.filePath(QStringLiteral("没有.db"));
    try {
        Connection::open(missing);
        FAIL() << "a missing database opened";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(missing));
    }
    EXPECT_FALSE(QFileInfo::exists(missing));   // nothing is created in its place

    const QString garbage = folder.filePath(QStringLiteral("garbage.db"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_THROW(Connection::open(garbage), DbError);
}

TEST(ConnectionTest, ABrokenStatementReportsTheDatabasesDescription)
{
    TempAppFolder folder;
    try {
        folder.connection()->execute(QStringLiteral("DELETE FROM \"noSuchTable\""));
        FAIL();
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("noSuchTable")));
    }
}

// A window tells failures apart by their kind, whichever engine reported them.
TEST(ConnectionTest, AFailureHasTheSameKindOnAFileAndOnAServer)
{
    TempAppFolder folder;
    const auto kindOf = [](const std::function<void()>& work) {
        try {
            work();
        } catch (const DbError& error) {
            return error.kind();
        }
        ADD_FAILURE() << "no failure";
        return StoreFailure::Other;
    };
    auto db = folder.connection();
    db->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话数) VALUES ('P1', '甲', 1)"));
    EXPECT_EQ(kindOf([&] { db->execute(QStringLiteral("DELETE FROM \"noSuchTable\"")); }), StoreFailure::Other);

    Recordset first(db, QStringLiteral("Select * From \"clientTableInfo\""));
    Recordset second(db, QStringLiteral("Select * From \"clientTableInfo\""));
    EXPECT_EQ(kindOf([&] { first.setValue(QStringLiteral("电话数"), -1); }), StoreFailure::ValueRefused);
    first.setValue(QStringLiteral("电话数"), 2);   // both edits start from 1
    second.setValue(QStringLiteral("电话数"), 3);
    first.update();
    EXPECT_EQ(kindOf([&] { second.update(); }), StoreFailure::RowChanged);
    EXPECT_EQ(Recordset(db, QStringLiteral("Select 电话数 From \"clientTableInfo\"")).value(0).toInt(), 2);
}

TEST(TransactionTest, WritesOfAFailedGuardAreRolledBackAndCommittedOnesStay)
{
    TempAppFolder folder;
    Connection& db = *folder.connection();
    try {
        Transaction transaction(db);
        db.execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号) VALUES ('1')"));
        db.execute(QStringLiteral("DELETE FROM \"noSuchTable\""));
        transaction.commit();
    } catch (const DbError&) {
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(Recordset(folder.connection(), QStringLiteral("Select * From \"marketingComment\"")).recordCount(), 0);
    {
        Transaction outer(db);
        db.execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号) VALUES ('2')"));
        {
            Transaction inner(db);   // an inner guard that fails undoes only its own part
            db.execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号) VALUES ('3')"));
        }
        outer.commit();
    }
    Recordset plans(folder.connection(), QStringLiteral("Select * From \"marketingComment\""));
    ASSERT_EQ(plans.recordCount(), 1);
    EXPECT_EQ(plans.text(0), QStringLiteral("2"));
}

} // namespace
