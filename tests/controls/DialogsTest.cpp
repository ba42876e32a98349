#include "controls/Dialogs.h"
#include "controls/FileFolders.h"
#include "controls/FontColorDialog.h"
#include "controls/QtDialogs.h"
#include "controls/ScriptedDialogs.h"
#include "core/Twips.h"
#include "controls/WindowPlacement.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class ScriptedDialogsTest : public ::testing::Test {
protected:
    void TearDown() override { Dialogs::install(nullptr); }

    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
};

// Runs `answer` on the modal dialog the code under test is about to show.
template <typename Dialog, typename Answer>
void answerNextDialog(Answer answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(dialog);
    });
}

} // namespace

TEST_F(ScriptedDialogsTest, InstalledServiceAnswersFromQueuesInOrderAndLogsEveryCall)
{
    ASSERT_EQ(&Dialogs::instance(), &dialogs);
    dialogs.queueMessage(MsgAnswer::Cancel);
    dialogs.queueMessage(MsgAnswer::Ok);
    dialogs.queueInput(QStringLiteral("未知客户"));
    dialogs.queueInput(std::nullopt);
    dialogs.queueOpenFile(Dialogs::fileChoiceFor("/data/客户.mdb"));
    dialogs.queuePrinterSetup(true);

    Dialogs& service = Dialogs::instance();
    EXPECT_EQ(service.message("确实要删除吗？", "信息提示", MsgButtons::OkCancel, MsgIcon::Question),
              MsgAnswer::Cancel);
    EXPECT_EQ(service.message("确实要删除吗？", "信息提示", MsgButtons::OkCancel, MsgIcon::Question),
              MsgAnswer::Ok);
    EXPECT_EQ(service.input("请输入营销对象：", "查询输入", ""), QStringLiteral("未知客户"));
    EXPECT_EQ(service.input("请输入营销对象：", "查询输入", ""), std::nullopt);
    FileDialogRequest request{.title = "选择目标文件", .filter = "所有文件|*.*|mdb文件|*.mdb",
                              .filterIndex = 2, .defaultExt = "mdb", .flags = 34822};
    EXPECT_EQ(service.openFile(request)->fileName, QStringLiteral("客户.mdb"));
    QPrinter printer;
    EXPECT_TRUE(service.printerSetup(printer));
    EXPECT_FALSE(dialogs.hasPendingAnswers());

    const QList<DialogRecord>& log = dialogs.log();
    ASSERT_EQ(log.size(), 6);
    EXPECT_EQ(log[0].kind, "message");
    EXPECT_EQ(log[0].text, QStringLiteral("确实要删除吗？"));
    EXPECT_EQ(log[0].title, QStringLiteral("信息提示"));
    EXPECT_EQ(log[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(log[0].icon, MsgIcon::Question);
    EXPECT_EQ(log[2].text, QStringLiteral("请输入营销对象："));
    EXPECT_EQ(log[4].file.filterIndex, 2);
    EXPECT_EQ(log[4].file.flags, 34822);
    EXPECT_EQ(log[5].kind, "printerSetup");
    dialogs.clearLog();
    EXPECT_TRUE(dialogs.log().isEmpty());
}

TEST_F(ScriptedDialogsTest, WithNothingQueuedMessagesTakeTheFirstButtonAndTheRestCancel)
{
    EXPECT_EQ(dialogs.message("a", "", MsgButtons::Ok, MsgIcon::None), MsgAnswer::Ok);
    EXPECT_EQ(dialogs.message("a", "", MsgButtons::OkCancel, MsgIcon::None), MsgAnswer::Ok);
    EXPECT_EQ(dialogs.message("a", "", MsgButtons::YesNo, MsgIcon::None), MsgAnswer::Yes);
    EXPECT_EQ(dialogs.message("a", "", MsgButtons::YesNoCancel, MsgIcon::None), MsgAnswer::Yes);
    EXPECT_EQ(dialogs.message("a", "", MsgButtons::RetryCancel, MsgIcon::None), MsgAnswer::Retry);
    EXPECT_EQ(dialogs.message("a", "", MsgButtons::AbortRetryIgnore, MsgIcon::None), MsgAnswer::Abort);
    EXPECT_EQ(dialogs.input("请输入标题：", "标题输入", "旧标题"), std::nullopt);
    EXPECT_EQ(dialogs.openFile({}), std::nullopt);
    EXPECT_EQ(dialogs.saveFile({}), std::nullopt);
    EXPECT_EQ(dialogs.chooseFont(FontChoice{.name = "黑体"}), std::nullopt);
    QPrinter printer;
    EXPECT_FALSE(dialogs.printerSetup(printer));
    ASSERT_EQ(dialogs.log().size(), 11);
    EXPECT_EQ(dialogs.log()[6].defaultText, QStringLiteral("旧标题"));
    EXPECT_EQ(dialogs.log()[9].text, QStringLiteral("黑体"));
}

TEST_F(ScriptedDialogsTest, QueuedSavePathGetsTheDefaultExtensionLikeTheRealDialog)
{
    dialogs.queueSaveFile(FileChoice{"/tmp/导出/客户", ""});
    const std::optional<FileChoice> choice = dialogs.saveFile({.filter = "(*.DBF)|*.DBF", .defaultExt = "dbf"});
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, QStringLiteral("/tmp/导出/客户.dbf"));
    EXPECT_EQ(choice->fileName, QStringLiteral("客户.dbf"));
}

TEST_F(ScriptedDialogsTest, AProgressWindowRunsToTheEndUnlessACancelWasQueued)
{
    QList<qint64> observed;
    dialogs.onProgress = [&](qint64 done) { observed << done; };
    auto first = Dialogs::instance().progress(QStringLiteral("已读取 %1 行"), QStringLiteral("导入数据"), 0);
    EXPECT_TRUE(first->update(10));
    EXPECT_TRUE(first->update(5000));
    dialogs.queueProgressCancel(20);
    EXPECT_TRUE(dialogs.hasPendingAnswers());
    auto second = Dialogs::instance().progress(QStringLiteral("已追加 %1 条"), QStringLiteral("导入数据"), 100);
    EXPECT_FALSE(dialogs.hasPendingAnswers());
    EXPECT_TRUE(second->update(10));
    EXPECT_FALSE(second->update(20));
    EXPECT_FALSE(second->update(30));   // a cancel holds
    EXPECT_EQ(observed, QList<qint64>({10, 5000, 10, 20, 30}));
    EXPECT_EQ(dialogs.progressCounts(), QList<qint64>({10, 20, 30}));
    ASSERT_EQ(dialogs.log().size(), 2);
    EXPECT_EQ(dialogs.log()[1].kind, QStringLiteral("progress"));
    EXPECT_EQ(dialogs.log()[1].text, QStringLiteral("已追加 %1 条"));
    EXPECT_EQ(dialogs.log()[1].title, QStringLiteral("导入数据"));
}

TEST(QtDialogsTest, AProgressWindowShowsOnlyWhenTheWorkLastsAndCancelStopsIt)
{
    QtDialogs dialogs;
    auto progress = dialogs.progress(QStringLiteral("已读取 %1 行"), QStringLiteral("导入数据"), 0);
    EXPECT_TRUE(progress->update(1));
    auto* shown = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    EXPECT_FALSE(shown && shown->isVisible());   // a quick piece of work shows nothing
    QTest::qWait(450);
    EXPECT_TRUE(progress->update(2));
    QProgressDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible())
            dialog = p;
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("导入数据"));
    EXPECT_EQ(dialog->labelText(), QStringLiteral("已读取 2 行"));
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    // Counts that come quicker than anyone reads them are not each shown.
    EXPECT_TRUE(progress->update(3));
    EXPECT_EQ(dialog->labelText(), QStringLiteral("已读取 2 行"));
    QTest::qWait(60);
    EXPECT_TRUE(progress->update(4));
    EXPECT_EQ(dialog->labelText(), QStringLiteral("已读取 4 行"));
    dialog->cancel();
    EXPECT_FALSE(progress->update(5));
    progress.reset();
}

