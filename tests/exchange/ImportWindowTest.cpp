// The import window and its table chooser driven as a user would: files of every kind the
// test writes itself, the mapping lists, the pass, and what the database holds afterwards.
#include "support/SqlLiteral.h"
#include "SourceFileWriter.h"

#include "controls/DataGrid.h"
#include "controls/ScriptedDialogs.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "exchange/ImportSource.h"
#include "exchange/mainFm3.h"
#include "exchange/tableFm1.h"
#include "feedback/Form5.h"
#include "support/ProgramTest.h"
#include "support/TestEngine.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString InfoTitle = QStringLiteral("信息提示");

class ImportWindowTest : public ProgramTest {
protected:
    QTemporaryDir files;
    ImportSource source;
    std::unique_ptr<mainFm3> window;

    void SetUp() override
    {
        ProgramTest::SetUp();
        source.reset();
        state.setCurrentPlan(QStringLiteral("P1"), QString());
    }
    void TearDown() override
    {
        window.reset();
        source.reset();
        ProgramTest::TearDown();
    }

    void open()
    {
        window = std::make_unique<mainFm3>(state, source);
        window->show();
    }

    QString file(const QString& name) const { return files.filePath(name); }

    // A CSV target list of three firms, in UTF-8.
    QString threeFirmsCsv(const QString& name = QStringLiteral("名单.csv"))
    {
        SourceFileWriter::writeCsv(file(name), QStringLiteral("公司,电话,邮编\n"
                                                              "北京甲公司,010-1111,100080\n"
                                                              "上海乙公司,021-2222,200000\n"
                                                              "O'K 贸易,0755-3333,518000\n"));
        return file(name);
    }

    template <typename T>
    T* control(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    void click(const QString& name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    QString text(const QString& name) const { return control<QLineEdit>(name)->text(); }
    QListWidget* list(int n) const { return control<QListWidget>(QStringLiteral("List%1").arg(n)); }
    static QStringList items(const QListWidget* list)
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }
    void select(int listNumber, const QList<int>& rows)
    {
        QListWidget* l = list(listNumber);
        l->clearSelection();
        for (int row : rows)
            l->item(row)->setSelected(true);
    }

    // Picks the file in the open dialog of button `index` (0 Access, 1 Excel, 2 dBase).
    void openFile(int index, const QString& path)
    {
        dialogs.queueOpenFile(Dialogs::fileChoiceFor(path));
        click(QStringLiteral("Command4(%1)").arg(index));
    }
    // Takes `table` in the chooser, or the first one listed.
    void chooseTable(QString table = QString())
    {
        tableFm1* chooser = window->chooser();
        ASSERT_TRUE(chooser);
        ASSERT_GT(chooser->List1->count(), 0);
        if (table.isEmpty())
            table = chooser->List1->item(0)->text();
        const auto found = chooser->List1->findItems(table, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << table.toStdString();
        found.first()->setSelected(true);
        QTest::mouseClick(chooser->Command2, Qt::LeftButton);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Pairs the given source columns with the given target columns and confirms.
    void importColumns(const QList<int>& sourceRows, const QStringList& targets)
    {
        select(1, sourceRows);
        click("Command3(0)");
        list(3)->clear();
        list(3)->addItems(targets);
        click("Command5");
    }

    int count(const QString& statement) const { return Recordset(folder.connection(), statement).recordCount(); }
    QString storedText(const QString& sql) const
    {
        Recordset rs(folder.connection(), sql);
        return rs.hasCurrentRow() ? rs.text(0) : QStringLiteral("<none>");
    }
    void addTargets(const QString& plan, int n)
    {
        for (int i = 0; i < n; ++i)
            folder.connection()->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 记录号) VALUES (%1, '旧%2', '%3')")
                                             .arg(sqlLiteral(plan))
                                             .arg(i)
                                             .arg(i + 1));
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const DialogRecord& r : dialogs.log())
            if (r.kind == QStringLiteral("message"))
                texts << r.text;
        return texts;
    }
    const DialogRecord* lastOfKind(const QString& kind) const
    {
        for (auto it = dialogs.log().crbegin(); it != dialogs.log().crend(); ++it)
            if (it->kind == kind)
                return &*it;
        return nullptr;
    }
};

