// The product mapping window against a real database.
#include "core/Connection.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "plans/definitionFm1.h"
#include "support/ProgramTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

class DefinitionTest : public ProgramTest {
protected:
    QStringList stored() const
    {
        Recordset rs(folder.connection(), QStringLiteral("Select * From \"productDF\""));
        QStringList names;
        for (int i = 0; i < 5; ++i)
            names << rs.value(i).toString();
        return names;
    }

    static QLineEdit* box(definitionFm1& w, int k) { return w.findChild<QLineEdit*>(QStringLiteral("Text1(%1)").arg(k)); }
    static void click(definitionFm1& w, const char* name) { QTest::mouseClick(w.findChild<QPushButton*>(name), Qt::LeftButton); }
};

TEST_F(DefinitionTest, ShowsTheStoredNamesTrimmedAndStoresTrimmedNames)
{
    folder.connection()->execute(QStringLiteral("UPDATE \"productDF\" SET 产品1名称 = '  打印机 ', 产品3名称 = '扫描仪'"));
    definitionFm1 window(state);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("产品对照定义"));
    EXPECT_EQ(box(window, 0)->text(), QStringLiteral("打印机"));
    EXPECT_EQ(box(window, 2)->text(), QStringLiteral("扫描仪"));
    box(window, 1)->setText(QStringLiteral("  复印机  "));
    box(window, 2)->clear();
    click(window, "Command2");
    EXPECT_EQ(stored(), QStringList({"打印机", "复印机", "", "", ""}));
    EXPECT_TRUE(dialogs.log().isEmpty());   // saving asks nothing; the status line says where the names went
    EXPECT_TRUE(window.findChild<QLabel*>("statusLine")->text().startsWith(QStringLiteral("产品名称已保存到数据库“")));
}

TEST_F(DefinitionTest, ReturnWithoutSavingChangesNothing)
{
    definitionFm1* window = new definitionFm1(state);
    window->show();
    box(*window, 4)->setText(QStringLiteral("碎纸机"));
    QPointer<definitionFm1> alive(window);
    click(*window, "Command1");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(stored(), QStringList({"", "", "", "", ""}));
}

TEST_F(DefinitionTest, NamesGrowUpToTheColumnWidthAndApostrophesAreData)
{
    definitionFm1 window(state);
    box(window, 0)->setText(QStringLiteral("O'Brien 牌"));
    box(window, 1)->setText(QString(60, QChar(0x7EB8)));   // longer than the 50 the column holds
    box(window, 2)->setText(QStringLiteral("   ") + QString(49, QChar(0x7EB8)) + QStringLiteral("尾"));
    click(window, "Command2");
    EXPECT_EQ(stored().value(0), QStringLiteral("O'Brien 牌"));
    EXPECT_EQ(stored().value(1).size(), 50);
    EXPECT_TRUE(stored().value(2).endsWith(QStringLiteral("尾")));   // blanks around a name are not counted
    EXPECT_EQ(state.productNames().value(0), QStringLiteral("O'Brien 牌"));   // the program's names follow
    box(window, 0)->setText(QStringLiteral("O'Brien 牌激光打印机"));   // longer than the stored name
    click(window, "Command2");
    EXPECT_EQ(stored().value(0), QStringLiteral("O'Brien 牌激光打印机"));
}

TEST_F(DefinitionTest, AMappingWithoutItsRowGetsOneOnSaving)
{
    folder.connection()->execute(QStringLiteral("DELETE FROM \"productDF\""));
    definitionFm1 window(state);
    EXPECT_EQ(box(window, 0)->text(), QString());
    box(window, 0)->setText(QStringLiteral("打印机"));
    click(window, "Command2");
    EXPECT_EQ(stored().value(0), QStringLiteral("打印机"));
}

} // namespace
