// The import window on files written by Access and Excel themselves (the shared sample
// files beside the project): open, choose the table, import, and look at what was stored.
#include "controls/ScriptedDialogs.h"
#include "core/Recordset.h"
#include "exchange/ImportSource.h"
#include "exchange/mainFm3.h"
#include "exchange/tableFm1.h"
#include "support/ProgramTest.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

QString fixture(const QString& name)
{
    const QString folder = qEnvironmentVariable("MARQUEL_FIXTURES");
    const QString path = QDir(folder).filePath(name);
    return !folder.isEmpty() && QFileInfo::exists(path) ? path : QString();
}

class ImportFixtureTest : public ProgramTest {
protected:
    ImportSource source;
    std::unique_ptr<mainFm3> window;

    void SetUp() override
    {
        ProgramTest::SetUp();
        source.reset();
        state.setCurrentPlan(QStringLiteral("P1"), QString());
        window = std::make_unique<mainFm3>(state, source);
        window->show();
    }
    void TearDown() override
    {
        window.reset();
        source.reset();
        ProgramTest::TearDown();
    }

    QStringList chooserTables() const
    {
        QStringList names;
        if (tableFm1* chooser = window->chooser())
            for (int i = 0; i < chooser->List1->count(); ++i)
                names << chooser->List1->item(i)->text();
        return names;
    }
    void openAndChoose(int button, const QString& path, const QString& table)
    {
        dialogs.queueOpenFile(Dialogs::fileChoiceFor(path));
        window->Command4[button]->click();
        ASSERT_TRUE(window->chooser());
        const auto found = window->chooser()->List1->findItems(table, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        found.first()->setSelected(true);
        window->chooser()->Command2->click();
    }
    void pair(const QStringList& sources, const QStringList& targets)
    {
        for (const QString& name : sources) {
            const auto found = window->List1->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << name.toStdString();
            window->List1->clearSelection();
            found.first()->setSelected(true);
            window->Command3[0]->click();
        }
        window->List3->clear();
        window->List3->addItems(targets);
        window->Command5->click();
    }
    QList<QStringList> stored(const QString& columns) const
    {
        Recordset rows(folder.connection(), QStringLiteral("Select ") + columns + QStringLiteral(" From \"clientTableInfo\""));
        QList<QStringList> all;
        for (int r = 0; r < rows.recordCount(); ++r) {
            QStringList texts;
            for (int c = 0; c < rows.fieldCount(); ++c)
                texts << rows.valueAt(r, c).toString();
            all << texts;
        }
        return all;
    }
    QString lastMessage() const
    {
        for (auto it = dialogs.log().crbegin(); it != dialogs.log().crend(); ++it)
            if (it->kind == QStringLiteral("message"))
                return it->text;
        return {};
    }
};

TEST_F(ImportFixtureTest, AnAccessTableNamedWithABlankImportsWithDatesAndEmptyMemos)
{
    const QString path = fixture(QStringLiteral("ASampleDatabase.accdb"));
    if (path.isEmpty())
        GTEST_SKIP() << "shared sample files not found";
    ASSERT_NO_FATAL_FAILURE(openAndChoose(0, path, QStringLiteral("Asset Items")));
    EXPECT_EQ(window->Label1->text(), QStringLiteral("MDB数据\\ASampleDatabase.accdb"));
    EXPECT_EQ(window->List1->count(), 13);
    EXPECT_EQ(window->Text1->text(), QStringLiteral("1/65"));
    ASSERT_NO_FATAL_FAILURE(pair({"Asset No", "Make", "Acquired", "Cost", "Comments"}, {"营销对象", "电话1", "地址", "传真", "联系人1"}));
    EXPECT_EQ(lastMessage(), QStringLiteral("OK\n已导入 65 条记录。"));
    const auto rows = stored(QStringLiteral("营销对象, 电话1, 地址, 传真, 联系人1, 记录号"));
    ASSERT_EQ(rows.size(), 65);
    EXPECT_EQ(rows[0], QStringList({"30050", "GEO Rocket", "1997/9/2", "1995.5", "", "1"}));
    EXPECT_EQ(rows[64].last(), QStringLiteral("65"));
}

TEST_F(ImportFixtureTest, AJet4DatabaseListsItsTablesWithoutTheSystemOnes)
{
    const QString path = fixture(QStringLiteral("DateTestDatabase.mdb"));
    if (path.isEmpty())
        GTEST_SKIP() << "shared sample files not found";
    dialogs.queueOpenFile(Dialogs::fileChoiceFor(path));
    window->Command4[0]->click();
    const QStringList tables = chooserTables();
    ASSERT_FALSE(tables.isEmpty());
    EXPECT_EQ(tables.first(), QStringLiteral("DateTest"));
    for (const QString& table : tables)
        EXPECT_FALSE(table.startsWith(QLatin1String("MSys"))) << table.toStdString();
    window->chooser()->Command1->click();   // 返回: nothing chosen, nothing loaded
    EXPECT_FALSE(window->chooser());
    EXPECT_FALSE(source.browseRecordset);

    ASSERT_NO_FATAL_FAILURE(openAndChoose(0, path, QStringLiteral("DateTest")));
    ASSERT_NO_FATAL_FAILURE(pair({"LongTextCol", "DateCol"}, {"营销对象", "联系人1"}));
    const auto rows = stored(QStringLiteral("营销对象, 联系人1"));
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], QStringList({"Hello", "2021/12/2"}));
    EXPECT_EQ(rows[1], QStringList({"Year 9999", "9999/1/1"}));
}