TEST_F(ImportWindowTest, LoadsWithNineTargetColumnsZeroPositionsAndTheWholeTargetTable)
{
    addTargets(QStringLiteral("P0"), 2);
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("导入数据"));
    EXPECT_EQ(items(list(3)), QStringList({"营销对象", "电话1", "电话2", "传真", "联系人1", "联系人2", "地址", "邮政编码", "Email"}));
    EXPECT_EQ(list(1)->count() + list(2)->count() + list(4)->count(), 0);
    EXPECT_EQ(text("Text1"), QStringLiteral("0"));
    EXPECT_EQ(text("Text2"), QStringLiteral("0"));
    EXPECT_FALSE(control<QLabel>("Label1")->isVisible());
    EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("建立字段名对应关系"));
    ASSERT_TRUE(window->targetRecordset());
    EXPECT_EQ(window->targetRecordset()->fieldCount(), 9);
    EXPECT_EQ(window->targetRecordset()->recordCount(), 2);

    const QStringList captions{"打开数据库（.MDB）", "打开数据库（.XLS）", "打开数据库（.DBF）"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(control<QPushButton>(QStringLiteral("Command4(%1)").arg(i))->text(), captions[i]);
    EXPECT_EQ(control<QPushButton>("Command5")->text(), QStringLiteral("确认"));
    EXPECT_EQ(control<QPushButton>("Command2")->text(), QStringLiteral("复原"));
    EXPECT_EQ(control<QPushButton>("Command9")->text(), QStringLiteral("清空数据"));
    EXPECT_EQ(control<QPushButton>("Command1")->text(), QStringLiteral("返回"));
    EXPECT_EQ(control<QAction>("exit")->text(), QStringLiteral("退出"));
    EXPECT_EQ(control<QPushButton>("Command3(1)")->text(), QStringLiteral(">>"));
    EXPECT_EQ(control<QPushButton>("Command8(0)")->text(), QStringLiteral("<"));

    // Navigating an empty target view only writes "0"; the source side does nothing yet.
    folder.connection()->execute(QStringLiteral("DELETE FROM \"clientTableInfo\""));
    window->targetRecordset()->requery();
    click("Command7(2)");
    EXPECT_EQ(text("Text2"), QStringLiteral("0"));
    click("Command6(3)");
    EXPECT_EQ(text("Text1"), QStringLiteral("0"));
}

TEST_F(ImportWindowTest, EachOpenButtonAsksForItsKindOfFileAndCancelChangesNothing)
{
    open();
    // The filter shown first (the second) lists every kind the button opens.
    const QStringList filters{"所有文件|*.*|Access数据库|*.mdb;*.accdb|mdb文件|*.mdb|accdb文件|*.accdb",
                              "所有文件|*.*|Excel文件|*.xls;*.xlsx;*.csv|xls文件|*.xls|xlsx文件|*.xlsx|csv文件|*.csv",
                              "所有文件|*.*|dbf文件|*.dbf"};
    const QStringList extensions{"mdb", "xls", "dbf"};
    for (int i = 0; i < 3; ++i) {
        click(QStringLiteral("Command4(%1)").arg(i));   // nothing queued: the dialog is cancelled
        const DialogRecord* asked = lastOfKind(QStringLiteral("openFile"));
        ASSERT_TRUE(asked);
        EXPECT_EQ(asked->title, QStringLiteral("选择目标文件"));
        EXPECT_EQ(asked->file.filter, filters[i]);
        EXPECT_EQ(asked->file.filterIndex, 2);
        EXPECT_EQ(asked->file.defaultExt, extensions[i]);
        EXPECT_EQ(asked->file.flags, 34822);
        EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    }
    EXPECT_FALSE(control<QLabel>("Label1")->isVisible());
    EXPECT_FALSE(window->chooser());
}

TEST_F(ImportWindowTest, ACsvListOpensThroughTheChooserAndItsRowsCanBeWalked)
{
    open();
    openFile(1, threeFirmsCsv());
    ASSERT_TRUE(window->chooser());
    EXPECT_EQ(window->chooser()->windowTitle(), QStringLiteral("选择表"));
    EXPECT_EQ(window->chooser()->List1->count(), 1);
    EXPECT_FALSE(control<QLabel>("Label1")->isVisible());   // nothing of the file is loaded yet
    EXPECT_EQ(window->cursor().shape(), Qt::UpArrowCursor);   // until the chooser closes

    QTest::mouseClick(window->chooser()->Command2, Qt::LeftButton);   // nothing selected: stays open
    ASSERT_TRUE(window->chooser());
    EXPECT_TRUE(window->chooser()->isVisible());
    openFile(1, file("名单.csv"));   // opened again: one chooser, the pointer still waiting
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChildren<tableFm1*>().size(), 1);
    EXPECT_EQ(window->cursor().shape(), Qt::UpArrowCursor);

    ASSERT_NO_FATAL_FAILURE(chooseTable());
    EXPECT_FALSE(window->chooser());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("XLS数据\\名单"));
    EXPECT_EQ(items(list(1)), QStringList({"公司", "电话", "邮编"}));
    EXPECT_EQ(text("Text1"), QStringLiteral("1/3"));
    click("Command6(1)");   // before the first row: back to the first
    EXPECT_EQ(text("Text1"), QStringLiteral("1/3"));
    click("Command6(3)");
    EXPECT_EQ(text("Text1"), QStringLiteral("3/3"));
    click("Command6(2)");   // past the last row: back to the last
    EXPECT_EQ(text("Text1"), QStringLiteral("3/3"));
    click("Command6(0)");
    click("Command6(2)");
    EXPECT_EQ(text("Text1"), QStringLiteral("2/3"));
    EXPECT_EQ(control<DataGrid>("DataGrid1")->model()->rowCount(), 3);
}

