// The two export windows: what they ask, what they write, and when they close.
#include "ExportTestData.h"
#include "core/Schema.h"
#include "exchange/export/outputFm1.h"
#include "exchange/export/outputFm2.h"
#include "support/ProgramTest.h"
#include "support/XlsxTestReader.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <shapefil.h>

namespace {

// A closed window is deleted once the pending deletions run.
template <typename Window>
bool gone(QPointer<Window>& window)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

class ExportWindowsTest : public ProgramTest {
protected:
    QPointer<outputFm1> window1;
    QPointer<outputFm2> window2;

    void SetUp() override
    {
        ProgramTest::SetUp();
        insertExportTargets(state.store());
    }
    void TearDown() override
    {
        delete window1;
        delete window2;
        ProgramTest::TearDown();
    }

    std::shared_ptr<Connection> exportDb() const { return Connection::open(state.exportDatabasePath()); }

    void openFm1(const char* rows, const char* kind)
    {
        window1 = new outputFm1(state);
        window1->show();
        window1->findChild<QRadioButton*>(QString::fromLatin1(rows))->setChecked(true);
        window1->findChild<QRadioButton*>(QString::fromLatin1(kind))->setChecked(true);
    }
    void confirmFm1() { QTest::mouseClick(window1->findChild<QPushButton*>("Command1"), Qt::LeftButton); }

    void openFm2(const QString& planNo)
    {
        window2 = new outputFm2(state, planNo);
        window2->show();
    }
    void clickFm2(int index)
    {
        QTest::mouseClick(window2->findChild<QPushButton*>(QStringLiteral("Command1(%1)").arg(index)), Qt::LeftButton);
    }

    void expectLastMessage(const QString& text, const QString& title)
    {
        ASSERT_FALSE(dialogs.log().isEmpty());
        EXPECT_EQ(dialogs.log().last().kind, QStringLiteral("message"));
        EXPECT_EQ(dialogs.log().last().text, text);
        EXPECT_EQ(dialogs.log().last().title, title);
    }
    void saveAs(const QString& path) { dialogs.queueSaveFile(Dialogs::fileChoiceFor(path)); }
    void expectExported(int rows, const QString& where)
    {
        expectLastMessage(QStringLiteral("OK\n已导出 %1 行到%2").arg(rows).arg(where), QStringLiteral("导出成功"));
    }
    void expectFailure(const QString& reason)
    {
        expectLastMessage(QStringLiteral(" 导出失败\n") + reason, QStringLiteral("导出失败"));
    }
    QString inExportDb(const QString& table) const
    {
        return QStringLiteral("“%1”的表“%2”。").arg(state.exportDatabasePath(), table);
    }
};

TEST_F(ExportWindowsTest, AllTargetsOrTargetsWithFeedbackOfEveryPlan)
{
    openFm1("Option1", "Option3");
    EXPECT_EQ(window1->windowTitle(), QStringLiteral("客户数据导出"));
    dialogs.queueInput(QStringLiteral("全部"));
    confirmFm1();
    EXPECT_EQ(dialogs.log().first().text, QStringLiteral("请给导出到mdb文件的表确定表名"));
    expectExported(5, inExportDb(QStringLiteral("全部")));
    EXPECT_TRUE(gone(window1));   // closes after 确定
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From 全部")), 5);

    // A target that responded once (the usual case) has feedback too.
    state.store().execute(QStringLiteral("UPDATE \"clientTableInfo\" SET 反馈合计 = 1 WHERE 营销对象 = '广州无名公司'"));
    openFm1("Option2", "Option3");
    dialogs.queueInput(QStringLiteral("有反馈"));
    confirmFm1();
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From 有反馈")), 3);
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From 有反馈 Where 序号 = 'P2'")), 1);
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From 有反馈 Where 营销对象 = '广州无名公司'")), 1);
}

TEST_F(ExportWindowsTest, AnExistingXlsIsNotGivenASheetWithoutAsking)
{
    const QString xls = folder.filePath(QStringLiteral("客户.xls"));
    const QString xlsx = folder.filePath(QStringLiteral("客户.xlsx"));
    QFile old(xls);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an Excel 97 workbook");
    old.close();
    const QString question = QStringLiteral("“%1”是 Excel 97-2003 工作簿，不能在其中添加工作表。\n"
                                            "是否把工作表“新表”写入新的工作簿“%2”？原来的文件不变。")
                                 .arg(QDir::toNativeSeparators(xls), QDir::toNativeSeparators(xlsx));

    openFm1("Option1", "Option5");
    saveAs(xls);
    dialogs.queueInput(QStringLiteral("新表"));
    dialogs.queueMessage(MsgAnswer::No);
    confirmFm1();
    expectLastMessage(question, QStringLiteral("信息提示"));
    EXPECT_EQ(dialogs.log().last().buttons, MsgButtons::YesNo);
    EXPECT_FALSE(QFile::exists(xlsx));

    openFm1("Option1", "Option5");
    saveAs(xls);
    dialogs.queueInput(QStringLiteral("新表"));
    dialogs.queueMessage(MsgAnswer::Yes);
    confirmFm1();
    expectExported(5, QStringLiteral("“%1”的工作表“新表”。").arg(QDir::toNativeSeparators(xlsx)));
    EXPECT_EQ(XlsxTestReader::sheetRows(xlsx, QStringLiteral("新表")).size(), 6);
    QFile kept(xls);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("an Excel 97 workbook"));
}