TEST_F(ImportFixtureTest, AnOldExcelWorkbookListsItsSheetsWithoutTheDollarSign)
{
    const QString path = fixture(QStringLiteral("xlrd_profiles.xls"));
    if (path.isEmpty())
        GTEST_SKIP() << "shared sample files not found";
    ASSERT_NO_FATAL_FAILURE(openAndChoose(1, path, QStringLiteral("PROFILEDEF")));
    EXPECT_EQ(source.table, QStringLiteral("\"PROFILEDEF$\""));
    EXPECT_EQ(window->Label1->text(), QStringLiteral("XLS数据\\xlrd_profiles"));
    ASSERT_NO_FATAL_FAILURE(pair({"PROFIL", "a"}, {"营销对象", "电话1"}));
    const auto rows = stored(QStringLiteral("营销对象, 电话1"));
    ASSERT_EQ(rows.size(), 14);
    EXPECT_EQ(rows[0], QStringList({"P8.2", "100"}));
}

TEST_F(ImportFixtureTest, AChineseWorkbookImportsItsHeadingsDatesAndNumbers)
{
    const QString path = fixture(QStringLiteral("easyexcel_demo_cn.xlsx"));
    if (path.isEmpty())
        GTEST_SKIP() << "shared sample files not found";
    dialogs.queueOpenFile(Dialogs::fileChoiceFor(path));
    window->Command4[1]->click();
    EXPECT_EQ(chooserTables(), QStringList({"Sheet1", "Sheet2"}));
    window->chooser()->close();
    ASSERT_NO_FATAL_FAILURE(openAndChoose(1, path, QStringLiteral("Sheet1")));
    EXPECT_EQ(window->Label1->text(), QStringLiteral("XLS数据\\easyexcel_demo_cn"));
    ASSERT_NO_FATAL_FAILURE(pair({"字符串标题", "日期标题", "数字标题"}, {"营销对象", "地址", "电话1"}));
    const auto rows = stored(QStringLiteral("营销对象, 地址, 电话1"));
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(rows[0], QStringList({"字符串0", "2020/1/1 1:01:01", "1"}));
    EXPECT_EQ(rows[9][0], QStringLiteral("字符串9"));
}

} // namespace