TEST_F(ImportWindowTest, TheChooserTakesADoubleClickOrEnterAndTheNextOpeningStartsInTheSameFolder)
{
    open();
    QApplication::processEvents();
    const QSize buttonSize = control<QPushButton>("Command4(0)")->size();
    openFile(1, threeFirmsCsv());
    tableFm1* chooser = window->chooser();
    ASSERT_TRUE(chooser);
    QListWidget* tables = chooser->List1;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(chooser));
    QTest::mouseClick(tables->viewport(), Qt::LeftButton, {}, tables->visualItemRect(tables->item(0)).center());
    QTest::mouseDClick(tables->viewport(), Qt::LeftButton, {}, tables->visualItemRect(tables->item(0)).center());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window->chooser());
    EXPECT_EQ(items(list(1)), QStringList({"公司", "电话", "邮编"}));
    QApplication::processEvents();
    EXPECT_EQ(control<QPushButton>("Command4(0)")->size(), buttonSize);   // the file's name took no room from them

    openFile(1, threeFirmsCsv(QStringLiteral("名单2.csv")));
    EXPECT_EQ(lastOfKind(QStringLiteral("openFile"))->file.initialDir, files.path());
    chooser = window->chooser();
    ASSERT_TRUE(chooser);
    chooser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(chooser));
    chooser->List1->setFocus();
    chooser->List1->setCurrentRow(0);
    QTest::keyClick(chooser->List1, Qt::Key_Return);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window->chooser());
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("XLS数据\\名单2"));
}

TEST_F(ImportWindowTest, ColumnsMoveInTheirOrderAndResetBringsBackAllNineTargetsWithEmail)
{
    open();
    SourceFileWriter::writeCsv(file("cols.csv"), QStringLiteral("a,b,c,d,e\n1,2,3,4,5\n"));
    openFile(1, file("cols.csv"));
    ASSERT_NO_FATAL_FAILURE(chooseTable());

    select(1, {1, 3});   // selected items move from the top, in their order
    click("Command3(0)");
    EXPECT_EQ(items(list(1)), QStringList({"a", "c", "e"}));
    EXPECT_EQ(items(list(2)), QStringList({"b", "d"}));
    click("Command3(1)");   // all the rest follow, in order; nothing is sorted
    EXPECT_EQ(items(list(2)), QStringList({"b", "d", "a", "c", "e"}));
    EXPECT_EQ(list(1)->count(), 0);
    select(2, {0, 1, 4});
    click("Command3(2)");
    EXPECT_EQ(items(list(1)), QStringList({"b", "d", "e"}));
    EXPECT_EQ(items(list(2)), QStringList({"a", "c"}));
    click("Command3(3)");
    EXPECT_EQ(items(list(1)), QStringList({"b", "d", "e", "a", "c"}));

    select(3, {0, 8});
    click("Command8(2)");   // List3 → List4
    EXPECT_EQ(items(list(4)), QStringList({"营销对象", "Email"}));
    click("Command8(3)");
    EXPECT_EQ(list(3)->count(), 0);
    EXPECT_EQ(list(4)->count(), 9);
    select(4, {2});
    click("Command8(0)");
    EXPECT_EQ(items(list(3)), QStringList({"电话1"}));
    click("Command8(1)");
    EXPECT_EQ(list(3)->count(), 9);
    EXPECT_EQ(list(4)->count(), 0);

    click("Command2");   // 复原
    EXPECT_EQ(items(list(1)), QStringList({"a", "b", "c", "d", "e"}));
    EXPECT_EQ(list(2)->count(), 0);
    EXPECT_EQ(list(4)->count(), 0);
    EXPECT_EQ(items(list(3)), QStringList({"营销对象", "电话1", "电话2", "传真", "联系人1", "联系人2", "地址", "邮政编码", "Email"}));
}