TEST_F(ExportWindowsTest, ATakenTableNameIsAskedAgainWithLetterCaseCounting)
{
    exportDb()->execute(QStringLiteral("CREATE TABLE 客户 (x)"));
    openFm1("Option1", "Option3");
    dialogs.queueInput(QStringLiteral("客户"));
    dialogs.queueInput(QStringLiteral("客户"));
    dialogs.queueInput(QStringLiteral("客户二"));
    confirmFm1();
    QStringList asked;
    for (const DialogRecord& record : dialogs.log())
        asked << record.kind + QLatin1Char(':') + record.text;
    EXPECT_EQ(asked, QStringList({"input:请给导出到mdb文件的表确定表名", "message:文件名重复，请重新输入文件名",
                                  "input:请给导出到mdb文件的表确定表名", "message:文件名重复，请重新输入文件名",
                                  "input:请给导出到mdb文件的表确定表名", "progress:正在导出数据，已写入 %1 行……",
                                  "message:OK\n已导出 5 行到" + inExportDb(QStringLiteral("客户二"))}));
    EXPECT_EQ(dialogs.log()[1].title, QStringLiteral("信息提示"));
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From 客户二")), 5);

    // "KEHU" is no repeat of "kehu" to the check, but the database refuses it.
    exportDb()->execute(QStringLiteral("CREATE TABLE kehu (x)"));
    dialogs.clearLog();
    openFm1("Option1", "Option3");
    dialogs.queueInput(QStringLiteral("KEHU"));
    confirmFm1();
    EXPECT_EQ(dialogs.log().size(), 3);
    expectFailure(QStringLiteral("表“KEHU”已存在。"));
}

TEST_F(ExportWindowsTest, EmptyNamesFailAndCancelledDialogsEndQuietly)
{
    openFm1("Option1", "Option3");
    dialogs.queueInput(QString());
    confirmFm1();
    expectFailure(QStringLiteral("表名不能为空。"));
    EXPECT_TRUE(gone(window1));
    EXPECT_TRUE(exportDb()->tables().isEmpty());

    for (const char* kind : {"Option3", "Option4", "Option5"}) {
        dialogs.clearLog();
        openFm1("Option1", kind);
        confirmFm1();   // nothing queued: the first dialog is cancelled
        EXPECT_EQ(dialogs.log().size(), 1) << kind;
        EXPECT_NE(dialogs.log().first().kind, QStringLiteral("message"));
        EXPECT_TRUE(gone(window1));
    }
    dialogs.clearLog();
    openFm1("Option1", "Option5");
    saveAs(folder.filePath(QStringLiteral("book.xlsx")));
    dialogs.queueInput(std::nullopt);
    confirmFm1();
    EXPECT_EQ(dialogs.log().size(), 2);
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("book.xlsx"))));

    openFm1("Option1", "Option5");
    saveAs(folder.filePath(QStringLiteral("book.xlsx")));
    dialogs.queueInput(QString());
    confirmFm1();
    expectFailure(QStringLiteral("工作表名不能为空。"));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("book.xlsx"))));
}