TEST(DialogsTest, InstallingNothingGoesBackToTheQtDialogs)
{
    ScriptedDialogs::installNew();
    Dialogs::install(nullptr);
    EXPECT_NE(dynamic_cast<QtDialogs*>(&Dialogs::instance()), nullptr);
}

TEST(DialogsTest, FilterTextBecomesQtNameFilters)
{
    EXPECT_EQ(Dialogs::qtNameFilters("所有文件|*.*|mdb文件|*.mdb"),
              QStringList({"所有文件 (*)", "mdb文件 (*.mdb)"}));
    EXPECT_EQ(Dialogs::qtNameFilters("*.txt|*.txt"), QStringList({"*.txt (*.txt)"}));
    EXPECT_EQ(Dialogs::qtNameFilters("Excel (*.XLS)|*.XLS"), QStringList({"Excel (*.XLS)"}));
    EXPECT_EQ(Dialogs::qtNameFilters("(*.DBF)|*.DBF"), QStringList({"(*.DBF)"}));
    EXPECT_EQ(Dialogs::qtNameFilters("Access|*.mdb; *.accdb"), QStringList({"Access (*.mdb *.accdb)"}));
    EXPECT_EQ(Dialogs::qtNameFilters("文本"), QStringList({"文本 (*)"}));
    EXPECT_TRUE(Dialogs::qtNameFilters("").isEmpty());
}

