// Copying the program's tables from one database into an empty one.
#include "support/SqlLiteral.h"
#include "campaign/DatabaseCopy.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Schema.h"
#include "core/SchemaVersion.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/Transaction.h"
#include "support/TestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Rows = QList<QVariantList>;

// Every stored value of a table, row by row in key order.
Rows rowsOf(Connection& connection, const QString& table)
{
    Statement statement(connection, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(SqlText::quoteName(table)));
    Rows rows;
    while (statement.step()) {
        QVariantList row;
        for (int i = 0; i < statement.columnCount(); ++i)
            row << statement.valueAt(i);
        rows << row;
    }
    return rows;
}

// The source is a file of its own, whichever engine the other tests of the run use.
class DatabaseCopyTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString sourcePath = madeDatabase(folder.filePath(QStringLiteral("Tembra_Estimation.db")));
    std::shared_ptr<Connection> sourceConnection = Connection::open(sourcePath);
    Connection& source = *sourceConnection;

    static QString madeDatabase(const QString& path)
    {
        Schema::createMainDatabase(path);
        return path;
    }

    void run(const QString& sql) { source.execute(sql); }

    // A campaign with the values that are easy to get wrong on the way.
    void fillAwkwardCampaign()
    {
        Transaction together(source);
        run(QStringLiteral("INSERT INTO \"planTable\" (序号, 题目, 费用, 内容) VALUES ('P''1', '春季“直邮”', NULL, %1)")
                .arg(sqlLiteral(QStringLiteral("第一行\n第二行\t制表 ' \" \\ %_[ 😀").repeated(300))));
        run(QStringLiteral("INSERT INTO \"planTable\" (序号, 题目) VALUES ('P2', '')"));
        run(QStringLiteral("INSERT INTO \"marketingComment\" (序号, 题目, 反馈合计, 反馈率) VALUES ('P''1', '春季“直邮”', '12', '3.5%')"));
        run(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）, 反馈内容) "
                           "VALUES ('P''1', '2026-12-08', '春季“直邮”', 2147483648, 9007199254740993, 9223372036854775807, NULL)"));
        run(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数) VALUES ('P''1', '2000-02-29', 'x', -5)"));
        run(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间, 题目) VALUES ('P2', NULL, NULL)"));
        for (int i = 0; i < 50; ++i)
            run(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, \"Email\", 电话数, 记录号) VALUES ('P''1', %1, '010-1234''5', NULL, %2, '%2')")
                    .arg(sqlLiteral(QStringLiteral("北京%1号公司 O'Brien").arg(i)))
                    .arg(i));
        run(QStringLiteral("UPDATE \"productDF\" SET 产品1名称 = '打印机', 产品5名称 = 'It''s'"));
        // A deleted row leaves a gap in the keys; the order stays.
        run(QStringLiteral("DELETE FROM \"clientTableInfo\" WHERE 记录号 = '7'"));
        together.commit();
    }

    void expectSameTables(Connection& copy)
    {
        for (const QString& table : Schema::tableNames())
            EXPECT_EQ(rowsOf(copy, table), rowsOf(source, table)) << table.toStdString();
    }

    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }
};

TEST_F(DatabaseCopyTest, ARoundTripThroughAFileOrAServerKeepsEveryValue)
{
    fillAwkwardCampaign();
    for (const QString& middle : {path("中转.db"), TestServer::freshDatabase()}) {
        SCOPED_TRACE(middle.toStdString());
        const QString back = path("back.db");
        QFile::remove(back);
        const QString said = DatabaseCopy::copyDatabase(sourcePath, middle);
        EXPECT_EQ(said, QStringLiteral("已复制 5 个表，共 56 行：%1 → %2").arg(sourcePath, middle));
        DatabaseCopy::copyDatabase(middle, back);

        const auto copy = Connection::open(back);
        expectSameTables(*copy);
        // The copy is a database the program opens and writes as its own.
        Schema::checkMainDatabase(*copy);
        EXPECT_TRUE(copy->hasRowMarks());
        copy->execute(QStringLiteral("INSERT INTO \"planTable\" (序号) VALUES ('P3')"));
    }
}

TEST_F(DatabaseCopyTest, AValueTheServerWouldChangeStopsTheCopyAndTheServerIsLeftEmpty)
{
    // A day kept with its time: the server's date column would drop the time without a word.
    run(QStringLiteral("INSERT INTO \"feedbackTable\" (序号, 时间) VALUES ('P1', '2026-12-08 09:05')"));
    const QString server = TestServer::freshDatabase();
    try {
        DatabaseCopy::copyDatabase(sourcePath, server);
        FAIL() << "the time was dropped";
    } catch (const DbError& error) {
        EXPECT_EQ(error.description(),
                  QStringLiteral("表“feedbackTable”第 1 行的“时间”复制后变成了“2026-12-08”（原来是“2026-12-08 09:05”）：没有复制。"));
    }
    EXPECT_TRUE(Connection::open(server)->tables().isEmpty());
}

TEST_F(DatabaseCopyTest, ATargetHoldingOneOfTheTablesIsRefusedAndLeftAsItWas)
{
    fillAwkwardCampaign();
    const QString target = path("target.db");
    {
        const auto partly = Connection::create(target);
        partly->execute(QStringLiteral("CREATE TABLE \"productDF\" (产品1名称 TEXT)"));
        partly->execute(QStringLiteral("INSERT INTO \"productDF\" (产品1名称) VALUES ('旧的')"));
    }
    try {
        DatabaseCopy::copyDatabase(sourcePath, target);
        FAIL() << "copied into a database that holds \"productDF\"";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("已经有表“productDF”"))) << error.description().toStdString();
    }
    const auto after = Connection::open(target);
    ASSERT_EQ(after->tables().size(), 1);
    EXPECT_EQ(rowsOf(*after, QStringLiteral("productDF")), Rows{{QStringLiteral("旧的")}});
}

TEST_F(DatabaseCopyTest, AFailedCopyLeavesNoNewTargetAndAMissingSourceIsSaid)
{
    // A field the program's table lacks would be lost: refused half-way, after the first tables.
    run(QStringLiteral("ALTER TABLE \"clientTableInfo\" ADD COLUMN 备注 TEXT"));
    const QString target = path("new.db");
    try {
        DatabaseCopy::copyDatabase(sourcePath, target);
        FAIL() << "a field was dropped";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("“备注”"))) << error.description().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(target));

    try {
        DatabaseCopy::copyDatabase(path("没有.db"), target);
        FAIL() << "copied from nothing";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("没有.db"))) << error.description().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(DatabaseCopyTest, ADatabaseOfANewerProgramIsNotCopied)
{
    source.executeScript(QStringLiteral("PRAGMA user_version = %1;").arg(SchemaVersion::current() + 1));
    const QString target = path("new.db");
    try {
        DatabaseCopy::copyDatabase(sourcePath, target);
        FAIL() << "copied";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("更新版本的 Marquel"))) << error.description().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(target));
}

} // namespace