TEST_F(ExportWindowsTest, DbaseFileGoesToTheChosenFolderUnderTheChosenName)
{
    const QString out = folder.filePath(QStringLiteral("data"));
    QDir().mkpath(out);
    openFm1("Option2", "Option4");
    saveAs(out + QStringLiteral("/out.dbf"));
    confirmFm1();
    const FileDialogRequest& request = dialogs.log().first().file;
    EXPECT_EQ(request.title, QStringLiteral("导出文件为"));
    EXPECT_EQ(request.filter, QStringLiteral("(*.DBF)|*.DBF"));
    EXPECT_EQ(request.filterIndex, 1);
    expectExported(2, QStringLiteral("“%1”。").arg(out + QStringLiteral("/out.dbf")));
    DBFHandle dbf = DBFOpen(QFile::encodeName(out + QStringLiteral("/out.dbf")).constData(), "rb");
    ASSERT_TRUE(dbf);
    EXPECT_EQ(DBFGetRecordCount(dbf), 2);
    DBFClose(dbf);

    // The same file again: refused, and the message says why.
    openFm1("Option2", "Option4");
    saveAs(out + QStringLiteral("/out.dbf"));
    confirmFm1();
    expectFailure(QStringLiteral("文件“%1”已存在。").arg(out + QStringLiteral("/out.dbf")));
}

TEST_F(ExportWindowsTest, DbaseExportSaysHowManyValuesItCouldNotKeepAsTheyWere)
{
    state.store().execute(QStringLiteral("UPDATE \"clientTableInfo\" SET 营销对象 = '한국 贸易' WHERE 序号 = 'P2'"));
    openFm1("Option2", "Option4");
    saveAs(folder.filePath(QStringLiteral("out.dbf")));
    confirmFm1();
    ASSERT_GE(dialogs.log().size(), 2);
    EXPECT_EQ(dialogs.log()[dialogs.log().size() - 2].title, QStringLiteral("导出成功"));
    expectLastMessage(QStringLiteral("有 1 个值不能在 dBase 文件中原样保存：超出字段宽度的已截短，GBK 以外的字符已写成“?”。"
                                     "如需保留全部字符，请导出为 Excel 或 mdb 文件。"),
                      QStringLiteral("信息提示"));
}

TEST_F(ExportWindowsTest, ALongExportShowsItsProgressAndACancelWritesNothing)
{
    state.store().execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) SELECT 'P2', '客户' || i, 1 FROM n"));
    openFm2(QStringLiteral("P2"));
    saveAs(folder.filePath(QStringLiteral("plan.xlsx")));
    dialogs.queueInput(QStringLiteral("反馈"));
    dialogs.queueProgressCancel(512);
    clickFm2(2);
    EXPECT_EQ(dialogs.log().last().kind, QStringLiteral("progress"));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("导出数据"));
    EXPECT_EQ(dialogs.progressCounts(), QList<qint64>({256, 512}));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("plan.xlsx"))));
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral(".marquel-export-*")}, QDir::Dirs | QDir::Hidden).size(), 0);
    EXPECT_FALSE(gone(window2));   // cancelled: the window stays for another try

    saveAs(folder.filePath(QStringLiteral("plan.xlsx")));
    dialogs.queueInput(QStringLiteral("反馈"));
    clickFm2(2);
    expectExported(601, QStringLiteral("“%1”的工作表“反馈”。").arg(folder.filePath(QStringLiteral("plan.xlsx"))));
    EXPECT_EQ(XlsxTestReader::sheetRows(folder.filePath(QStringLiteral("plan.xlsx")), QStringLiteral("反馈")).size(), 602);
}