TEST(DialogsTest, DefaultExtensionOnlyWhenTheFileNameHasNone)
{
    EXPECT_EQ(Dialogs::withDefaultExtension("/tmp/out", "xls"), "/tmp/out.xls");
    EXPECT_EQ(Dialogs::withDefaultExtension("/tmp/out", ".mdb"), "/tmp/out.mdb");
    EXPECT_EQ(Dialogs::withDefaultExtension("/tmp/out.dbf", "xls"), "/tmp/out.dbf");
    EXPECT_EQ(Dialogs::withDefaultExtension("/tmp/v1.2/out", "xls"), "/tmp/v1.2/out.xls");
    EXPECT_EQ(Dialogs::withDefaultExtension("/tmp/out", ""), "/tmp/out");
    EXPECT_EQ(Dialogs::fileChoiceFor("/home/u/导出/客户.dbf").fileName, QStringLiteral("客户.dbf"));
}

TEST(QtDialogsTest, MessageBoxShowsTitleAndIconAndReturnsTheClickedButton)
{
    answerNextDialog<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("信息提示"));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(QtDialogs().message("确实要退出该系统吗？", "信息提示", MsgButtons::OkCancel,
                                  MsgIcon::Question),
              MsgAnswer::Cancel);
}

TEST(QtDialogsTest, SaveDialogPreselectsTheFilterAndAddsTheDefaultExtension)
{
    QTemporaryDir folder;
    answerNextDialog<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("选择目标文件"));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("xls文件 (*.xls)"));
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("客户");
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides accept()
    });
    FileDialogRequest request{.title = "选择目标文件", .filter = "所有文件|*.*|xls文件|*.xls",
                              .filterIndex = 2, .defaultExt = "xls", .initialDir = folder.path()};
    const std::optional<FileChoice> choice = QtDialogs().saveFile(request);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, folder.filePath("客户.xls"));
    EXPECT_EQ(choice->fileName, QStringLiteral("客户.xls"));
}

TEST(QtDialogsTest, CancelledOpenDialogGivesNothing)
{
    answerNextDialog<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(QtDialogs().openFile({.title = "载入文件", .filter = "*.txt|*.txt"}), std::nullopt);
}

TEST(QtDialogsTest, FontDialogReturnsTheFontWithItsColourAndCancelKeepsNothing)
{
    QtDialogs service;
    const FontChoice preset{.name = "Noto Sans CJK SC", .size = 12, .bold = true, .color = QColor(Qt::red)};
    answerNextDialog<FontColorDialog>([](FontColorDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("字体"));
        EXPECT_EQ(dialog->color(), QColor(Qt::red));   // the preset colour shows
        QFont font = dialog->fontPart()->currentFont();
        font.setUnderline(true);
        dialog->fontPart()->setCurrentFont(font);
        dialog->setColor(QColor(0, 0, 255));
        dialog->accept();
    });
    const std::optional<FontChoice> chosen = service.chooseFont(preset);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->size, 12);
    EXPECT_TRUE(chosen->bold);
    EXPECT_TRUE(chosen->underline);
    EXPECT_FALSE(chosen->italic);
    EXPECT_EQ(chosen->color, QColor(0, 0, 255));

    answerNextDialog<FontColorDialog>([](FontColorDialog* dialog) {
        dialog->setColor(QColor(Qt::green));
        dialog->reject();
    });
    EXPECT_EQ(service.chooseFont(preset), std::nullopt);
}