TEST_F(ImportWindowTest, CountMismatchAndCancelOnTheQuestionWriteNothing)
{
    open();
    openFile(1, threeFirmsCsv());
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    dialogs.clearLog();

    click("Command5");   // List2 empty, List3 holding nine names
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log()[0].text, QStringLiteral("字段对应个数不匹配！"));
    EXPECT_EQ(dialogs.log()[0].title, InfoTitle);
    EXPECT_EQ(dialogs.log()[0].buttons, MsgButtons::Ok);

    list(3)->clear();
    dialogs.clearLog();
    click("Command5");   // both lists empty: nothing at all
    EXPECT_TRUE(dialogs.log().isEmpty());

    dialogs.queueMessage(MsgAnswer::Cancel);
    importColumns({0}, {"营销对象"});
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log()[0].text, QStringLiteral("确实要追加记录吗？ "));
    EXPECT_EQ(dialogs.log()[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(dialogs.log()[0].icon, MsgIcon::Question);
    EXPECT_EQ(dialogs.log()[0].title, InfoTitle);
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 0);
}

TEST_F(ImportWindowTest, APassAppendsThePlansTargetsNumberedAfterEveryRowOfTheTable)
{
    addTargets(QStringLiteral("P0"), 10);
    open();
    openFile(1, threeFirmsCsv());
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    QSignalSpy announced(&state, &ProgramState::changed);
    importColumns({0, 1}, {"营销对象", "电话1"});

    EXPECT_EQ(messages().last(), QStringLiteral("OK\n已导入 3 条记录。"));
    EXPECT_EQ(lastOfKind(QStringLiteral("message"))->title, QStringLiteral("数据转换成功"));
    EXPECT_EQ(lastOfKind(QStringLiteral("progress"))->title, QStringLiteral("导入数据"));
    Recordset added(folder.connection(), QStringLiteral("Select 营销对象, 电话1, 记录号 From \"clientTableInfo\" Where 序号 = 'P1'"));
    ASSERT_EQ(added.recordCount(), 3);
    const QStringList names{"北京甲公司", "上海乙公司", "O'K 贸易"};
    for (int i = 0; i < 3; ++i) {
        added.setAbsolutePosition(i + 1);
        EXPECT_EQ(added.text(0), names[i]);
        EXPECT_EQ(added.text(2), QString::number(11 + i));
    }
    EXPECT_EQ(announced.count(), 1);
    EXPECT_EQ(text("Text1"), QStringLiteral("1 / 3"));
    EXPECT_EQ(text("Text2"), QStringLiteral("1/13"));
    ASSERT_TRUE(window->importRecordset());
    EXPECT_EQ(control<DataGrid>("DataGrid1")->recordset(), window->importRecordset());
    EXPECT_EQ(window->targetRecordset()->fieldCount(), 4);   // 序号, the two pairs, 记录号
    EXPECT_EQ(window->targetRecordset()->field(0).name, QStringLiteral("序号"));

    // The source arrows still walk the file's rows, not the import's selection.
    click("Command6(3)");
    EXPECT_EQ(text("Text1"), QStringLiteral("3/3"));
    EXPECT_EQ(window->importRecordset()->absolutePosition(), 1);
}

TEST_F(ImportWindowTest, ColumnsNamedWithBlanksOrReservedWordsFromAFileNamedWithAnApostropheImport)
{
    open();
    SourceFileWriter::writeCsv(file("O'K 名单.csv"), QStringLiteral("客户 名称,Select,Order\n甲公司,010-1,地址一\n"));
    openFile(1, file("O'K 名单.csv"));
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    importColumns({0, 1, 2}, {"营销对象", "电话1", "地址"});
    EXPECT_EQ(messages().last(), QStringLiteral("OK\n已导入 1 条记录。"));
    EXPECT_EQ(storedText(QStringLiteral("Select 地址 From \"clientTableInfo\" Where 营销对象 = '甲公司'")), QStringLiteral("地址一"));
}