TEST_F(ExportWindowsTest, WorkbookChosenAsXlsIsWrittenAsXlsx)
{
    openFm1("Option1", "Option5");
    saveAs(folder.filePath(QStringLiteral("客户.xls")));
    dialogs.queueInput(QStringLiteral("O'Brien"));
    confirmFm1();
    EXPECT_EQ(dialogs.log()[1].text, QStringLiteral("请给导出到XLS文件的表确定表名"));
    expectExported(5, QStringLiteral("“%1”的工作表“O'Brien”。").arg(folder.filePath(QStringLiteral("客户.xlsx"))));
    const QString book = folder.filePath(QStringLiteral("客户.xlsx"));
    EXPECT_EQ(XlsxTestReader::sheetNames(book), QStringList{QStringLiteral("O'Brien")});
    EXPECT_EQ(XlsxTestReader::sheetRows(book, QStringLiteral("O'Brien")).size(), 6);

    // The same sheet name again: refused, the workbook as it was.
    openFm1("Option1", "Option5");
    saveAs(book);
    dialogs.queueInput(QStringLiteral("o'brien"));
    confirmFm1();
    expectFailure(QStringLiteral("工作表“o'brien”已存在。"));
    EXPECT_EQ(XlsxTestReader::sheetNames(book).size(), 1);
}

TEST_F(ExportWindowsTest, NoKindChosenFailsAndReturnClosesWithoutAsking)
{
    openFm1("Option1", "Option3");
    for (QRadioButton* kind : {window1->Option3, window1->Option4, window1->Option5}) {
        kind->setAutoExclusive(false);
        kind->setChecked(false);
    }
    confirmFm1();
    EXPECT_EQ(dialogs.log().size(), 1);
    expectFailure(QStringLiteral("没有选择导出文件的类型。"));

    dialogs.clearLog();
    window1 = new outputFm1(state);
    window1->show();
    EXPECT_TRUE(window1->Option1->isChecked());
    QTest::mouseClick(window1->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    EXPECT_TRUE(gone(window1));
    EXPECT_TRUE(dialogs.log().isEmpty());
}

TEST_F(ExportWindowsTest, PlanExportTakesOnlyTheCurrentPlansRespondersFromTheStore)
{
    openFm2(QStringLiteral("P'1"));
    EXPECT_EQ(window2->windowTitle(), QStringLiteral("导出文件"));
    EXPECT_EQ(window2->Command1[0]->text(), QStringLiteral("导入mdb数据库"));
    // A response recorded after the window opened is exported too.
    state.store().execute(QStringLiteral("UPDATE \"clientTableInfo\" SET 反馈合计 = 1 WHERE 营销对象 = '上海申达商行'"));
    state.setCurrentPlan(QStringLiteral("P2"), QString());   // the plan the window was made for counts
    dialogs.queueInput(QStringLiteral("本计划"));
    clickFm2(0);
    expectExported(2, inExportDb(QStringLiteral("本计划")));
    EXPECT_TRUE(gone(window2));
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From 本计划")), 2);
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From 本计划 Where 序号 = 'P''1'")), 2);
}

TEST_F(ExportWindowsTest, PlanExportStaysOpenWhenCancelledAndClosesAfterAFailure)
{
    openFm2(QString());
    clickFm2(0);                               // input cancelled
    dialogs.queueInput(QString());
    clickFm2(0);                               // empty name: ends quietly
    clickFm2(1);                               // save dialog cancelled
    clickFm2(2);
    EXPECT_FALSE(gone(window2));
    for (const DialogRecord& record : dialogs.log())
        EXPECT_NE(record.kind, QStringLiteral("message"));

    saveAs(folder.filePath(QStringLiteral("plan.xlsx")));
    dialogs.queueInput(QString());             // an empty sheet name is tried, and fails
    clickFm2(2);
    expectFailure(QStringLiteral("工作表名不能为空。"));
    EXPECT_TRUE(gone(window2));
}

TEST_F(ExportWindowsTest, PlanExportWithoutACurrentPlanTakesTargetsWithoutAPlanNumber)
{
    state.store().execute(QStringLiteral("UPDATE \"clientTableInfo\" SET 反馈合计 = 3 WHERE 序号 = ''"));
    openFm2(QString());
    dialogs.queueInput(QStringLiteral("无序号"));
    clickFm2(0);
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From 无序号")), 1);
}

TEST_F(ExportWindowsTest, MissingExportDatabaseIsCreated)
{
    QFile::remove(state.exportDatabasePath());
    openFm2(QStringLiteral("P2"));
    dialogs.queueInput(QStringLiteral("P2客户"));
    clickFm2(0);
    expectExported(1, inExportDb(QStringLiteral("P2客户")));
    EXPECT_EQ(countRows(exportDb(), QStringLiteral("Select * From P2客户")), 1);
}

} // namespace
