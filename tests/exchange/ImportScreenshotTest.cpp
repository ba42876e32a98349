// Renders the import window after an import and the table chooser with Chinese sheet names
// to PNG files when MARQUEL_SCREENSHOT_DIR names a folder, so they can be looked at.
#include "SourceFileWriter.h"

#include "controls/ScriptedDialogs.h"
#include "campaign/ProgramState.h"
#include "exchange/ImportSource.h"
#include "exchange/mainFm3.h"
#include "exchange/tableFm1.h"
#include "support/TempAppFolder.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(ImportScreenshotTest, ImportWindowAfterAnImportAndTheChooser)
{
    const QString folder = qEnvironmentVariable("MARQUEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set MARQUEL_SCREENSHOT_DIR to render the windows";
    QDir().mkpath(folder);
    TempAppFolder app;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    ProgramState state(app.connection(), app.path());
    ImportSource::instance().reset();
    state.setCurrentPlan(QStringLiteral("2026-03"), QString());

    QTemporaryDir files;
    const QString csv = files.filePath(QStringLiteral("华北客户.csv"));
    SourceFileWriter::writeCsv(csv, QStringLiteral(
        "公司名称,总机,传真,联系人,地址,邮编\n"
        "北京华远办公设备有限公司,010-62781234,010-62781235,王立新,北京市海淀区中关村大街18号,100080\n"
        "天津海河贸易公司,022-23456789,022-23456780,李红,天津市和平区南京路120号,300041\n"
        "石家庄新华文具厂,0311-8765432,,赵强,石家庄市长安区中山东路8号,050011\n"
        "太原晋源科技公司,0351-4123456,0351-4123457,刘芳,太原市迎泽区迎泽大街66号,030001\n"
        "呼和浩特北方商贸,0471-6912345,,张伟,呼和浩特市新城区新华大街5号,010010\n"));
    {
        mainFm3 window(state);
        window.show();
        dialogs.queueOpenFile(Dialogs::fileChoiceFor(csv));
        window.Command4_Click(1);
        ASSERT_TRUE(window.chooser());
        window.chooser()->List1->item(0)->setSelected(true);
        window.chooser()->Command2_Click();
        window.List1->selectAll();
        window.Command3_Click(0);
        window.List3->clear();
        window.List3->addItems({"营销对象", "电话1", "传真", "联系人1", "地址", "邮政编码"});
        window.Command5_Click();
        window.Command2_Click();   // the lists as a user sees them before pairing again
        window.List1->item(0)->setSelected(true);
        window.List1->item(1)->setSelected(true);
        window.Command3_Click(0);
        window.List3->item(7)->setSelected(true);
        window.Command8_Click(2);
        QTest::qWait(50);
        EXPECT_TRUE(window.grab().save(QDir(folder).filePath(QStringLiteral("import_window.png"))));

        tableFm1 chooser(window, Dialogs::fileChoiceFor(csv), 1, {QStringLiteral("华北区客户"), QStringLiteral("华东区客户"), QStringLiteral("展会名单 2026"),
                                  QStringLiteral("老客户回访")});
        chooser.show();
        chooser.List1->item(1)->setSelected(true);
        QTest::qWait(50);
        EXPECT_TRUE(chooser.grab().save(QDir(folder).filePath(QStringLiteral("table_chooser.png"))));
        chooser.hide();
    }
    ImportSource::instance().reset();
    Dialogs::install(nullptr);
}