TEST_F(ImportWindowTest, ARefusedValueEndsWithTheMismatchMessageAndKeepsEarlierRows)
{
    // A target table whose postal code is a number field.
    if (TestEngine::onServer()) {
        folder.connection()->executeScript(QStringLiteral(
            "ALTER TABLE \"clientTableInfo\" ALTER COLUMN \"邮政编码\" TYPE bigint USING NULL; "
            "COMMENT ON COLUMN \"clientTableInfo\".\"邮政编码\" IS 'INTEGER'"));
    } else {
        folder.connection()->execute(QStringLiteral("DROP TABLE \"clientTableInfo\""));
        folder.connection()->execute(QStringLiteral(
            "CREATE TABLE \"clientTableInfo\" (序号 TEXT(50), 营销对象 TEXT(100), 电话1 TEXT(30), 电话2 TEXT(30), 传真 TEXT(30), "
            "Email TEXT(100), 联系人1 TEXT(50), 联系人2 TEXT(50), 地址 TEXT(100), 邮政编码 INTEGER, 记录号 TEXT(50))"));
    }
    open();
    SourceFileWriter::writeCsv(file("post.csv"), QStringLiteral("name,post\n甲,100080\n乙,不详\n丙,300000\n"));
    openFile(1, file("post.csv"));
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    importColumns({0, 1}, {"营销对象", "邮政编码"});
    EXPECT_EQ(messages().last(), QStringLiteral("字段类型不匹配！ \n已导入 1 条记录。"));
    EXPECT_EQ(lastOfKind(QStringLiteral("message"))->title, InfoTitle);
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 1);
    EXPECT_EQ(storedText(QStringLiteral("Select 营销对象 From \"clientTableInfo\"")), QStringLiteral("甲"));
    EXPECT_TRUE(control<QPushButton>("Command5")->isEnabled());
}

TEST_F(ImportWindowTest, LongValuesAreCutAndTrimmedAndEmptyCellsStoreEmptyText)
{
    open();
    const QString longName = QString(98, QChar(u'名')) + QStringLiteral("   尾");
    SourceFileWriter::writeXlsx(file("cut.xlsx"), {{QStringLiteral("客户"), {"公司", "电话", "邮编"},
                                                    {{longName, QVariant(), QStringLiteral("  100080  ")},
                                                     {QStringLiteral("乙"), 13812345678.0, QVariant()}}}});
    openFile(1, file("cut.xlsx"));
    ASSERT_NO_FATAL_FAILURE(chooseTable(QStringLiteral("客户")));
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("XLS数据\\cut"));
    importColumns({0, 1, 2}, {"营销对象", "电话1", "邮政编码"});
    // The name loses its last character ("尾"), which is said; the blanks trimmed are not.
    EXPECT_EQ(messages().last(), QStringLiteral("OK\n已导入 2 条记录。\n超过字段长度而被截短的内容：“营销对象”1 条。"));
    EXPECT_EQ(storedText(QStringLiteral("Select 营销对象 From \"clientTableInfo\" Where 记录号 = '1'")), QString(98, QChar(u'名')));
    EXPECT_EQ(storedText(QStringLiteral("Select 邮政编码 From \"clientTableInfo\" Where 记录号 = '1'")), QStringLiteral("100080"));
    // An empty text, not Null (and on a file not a number or bytes either: those never equal '').
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\" Where 记录号 = '1' And 电话1 = ''")), 1);
    EXPECT_EQ(storedText(QStringLiteral("Select 电话1 From \"clientTableInfo\" Where 记录号 = '2'")), QStringLiteral("13812345678"));
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\" Where 记录号 = '2' And 邮政编码 = ''")), 1);
}

TEST_F(ImportWindowTest, ADbaseFileLoadsAtOnceWithItsChineseText)
{
    open();
    SourceFileWriter::writeDbf(file("clients.dbf"), {"NAME", "PHONE"}, {40, 20},
                               {{QStringLiteral("北京甲公司"), QStringLiteral("010-1111")},
                                {QStringLiteral("广州丙公司"), QStringLiteral("020-3333")}});
    openFile(2, file("clients.dbf"));
    EXPECT_FALSE(window->chooser());
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("DBF数据\\clients.dbf"));
    EXPECT_EQ(items(list(1)), QStringList({"NAME", "PHONE"}));
    EXPECT_EQ(text("Text1"), QStringLiteral("1/2"));
    importColumns({0, 1}, {"营销对象", "电话1"});
    EXPECT_EQ(storedText(QStringLiteral("Select 营销对象 From \"clientTableInfo\" Where 记录号 = '2'")), QStringLiteral("广州丙公司"));
}

TEST_F(ImportWindowTest, AFileThatCannotBeReadIsNamedInAMessageAndTheSourceStays)
{
    open();
    openFile(1, threeFirmsCsv());
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    const auto rowsBefore = source.browseRecordset;

    SourceFileWriter::writeRandomBytes(file("坏文件.xls"), 4096);
    SourceFileWriter::writeCsv(file("empty.dbf"), QString());
    for (const auto& [button, name] : {std::pair{1, QStringLiteral("坏文件.xls")}, std::pair{2, QStringLiteral("empty.dbf")},
                                      std::pair{0, QStringLiteral("missing.mdb")}}) {
        dialogs.clearLog();
        openFile(button, file(name));
        const DialogRecord* told = lastOfKind(QStringLiteral("message"));
        ASSERT_TRUE(told) << name.toStdString();
        EXPECT_EQ(told->title, InfoTitle);
        EXPECT_TRUE(told->text.contains(name)) << told->text.toStdString();
        EXPECT_FALSE(window->chooser());
        EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    }
    EXPECT_EQ(source.browseRecordset, rowsBefore);
    EXPECT_EQ(source.fileTitle, QStringLiteral("名单.csv"));
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("XLS数据\\名单"));
    EXPECT_EQ(items(list(1)), QStringList({"公司", "电话", "邮编"}));
}

