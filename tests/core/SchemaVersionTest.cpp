// Databases carry the version of their tables: a database made before versions were kept opens
// with every value as it was, an upgrade is backed up and runs whole or not at all, and a database
// newer than the program is refused untouched.
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Schema.h"
#include "core/SchemaVersion.h"
#include "core/Statement.h"
#include "core/Transaction.h"
#include "support/TempAppFolder.h"
#include "support/TestEngine.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString DatabaseBeforeVersions = QStringLiteral(MARQUEL_TEST_SUPPORT_DIR "/../core/data/made-before-versions.db");

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Every row of every table of the program, with its key, each value with its type.
QStringList everyValue(Connection& connection)
{
    QStringList values;
    for (const QString& table : Schema::tableNames()) {
        Statement rows(connection, QStringLiteral("SELECT rowid, * FROM \"%1\" ORDER BY rowid").arg(table));
        while (rows.step())
            for (int column = 0; column < rows.columnCount(); ++column)
                values << QStringLiteral("%1.%2=%3:%4").arg(table, rows.columnName(column),
                                                              rows.valueAt(column).typeName(),
                                                              rows.valueAt(column).toString());
    }
    return values;
}

bool planTableHasColumn(Connection& connection, const QString& name)
{
    for (const FieldInfo& field : connection.fields(QStringLiteral("planTable")))
        if (field.name == name)
            return true;
    return false;
}

const SchemaVersion::Step addNote = [](Connection& connection) {
    connection.executeScript(QStringLiteral("ALTER TABLE \"planTable\" ADD COLUMN \"备注\" TEXT;"));
};
const SchemaVersion::Step failing = [](Connection&) { throw DbError(QStringLiteral("磁盘已满")); };

} // namespace

TEST(SchemaVersionTest, ADatabaseMadeBeforeVersionsOpensIsStampedAndKeepsEveryValue)
{
    if (TestEngine::onServer())
        GTEST_SKIP() << "a file";
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Tembra_Estimation.db"));
    ASSERT_TRUE(QFile::copy(DatabaseBeforeVersions, path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    const auto connection = Connection::open(path);
    EXPECT_EQ(SchemaVersion::stored(*connection), 0);
    const QStringList before = everyValue(*connection);
    ASSERT_GT(before.size(), 100);
    EXPECT_NO_THROW(Schema::checkMainDatabase(*connection));

    EXPECT_EQ(SchemaVersion::bringUpToDate(*connection), QString());   // the tables are today's: no backup
    EXPECT_EQ(SchemaVersion::stored(*connection), SchemaVersion::current());
    EXPECT_EQ(everyValue(*connection), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("Tembra_Estimation.db")});

    // The row bookkeeping came along: a deleted target's key is not handed out again.
    connection->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('P001', '新')"));
    Statement key(*connection, QStringLiteral("SELECT max(rowid) FROM \"clientTableInfo\""));
    key.step();
    EXPECT_EQ(key.int64At(0), 4);
}

TEST(SchemaVersionTest, AnUpgradeIsBackedUpBesideTheFileAndRunsWholeOrNotAtAll)
{
    if (TestEngine::onServer())
        GTEST_SKIP() << "a file";
    TempAppFolder folder;
    Connection& connection = *folder.connection();
    connection.execute(QStringLiteral("INSERT INTO \"planTable\" (序号, 题目) VALUES ('1', '春季')"));
    ASSERT_EQ(SchemaVersion::stored(connection), 1);   // a new database carries the program's version
    const QStringList before = everyValue(connection);

    // A failing step leaves the database at its version, without the first step's column.
    EXPECT_THROW(
        {
            try {
                SchemaVersion::bringUpToDate(connection, {addNote, failing});
            } catch (const DbError& error) {
                EXPECT_TRUE(error.description().contains(QStringLiteral("数据库没有改动"))) << error.what();
                EXPECT_TRUE(error.description().contains(QStringLiteral("磁盘已满"))) << error.what();
                throw;
            }
        },
        DbError);
    EXPECT_EQ(SchemaVersion::stored(connection), 1);
    EXPECT_FALSE(planTableHasColumn(connection, QStringLiteral("备注")));
    EXPECT_EQ(everyValue(connection), before);

    const QString backup = SchemaVersion::bringUpToDate(connection, {addNote});
    EXPECT_EQ(backup, folder.filePath(QStringLiteral("Tembra_Estimation-v1-backup-2.db")));   // the failed try's is kept
    EXPECT_EQ(SchemaVersion::stored(connection), 2);
    EXPECT_TRUE(planTableHasColumn(connection, QStringLiteral("备注")));
    const auto copy = Connection::open(backup);
    EXPECT_EQ(SchemaVersion::stored(*copy), 1);
    EXPECT_FALSE(planTableHasColumn(*copy, QStringLiteral("备注")));
    EXPECT_EQ(everyValue(*copy), before);
    EXPECT_EQ(SchemaVersion::bringUpToDate(connection, {addNote}), QString());   // once only
}

TEST(SchemaVersionTest, ADatabaseNewerThanTheProgramIsRefusedAndLeftAlone)
{
    TempAppFolder folder;
    Connection& connection = *folder.connection();
    {
        Transaction transaction(connection);
        SchemaVersion::store(connection, SchemaVersion::current() + 1);
        transaction.commit();
    }
    const QByteArray hash = connection.isServer() ? QByteArray() : fileHash(folder.databasePath());
    try {
        SchemaVersion::bringUpToDate(connection);
        FAIL() << "a newer database opened";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("第 %1 版").arg(SchemaVersion::current() + 1)));
        EXPECT_TRUE(error.description().contains(QStringLiteral("请安装新版本的 Marquel")));
    }
    EXPECT_EQ(SchemaVersion::stored(connection), SchemaVersion::current() + 1);
    if (!connection.isServer())
        EXPECT_EQ(fileHash(folder.databasePath()), hash);
}

TEST(SchemaVersionTest, AReadOnlyFileOpensWhenCurrentAndIsRefusedWhenItNeedsAnUpgrade)
{
    if (TestEngine::onServer())
        GTEST_SKIP() << "a file";
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Tembra_Estimation.db"));
    ASSERT_TRUE(QFile::copy(DatabaseBeforeVersions, path));
    const auto connection = Connection::openReadOnly(path);
    EXPECT_EQ(SchemaVersion::bringUpToDate(*connection), QString());
    EXPECT_THROW(SchemaVersion::bringUpToDate(*connection, {addNote}), DbError);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
}