TEST_F(ScriptedDialogsTest, FontRequestLogsTheWholePreset)
{
    dialogs.queueFont(FontChoice{.name = "宋体", .size = 11, .color = QColor(Qt::blue)});
    const std::optional<FontChoice> chosen = dialogs.chooseFont(FontChoice{.name = "黑体", .size = 20, .bold = true});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->color, QColor(Qt::blue));
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log()[0].kind, "font");
    EXPECT_EQ(dialogs.log()[0].text, QStringLiteral("黑体"));
    EXPECT_EQ(dialogs.log()[0].font.size, 20);
    EXPECT_TRUE(dialogs.log()[0].font.bold);
}

TEST(WindowPlacementTest, CentresInTheAvailableAreaAndKeepsBigWindowsReachable)
{
    const QRect available(0, 30, 1920, 1050);
    EXPECT_EQ(WindowPlacement::centredPosition(available, QSize(800, 600)), QPoint(560, 255));
    EXPECT_EQ(WindowPlacement::centredPosition(available, QSize(801, 601)), QPoint(559, 254));
    EXPECT_EQ(WindowPlacement::centredPosition(available, QSize(2500, 1200)), QPoint(0, 30));

    QWidget window;
    window.resize(400, 300);
    WindowPlacement::centreOnScreen(&window);
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_EQ(window.pos(), WindowPlacement::centredPosition(screen, QSize(400, 300)));
}

TEST(WindowPlacementTest, TwipsFollowTheLogicalDpi)
{
    EXPECT_EQ(Twips::twipsToPixels(1440, 96), 96);
    EXPECT_EQ(Twips::twipsToPixels(15, 96), 1);
    EXPECT_EQ(Twips::twipsToPixels(8, 96), 1);
    EXPECT_EQ(Twips::twipsToPixels(7, 96), 0);
    EXPECT_EQ(Twips::twipsToPixels(1440, 120), 120);
    EXPECT_EQ(Twips::twipsToPixels(1440, 0), 96);
    EXPECT_EQ(Twips::pixelsToTwips(1, 96), 15);
    EXPECT_EQ(Twips::pixelsToTwips(100, 120), 1200);

    QWidget window;
    WindowPlacement::resizeFromTwips(&window, 9600, 7200);
    const double dpi = window.screen()->logicalDotsPerInchX();
    EXPECT_EQ(window.width(), qRound(9600 * dpi / 1440));
    EXPECT_EQ(window.size(), WindowPlacement::sizeFromTwips(9600, 7200, &window));
}

TEST_F(ScriptedDialogsTest, AFileDialogOpensInTheFolderLastUsedForItsKindOfFile)
{
    FileFolders::forgetAll();   // as at the start of the program
    QTemporaryDir excelFolder;
    QTemporaryDir pdfFolder;
    const QString excel = QStringLiteral("所有文件|*.*|Excel文件|*.xls;*.xlsx;*.csv|xls文件|*.xls");
    EXPECT_EQ(FileFolders::kindOf(excel), QStringLiteral("csv+xls+xlsx"));
    dialogs.queueOpenFile(FileChoice{excelFolder.filePath("名单.xlsx"), "名单.xlsx"});
    dialogs.queueSaveFile(FileChoice{pdfFolder.filePath("报表.pdf"), "报表.pdf"});
    dialogs.openFile({.filter = excel, .filterIndex = 2});
    dialogs.saveFile({.filter = "PDF文件|*.pdf"});
    dialogs.openFile({.filter = excel});   // cancelled: the folder stays remembered
    dialogs.saveFile({.filter = "PDF文件|*.pdf"});
    dialogs.openFile({.filter = "所有文件|*.*|dbf文件|*.dbf"});
    dialogs.openFile({.filter = excel, .initialDir = pdfFolder.path()});   // a folder the window gives wins
    const QList<DialogRecord>& log = dialogs.log();
    ASSERT_EQ(log.size(), 6);
    EXPECT_EQ(log[0].file.initialDir, QString());
    EXPECT_EQ(log[2].file.initialDir, excelFolder.path());
    EXPECT_EQ(log[3].file.initialDir, pdfFolder.path());
    EXPECT_EQ(log[4].file.initialDir, QString());
    EXPECT_EQ(log[5].file.initialDir, pdfFolder.path());
}