TEST_F(ImportWindowTest, ACancelledLoadKeepsThePreviousSourceAndACancelledPassStoresNothing)
{
    open();
    openFile(1, threeFirmsCsv());
    ASSERT_NO_FATAL_FAILURE(chooseTable());

    QString big = QStringLiteral("公司,电话\n");
    for (int i = 0; i < 20000; ++i)
        big += QStringLiteral("公司%1,%1\n").arg(i);
    SourceFileWriter::writeCsv(file("big.csv"), big);
    dialogs.queueProgressCancel(1);
    openFile(1, file("big.csv"));
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    EXPECT_EQ(items(list(1)), QStringList({"公司", "电话", "邮编"}));
    EXPECT_EQ(source.browseRecordset->recordCount(), 3);

    openFile(1, file("big.csv"));
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    ASSERT_EQ(source.browseRecordset->recordCount(), 20000);

    QList<bool> buttonsWhileRunning;
    dialogs.onProgress = [&](qint64) {
        buttonsWhileRunning << (control<QPushButton>("Command5")->isEnabled() || control<QPushButton>("Command9")->isEnabled()
                                || control<QPushButton>("Command4(0)")->isEnabled() || control<QPushButton>("Command1")->isEnabled());
    };
    QSignalSpy announced(&state, &ProgramState::changed);
    dialogs.queueProgressCancel(1000);
    importColumns({0, 1}, {"营销对象", "电话1"});
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 0);
    EXPECT_EQ(announced.count(), 0);
    ASSERT_FALSE(buttonsWhileRunning.isEmpty());
    EXPECT_FALSE(buttonsWhileRunning.contains(true));
    EXPECT_TRUE(control<QPushButton>("Command5")->isEnabled());
    EXPECT_FALSE(messages().last().startsWith(QStringLiteral("OK")));
}

TEST_F(ImportWindowTest, EmptyingTheTableAsksFirstAndThenDeletesEveryPlansTargets)
{
    addTargets(QStringLiteral("P0"), 3);
    addTargets(QStringLiteral("P1"), 2);
    open();
    QSignalSpy announced(&state, &ProgramState::changed);
    dialogs.queueMessage(MsgAnswer::Cancel);
    click("Command9");
    const DialogRecord* asked = lastOfKind(QStringLiteral("message"));
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->text, QStringLiteral("确实要删除全部营销对象数据吗？\n将删除所有计划的5个客户记录。"));
    EXPECT_EQ(asked->title, InfoTitle);
    EXPECT_EQ(asked->buttons, MsgButtons::OkCancel);
    EXPECT_EQ(asked->icon, MsgIcon::Question);
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 5);
    EXPECT_EQ(announced.count(), 0);

    dialogs.queueMessage(MsgAnswer::Ok);
    click("Command9");
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 0);
    EXPECT_EQ(text("Text2"), QStringLiteral("0"));
    EXPECT_EQ(window->targetRecordset()->fieldCount(), 8);
    EXPECT_EQ(announced.count(), 1);

    dialogs.clearLog();
    click("Command9");   // nothing left: no question
    EXPECT_TRUE(dialogs.log().isEmpty());
}

TEST_F(ImportWindowTest, ClosingReleasesTheRowsButTheSourceFileStays)
{
    open();
    openFile(1, threeFirmsCsv());
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    window->close();
    window.release();   // deleted on close
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(source.browseRecordset);
    EXPECT_TRUE(source.connection);
    EXPECT_EQ(source.fileTitle, QStringLiteral("名单.csv"));

    open();
    click("Command2");   // 复原 with no rows open: no source columns
    EXPECT_EQ(list(1)->count(), 0);
    EXPECT_EQ(list(3)->count(), 9);
}

