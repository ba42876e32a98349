// Where the default database lives: beside a program whose folder can be written, in each
// user's own data folder for an installed program, made from the delivered one once.
#include "app/DatabaseLocation.h"
#include "app/F5.h"
#include "app/StartUp.h"
#include "app/mainFm1.h"
#include "controls/ScriptedDialogs.h"
#include "core/SchemaVersion.h"
#include "core/Transaction.h"
#include "support/TempAppFolder.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Schema.h"
#include "core/Statement.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// An installation as the package lays it out: <root>/usr/bin and <root>/usr/share/marquel.
class InstalledProgram : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString bin = root.filePath(QStringLiteral("usr/bin"));
    QString shared = root.filePath(QStringLiteral("usr/share/marquel"));
    QString home = root.filePath(QStringLiteral("home/ann/.local/share"));

    void SetUp() override
    {
        QDir().mkpath(bin);
        QDir().mkpath(shared);
        Schema::createMainDatabase(QDir(shared).filePath(Schema::MainDatabaseName));
        Connection::open(QDir(shared).filePath(Schema::MainDatabaseName))
            ->execute(QStringLiteral("UPDATE \"productDF\" SET 产品1名称 = '随程序提供'"));
        QFile::setPermissions(QDir(shared).filePath(Schema::MainDatabaseName), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    }
};

QString firstProduct(const QString& database)
{
    const auto connection = Connection::open(database);
    Statement read(*connection, QStringLiteral("SELECT 产品1名称 FROM \"productDF\""));
    read.step();
    return read.valueAt(0).toString();
}

} // namespace

TEST(DatabaseLocationTest, AProgramFolderThatCanBeWrittenKeepsItsDatabaseBesideTheProgram)
{
    QTemporaryDir program;
    QTemporaryDir home;
    Schema::createMainDatabase(program.filePath(Schema::MainDatabaseName));
    const DatabaseLocation location = DatabaseLocation::decide(program.path(), home.path());
    EXPECT_TRUE(location.isBesideProgram());
    EXPECT_EQ(location.mainDatabase(), program.filePath(Schema::MainDatabaseName));
    EXPECT_FALSE(location.prepare());
    EXPECT_FALSE(QDir(home.path()).exists(QStringLiteral("Marquel")));
}

TEST_F(InstalledProgram, EachUserGetsACopyOfTheDeliveredDatabaseOnceAndKeepsIt)
{
    const DatabaseLocation ann = DatabaseLocation::decide(bin, home);
    EXPECT_FALSE(ann.isBesideProgram());
    EXPECT_EQ(ann.mainDatabase(), home + QStringLiteral("/Marquel/Tembra_Estimation.db"));
    EXPECT_EQ(ann.folder(), home + QStringLiteral("/Marquel"));
    EXPECT_TRUE(ann.prepare());
    EXPECT_TRUE(ann.madeNotice().contains(ann.mainDatabase()));
    EXPECT_EQ(firstProduct(ann.mainDatabase()), QStringLiteral("随程序提供"));
    EXPECT_TRUE(QFileInfo(ann.mainDatabase()).isWritable());
    EXPECT_TRUE(QFileInfo::exists(QDir(ann.folder()).filePath(Schema::ExportDatabaseName)));
    EXPECT_FALSE(QFileInfo::exists(ann.mainDatabase() + QStringLiteral(".part")));

    // Later starts keep what she stored.
    Connection::open(ann.mainDatabase())->execute(QStringLiteral("UPDATE \"productDF\" SET 产品1名称 = '冰箱'"));
    EXPECT_FALSE(ann.prepare());
    EXPECT_EQ(firstProduct(ann.mainDatabase()), QStringLiteral("冰箱"));

    // Another user has a database of their own.
    const QString otherHome = root.filePath(QStringLiteral("home/bob/.local/share"));
    const DatabaseLocation bob = DatabaseLocation::decide(bin, otherHome);
    EXPECT_TRUE(bob.prepare());
    EXPECT_EQ(firstProduct(bob.mainDatabase()), QStringLiteral("随程序提供"));
    EXPECT_EQ(firstProduct(ann.mainDatabase()), QStringLiteral("冰箱"));
}

TEST_F(InstalledProgram, AFolderThatCannotBeMadeIsReportedAndNoDatabaseIsLeft)
{
    // The user's data folder is taken by a file.
    QDir().mkpath(home);
    QFile blocker(home + QStringLiteral("/Marquel"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const DatabaseLocation location = DatabaseLocation::decide(bin, home);
    try {
        location.prepare();
        FAIL() << "no error";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("无法建立存放数据库的文件夹"))) << error.what();
    }
}

TEST(StartWithVersionsTest, TheFirstStartSaysWhereTheNewDatabaseIsOnceTheMainWindowIsOpen)
{
    TempAppFolder folder;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    F5* splash = StartUp::showSplash(folder.path(), {}, QStringLiteral("已为您建立了自己的数据库"));
    QPointer<F5> alive(splash);
    splash->Form_Click();
    EXPECT_TRUE(dialogs.log().isEmpty());   // not over the splash
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull() || !alive->isVisible());
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log()[0].text, QStringLiteral("已为您建立了自己的数据库"));
    mainFm1* main = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<mainFm1*>(w))
            main = candidate;
    ASSERT_TRUE(main);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Marquel"));
    delete main;
    Dialogs::install(nullptr);
}

TEST(StartWithVersionsTest, ADatabaseOfANewerProgramIsRefusedAndNoWindowOpens)
{
    TempAppFolder folder;
    {
        Transaction transaction(*folder.connection());
        SchemaVersion::store(*folder.connection(), SchemaVersion::current() + 1);
        transaction.commit();
    }
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    std::unique_ptr<mainFm1> main(mainFm1::load(folder.path()));
    EXPECT_FALSE(main);
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_TRUE(dialogs.log()[0].text.contains(QStringLiteral("请安装新版本的 Marquel"))) << dialogs.log()[0].text.toStdString();
    Dialogs::install(nullptr);
}
