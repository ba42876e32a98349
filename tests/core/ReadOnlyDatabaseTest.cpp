// A database that cannot be written opens for looking; every write is refused with one Chinese
// message and leaves the file as it was.
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "core/Transaction.h"
#include "support/TempAppFolder.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

class ReadOnlyDatabaseTest : public ::testing::Test {
protected:
    TempAppFolder folder;

    void SetUp() override
    {
        folder.connection()->execute(
            QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话数) VALUES ('1', '甲公司', 2)"));
    }
};

TEST_F(ReadOnlyDatabaseTest, OpensForReadingAndRefusesEveryWriteWithoutChangingTheFile)
{
    const QByteArray before = fileHash(folder.databasePath());
    const auto db = Connection::openReadOnly(folder.databasePath());
    ASSERT_TRUE(db->isReadOnly());
    EXPECT_NO_THROW(Schema::checkMainDatabase(*db));
    EXPECT_NO_THROW(Schema::ensureRowMarks(*db));   // already there: nothing to write

    Recordset targets(db, QStringLiteral("Select * From \"clientTableInfo\""));
    ASSERT_EQ(targets.recordCount(), 1);
    EXPECT_EQ(targets.text(QStringLiteral("营销对象")), QStringLiteral("甲公司"));

    try {
        Transaction transaction(*db);
        FAIL() << "a transaction began on a read-only database";
    } catch (const DbError& error) {
        EXPECT_EQ(error.description(), Connection::readOnlyRefusal());
        EXPECT_EQ(error.kind(), StoreFailure::ReadOnly);
    }
    try {
        targets.setValue(QStringLiteral("电话数"), 3);
        targets.update();
        FAIL() << "an edit was stored in a read-only database";
    } catch (const DbError& error) {
        EXPECT_EQ(error.description(), Connection::readOnlyRefusal());
        EXPECT_EQ(error.kind(), StoreFailure::ReadOnly);
    }
    EXPECT_THROW(db->execute(QStringLiteral("DELETE FROM \"clientTableInfo\"")), DbError);
    EXPECT_EQ(fileHash(folder.databasePath()), before);
}

TEST_F(ReadOnlyDatabaseTest, AnOlderFileWithoutRowBookkeepingStillOpensReadOnly)
{
    folder.connection()->execute(QStringLiteral("DROP TABLE marquel_row_marks"));
    const auto db = Connection::openReadOnly(folder.databasePath());
    EXPECT_NO_THROW(Schema::ensureRowMarks(*db));
    EXPECT_FALSE(db->hasRowMarks());
    EXPECT_EQ(Recordset(db, QStringLiteral("Select * From \"clientTableInfo\"")).recordCount(), 1);
}

TEST_F(ReadOnlyDatabaseTest, AWritableFileWithItsBookkeepingIsNotWrittenAtOpen)
{
    const QByteArray before = fileHash(folder.databasePath());
    const auto db = Connection::open(folder.databasePath());
    Schema::ensureRowMarks(*db);
    EXPECT_EQ(fileHash(folder.databasePath()), before);
}

} // namespace