TEST_F(ImportWindowTest, TheFeedbackWindowBesideItShowsTheImportedTargetsWhenTheUserComesBack)
{
    folder.connection()->execute(QStringLiteral("INSERT INTO \"marketingComment\" (序号, 题目, 反馈合计, 反馈率) VALUES ('P1', '春季直邮', '', '')"));
    state.setCurrentPlan(QStringLiteral("P1"), QStringLiteral("春季直邮"));
    auto feedback = std::make_unique<Form5>(state);
    feedback->show();
    ASSERT_EQ(feedback->planTargetRecordset()->recordCount(), 0);

    open();
    openFile(1, threeFirmsCsv());
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    importColumns({0, 1}, {"营销对象", "电话1"});
    EXPECT_EQ(messages().last(), QStringLiteral("OK\n已导入 3 条记录。"));

    feedback->Form_Activate();   // the user comes back to the feedback window
    auto targets = feedback->planTargetRecordset();
    ASSERT_EQ(targets->recordCount(), 3);
    targets->moveFirst();
    EXPECT_EQ(targets->text(QStringLiteral("营销对象")), QStringLiteral("北京甲公司"));

    // A target the feedback window adds shows in the import window once the user is back there.
    folder.connection()->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象) VALUES ('P1', '新客户')"));
    state.announce({ChangeNotice::Table::Targets, QStringLiteral("P1")});
    EXPECT_EQ(window->targetRecordset()->recordCount(), 4);
    EXPECT_EQ(text("Text2"), QStringLiteral("1/4"));
    feedback.reset();
}

// A chooser left open from an earlier opening never loads anything: a new opening closes it.
TEST_F(ImportWindowTest, ANewOpeningClosesTheChooserOfAnEarlierOne)
{
    open();
    SourceFileWriter::writeXlsx(file("A.xlsx"), {{QStringLiteral("客户"), {"公司", "电话"}, {{QStringLiteral("甲"), QStringLiteral("1")}}}});
    SourceFileWriter::writeDbf(file("B.dbf"), {"NAME"}, {40}, {{QStringLiteral("乙")}, {QStringLiteral("丙")}});
    openFile(1, file("A.xlsx"));
    QPointer<tableFm1> earlier = window->chooser();
    ASSERT_TRUE(earlier);
    earlier->List1->item(0)->setSelected(true);
    openFile(2, file("B.dbf"));
    EXPECT_FALSE(window->chooser());
    EXPECT_TRUE(!earlier || !earlier->isVisible());
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    if (earlier)
        earlier->Command2_Click();   // whatever is left of it has no say any more
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("DBF数据\\B.dbf"));
    EXPECT_EQ(items(list(1)), QStringList({"NAME"}));
    EXPECT_EQ(text("Text1"), QStringLiteral("1/2"));
}

// Label1, the rows shown and the rows imported are always those of one file: a file whose
// chooser is left with 返回 takes the place of none of them.
TEST_F(ImportWindowTest, TheLabelTheRowsAndTheImportNameTheSameFile)
{
    open();
    openFile(1, threeFirmsCsv(QStringLiteral("A.csv")));
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    select(1, {0});
    click("Command3(0)");
    SourceFileWriter::writeCsv(file("B.csv"), QStringLiteral("公司\n乙方一\n乙方二\n"));
    openFile(1, file("B.csv"));
    ASSERT_TRUE(window->chooser());
    QTest::mouseClick(window->chooser()->Command1, Qt::LeftButton);   // 返回
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("XLS数据\\A"));
    EXPECT_EQ(text("Text1"), QStringLiteral("1/3"));
    list(3)->clear();
    list(3)->addItem(QStringLiteral("营销对象"));
    click("Command5");
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '北京甲公司'")), 1);
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 Like '乙方%'")), 0);

    // Once a table of B is taken, B is named, shown and imported.
    openFile(1, file("B.csv"));
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("XLS数据\\B"));
    importColumns({0}, {"营销对象"});
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 Like '乙方%'")), 2);
}

} // namespace

