// Exports that fail part way (a full disk, a file size limit, a cancel) and what they
// leave behind: nothing of the export, the files that were there untouched, and a reason
// in words for the user.
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "exchange/destinations/ExportWriters.h"
#include "exchange/destinations/OutputFile.h"
#include "exchange/destinations/SourceRows.h"
#include "core/Statement.h"
#include "support/TempAppFolder.h"
#include "support/XlsxTestReader.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ExportFailureTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    Connection& db = *folder.connection();
    QString out = folder.filePath(QStringLiteral("out"));
    QString exportDb = folder.filePath(Schema::ExportDatabaseName);
    QString book = folder.filePath(QStringLiteral("out/book.xlsx"));

    void SetUp() override
    {
        QDir().mkpath(out);
        db.execute(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 地址, 反馈合计) "
            "SELECT 'P1', '北京华信科技有限公司第' || i || '分部', '010-' || i, '北京市海淀区中关村大街' || i || '号', i % 3 FROM n"));
        lxw_workbook* workbook = workbook_new(QFile::encodeName(book).constData());
        worksheet_write_string(workbook_add_worksheet(workbook, "预算"), 0, 0, "保留", nullptr);
        ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);
    }

    // The four exports a user can make; each fails or succeeds as a whole.
    std::vector<ExportJob> everyKind() const
    {
        const ExportRows all = ExportRows::allTargets(true);
        return {{ExportKind::ExportDatabase, exportDb, QStringLiteral("t"), all},
                {ExportKind::Dbase, out, QStringLiteral("t.dbf"), all},
                {ExportKind::Excel, out + QStringLiteral("/new.xlsx"), QStringLiteral("t"), all},
                {ExportKind::Excel, book, QStringLiteral("t"), all}};
    }

    void expectNothingLeft(const QByteArray& bookBefore, int targets = 3000)
    {
        EXPECT_TRUE(!QFile::exists(exportDb) || Connection::open(exportDb)->tables().isEmpty());
        EXPECT_EQ(folderEntries(out), QStringList{QStringLiteral("book.xlsx")});
        EXPECT_EQ(contents(book), bookBefore);
        EXPECT_EQ(Recordset(db.shared_from_this(), QStringLiteral("Select * From \"clientTableInfo\"")).recordCount(), targets);
        EXPECT_FALSE(db.inTransaction());
    }
};

TEST_F(ExportFailureTest, AFailureOrACancelPartWayLeavesNothingBehind)
{
    const QByteArray bookBefore = contents(book);
    for (const ExportJob& job : everyKind()) {
        EXPECT_THROW(ExportWriters::write(db, job, [](int) -> bool { throw DbError(QStringLiteral("磁盘已满")); }), DbError);
        EXPECT_THROW(ExportWriters::write(db, job, [](int written) { return written < 1000; }), ExportCancelled);
    }
    expectNothingLeft(bookBefore);
    // The same exports succeed afterwards.
    for (const ExportJob& job : everyKind())
        EXPECT_EQ(ExportWriters::write(db, job).rows, 3000);
    EXPECT_EQ(XlsxTestReader::sheetNames(book), QStringList({QStringLiteral("预算"), QStringLiteral("t")}));
    EXPECT_EQ(XlsxTestReader::sheetRows(out + QStringLiteral("/new.xlsx"), QStringLiteral("t")).size(), 3001);
}

// Runs `job` in a child process whose files may not grow beyond 16 KB, as on a disk that
// fills up; the child reports the failure's description through a pipe.
QString failureUnderFileSizeLimit(Connection& db, const ExportJob& job)
{
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {16 * 1024, 16 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        QByteArray said = "exported";
        try {
            // A connection of the child's own: the parent's stays as the parent left it.
            ExportWriters::write(*Connection::open(db.location()), job);
        } catch (const DbError& error) {
            said = error.description().toUtf8();
        }
        (void)!write(channel[1], said.constData(), size_t(said.size()));
        _exit(0);
    }
    close(channel[1]);
    QByteArray said;
    char block[512];
    for (ssize_t got; (got = read(channel[0], block, sizeof block)) > 0;)
        said.append(block, got);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return QString::fromUtf8(said);
}

TEST_F(ExportFailureTest, AFullDiskFailsTheExportWithItsReasonAndLeavesNothingBehind)
{
    const QByteArray bookBefore = contents(book);
    for (const ExportJob& job : everyKind()) {
        const QString said = failureUnderFileSizeLimit(db, job);
        EXPECT_NE(said, QStringLiteral("exported")) << job.path.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("磁盘已满")) || said.contains(QStringLiteral("超过了系统允许的大小")))
            << said.toStdString();
    }
    expectNothingLeft(bookBefore);
}

// A seat whose connection to the server is cut while it exports (the server restarted, the
// network gone): the rows of the first page are written, the next page cannot be read.
TEST_F(ExportFailureTest, AServerLostPartWayIsToldInItsOwnWordsAndLeavesNothingBehind)
{
    if (!db.isServer())
        GTEST_SKIP() << "a server's connection";
    db.execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) SELECT 序号, 营销对象 FROM \"clientTableInfo\""));
    const int targets = 6000;
    ASSERT_GT(targets, SourceRows::ServerPageRows);
    const QByteArray bookBefore = contents(book);
    for (const ExportJob& job : everyKind()) {
        const auto seat = Connection::open(db.location());
        Statement backend(*seat, QStringLiteral("SELECT pg_backend_pid()"));
        ASSERT_TRUE(backend.step());
        const qint64 pid = backend.int64At(0);
        const auto cut = [&](int written) {
            if (written == 10) {
                Statement terminate(db, QStringLiteral("SELECT pg_terminate_backend(?)"));
                terminate.bind(1, pid);
                terminate.step();
            }
            return true;
        };
        try {
            ExportWriters::write(*seat, job, cut);
            ADD_FAILURE() << "exported without its server: " << job.path.toStdString();
        } catch (const DbError& error) {
            EXPECT_EQ(error.kind(), StoreFailure::ConnectionLost);
            EXPECT_TRUE(error.description().startsWith(QStringLiteral("与数据库服务器的连接已断开")))
                << error.description().toStdString();
        }
    }
    expectNothingLeft(bookBefore, targets);
}

void setModified(const QString& path, time_t when)
{
    const timeval times[2] = {{when, 0}, {when, 0}};
    utimes(QFile::encodeName(path).constData(), times);
}

TEST_F(ExportFailureTest, FoldersLeftByKilledExportsGoAtTheNextExport)
{
    const QString stale = QDir(out).filePath(OutputFile::FolderPrefix + QStringLiteral("Ab12Cd"));
    const QString running = QDir(out).filePath(OutputFile::FolderPrefix + QStringLiteral("Ef34Gh"));
    const QString users = QDir(out).filePath(QStringLiteral(".marquel-export-notes"));
    for (const QString& path : {stale, running, users}) {
        QDir().mkpath(path);
        QFile part(path + QStringLiteral("/sheet1.xml"));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        part.write("<row>");
    }
    setModified(stale, time(nullptr) - 3600);
    setModified(users, time(nullptr) - 3600);
    ExportWriters::write(db, {ExportKind::Dbase, out, QStringLiteral("t"), ExportRows::allTargets(false)});
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(running));   // made after this program started: another export's
    EXPECT_TRUE(QFileInfo::exists(users));     // not a name of ours
}

} // namespace