TEST_F(ImportWindowTest, ImportingTheSameListAgainAsksWhetherToSkipItsDuplicates)
{
    open();
    openFile(1, threeFirmsCsv());
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    importColumns({0, 1}, {"营销对象", "电话1"});
    ASSERT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 3);
    const QString question = QStringLiteral("发现 3 条重复的记录（营销对象和电话1相同）：3 条与本计划已有的营销对象重复。\n"
                                            "第 1 条：北京甲公司 010-1111（本计划已有）\n"
                                            "第 2 条：上海乙公司 021-2222（本计划已有）\n"
                                            "第 3 条：O'K 贸易 0755-3333（本计划已有）\n"
                                            "是否跳过这些记录？");
    auto importAgain = [&](MsgAnswer answer) {
        dialogs.clearLog();
        dialogs.queueMessage(MsgAnswer::Ok);   // 确实要追加记录吗？
        dialogs.queueMessage(answer);
        click("Command5");   // the same pairs as before
    };

    importAgain(MsgAnswer::Cancel);
    QStringList asked = messages();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[1], question);
    EXPECT_EQ(lastOfKind(QStringLiteral("message"))->buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(lastOfKind(QStringLiteral("message"))->title, InfoTitle);
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 3);

    importAgain(MsgAnswer::Yes);   // skip them
    EXPECT_EQ(messages().last(), QStringLiteral("OK\n已导入 0 条记录，跳过 3 条重复记录。"));
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 3);

    importAgain(MsgAnswer::No);    // import all, as before
    EXPECT_EQ(messages().last(), QStringLiteral("OK\n已导入 3 条记录。"));
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '北京甲公司'")), 2);
    EXPECT_EQ(storedText(QStringLiteral("Select max(CAST(记录号 AS INTEGER)) From \"clientTableInfo\"")), QStringLiteral("6"));
}

TEST_F(ImportWindowTest, AFirstImportSaysWhatItLeftOutAndWhatItCut)
{
    // Into an empty table: two rows repeat an earlier one, one has no name, one e-mail and one
    // address are longer than their fields.
    const QString longMail = QString(120, QLatin1Char('a')) + QStringLiteral("@long.com");
    const QString longAddress = QString(112, QChar(u'路'));
    SourceFileWriter::writeCsv(file("first.csv"), QStringLiteral("公司,电话,地址,邮件\n"
                                                                 "北京甲公司,010-1111,%1,a@b.cn\n"
                                                                 "上海乙公司,021-2222,上海,%2\n"
                                                                 ",0755-3333,深圳,\n"
                                                                 "北京甲公司,010-1111,北京,\n"
                                                                 "上海乙公司,021-2222,上海,\n")
                                                      .arg(longAddress, longMail));
    open();
    openFile(1, file("first.csv"));
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    dialogs.clearLog();
    dialogs.queueMessage(MsgAnswer::Ok);    // 确实要追加记录吗？
    dialogs.queueMessage(MsgAnswer::Yes);   // skip the row without a name
    dialogs.queueMessage(MsgAnswer::No);    // store the repeated rows all the same
    importColumns({0, 1, 2, 3}, {"营销对象", "电话1", "地址", "Email"});

    const QStringList asked = messages();
    ASSERT_EQ(asked.size(), 4);
    EXPECT_EQ(asked[1], QStringLiteral("有 1 条记录没有营销对象（第 3 条）。\n是否跳过这些记录？选“否”则照样导入。"));
    EXPECT_EQ(asked[2], QStringLiteral("发现 2 条重复的记录（营销对象和电话1相同）：2 条在所选数据中重复出现。\n"
                                       "第 4 条：北京甲公司 010-1111（与前面的记录相同）\n"
                                       "第 5 条：上海乙公司 021-2222（与前面的记录相同）\n"
                                       "是否跳过这些记录？"));
    EXPECT_EQ(asked[3], QStringLiteral("OK\n已导入 4 条记录，跳过 1 条没有营销对象的记录。\n"
                                       "超过字段长度而被截短的内容：“地址”1 条，“Email”1 条。"));
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 4);
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = ''")), 0);
}

TEST_F(ImportWindowTest, AFullDiskDuringThePassSaysSoAndLeavesTheTableAsItWas)
{
    addTargets(QStringLiteral("P0"), 2);
    open();
    QString csv = QStringLiteral("公司,地址\n");
    for (int i = 0; i < 3000; ++i)
        csv += QStringLiteral("公司%1,%2\n").arg(i).arg(QString(60, QChar(u'路')));
    SourceFileWriter::writeCsv(file("big.csv"), csv);
    openFile(1, file("big.csv"));
    ASSERT_NO_FATAL_FAILURE(chooseTable());
    // The database may not grow beyond the pages it has: the disk is full.
    Statement(*folder.connection(), QStringLiteral("PRAGMA max_page_count = 1")).step();
    importColumns({0, 1}, {"营销对象", "地址"});
    Statement(*folder.connection(), QStringLiteral("PRAGMA max_page_count = 1073741823")).step();

    EXPECT_TRUE(messages().last().contains(QStringLiteral("磁盘已满"))) << messages().last().toStdString();
    EXPECT_FALSE(messages().last().contains(QStringLiteral("字段类型不匹配")));
    EXPECT_EQ(count(QStringLiteral("Select * From \"clientTableInfo\"")), 2);
    EXPECT_FALSE(folder.connection()->inTransaction());
    EXPECT_EQ(text("Text2"), QStringLiteral("1/2"));
}
