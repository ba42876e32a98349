// The three report windows against a real database, printing to PDF files.
#include "PdfPages.h"
#include "controls/UiSetup.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "feedback/feedbackFm1.h"
#include "reports/PagePreview.h"
#include "reports/ReportDefinitions.h"
#include "reports/ReportWindow.h"
#include "support/ProgramTest.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace {

class ReportWindowTest : public ProgramTest {
protected:
    std::unique_ptr<ReportWindow> window;
    QTemporaryDir out;

    void SetUp() override
    {
        ProgramTest::SetUp();
        UiSetup::registerFontSubstitutes();
        state.setCurrentPlan(QStringLiteral("2026-03"), QStringLiteral("年终客户回访"));
    }
    void TearDown() override
    {
        window.reset();
        ProgramTest::TearDown();
    }

    void addDays(const QString& planNo, int count)
    {
        folder.connection()->execute(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO feedbackTable (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) "
            "SELECT %2, date('2026-12-01', '+' || i || ' days'), '年终客户回访', 2, 2, 2 * (i + 1) FROM n")
                                         .arg(count - 1)
                                         .arg(SqlQuote(planNo)));
    }
    void addClients(const QString& planNo, int count, int feedback = 1)
    {
        folder.connection()->execute(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO clientTableInfo (序号, 营销对象, 电话1, 地址, 邮政编码, 反馈合计) "
            "SELECT %2, '客户' || i, '010-' || i, '北京市' || i || '号', '100080', %3 FROM n")
                                         .arg(count)
                                         .arg(SqlQuote(planNo))
                                         .arg(feedback));
    }
    static QString SqlQuote(const QString& text) { return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\''; }

    ReportWindow& open(const ReportDefinition& report)
    {
        window = std::make_unique<ReportWindow>(state, report);
        window->printerInstalled = [] { return false; };
        window->show();
        return *window;
    }
    void click(const QString& name) { QTest::mouseClick(window->findChild<QPushButton*>(name), Qt::LeftButton); }
    void trigger(const QString& name) { window->findChild<QAction*>(name)->trigger(); }
    QString text(const QString& name) const { return window->findChild<QLineEdit*>(name)->text(); }
    const ReportPage& preview() const { return window->findChild<PagePreview*>("Picture2")->page(); }
    QString pdf(const QString& name) const { return out.filePath(name); }

    // The texts the preview prints at `x` in the content font: one column's cells.
    QStringList cellsAt(double x) const
    {
        QStringList texts;
        for (const DrawOp& op : preview())
            if (op.kind == DrawOp::Kind::Text && op.x == x && op.text != "|" && op.font == window->layout().contentFont
                && !op.text.startsWith(QStringLiteral(" 第")))
                texts += op.text;
        return texts;
    }
};

TEST_F(ReportWindowTest, OpensWithItsCaptionDefaultsAndFirstPage)
{
    addDays(QStringLiteral("2026-03"), 41);
    open(ReportDefinitions::feedbackStatistics());
    EXPECT_EQ(window->objectName(), QStringLiteral("printFm10"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("打印反馈记录"));
    EXPECT_EQ(text("Text5"), QStringLiteral("40"));
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：2"));
    EXPECT_EQ(text("Text1(1)"), QStringLiteral("起始页：1"));
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));
    auto* combo = window->findChild<QComboBox*>("Combo1");
    EXPECT_EQ(combo->count(), 14);
    EXPECT_EQ(combo->itemText(13), QStringLiteral("产品5计数方框"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("方框宽窄调整"));
    EXPECT_TRUE(window->findChild<QRadioButton*>("Option1")->isChecked());
    EXPECT_NE(window->findChild<QAction*>("titleFont"), nullptr);

    const ReportLayout& layout = window->layout();
    EXPECT_EQ(layout.charWidth, 3);   // "宽" in the page's 9-point font
    EXPECT_EQ(layout.titleX, layout.charWidth);
    EXPECT_DOUBLE_EQ(layout.tableX, layout.charWidth + 10);
    EXPECT_EQ(preview().first().text, QStringLiteral("反 馈 统 计 表"));
    EXPECT_EQ(preview().last().text, QStringLiteral(" 第 1 页"));
    EXPECT_EQ(cellsAt(layout.tableX).first(), QStringLiteral("2026/12/1"));   // dates in the short form

    // The page is larger than the window: scroll bars show, and go when the window grows.
    QApplication::processEvents();
    EXPECT_TRUE(window->findChild<QScrollBar*>("HScroll1")->isVisible());
    EXPECT_TRUE(window->findChild<QScrollBar*>("VScroll1")->isVisible());
    window->resize(window->Picture2->width() + 200, window->Picture2->height() + 300);
    QApplication::processEvents();
    EXPECT_FALSE(window->findChild<QScrollBar*>("HScroll1")->isVisible());
    EXPECT_FALSE(window->findChild<QScrollBar*>("VScroll1")->isVisible());

    window.reset();
    open(ReportDefinitions::respondingClients());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("打印客户反馈记录"));
    EXPECT_EQ(window->findChild<QAction*>("titleFont"), nullptr);
    EXPECT_NE(window->findChild<QAction*>("numberFont"), nullptr);
}

TEST_F(ReportWindowTest, AnEmptyReportShowsPageZeroAndItsButtonsDoNothing)
{
    state.setCurrentPlan(QString(), QString());
    addDays(QStringLiteral("other"), 3);
    open(ReportDefinitions::feedbackStatistics());
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 0 页"));
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：0"));
    EXPECT_EQ(text("Text1(1)"), QStringLiteral("起始页：0"));
    EXPECT_EQ(text("Text5"), QStringLiteral("0"));
    const ReportLayout before = window->layout();
    window->findChild<QComboBox*>("Combo1")->activated(2);
    for (const char* name : {"Command5", "Command6", "Command7", "Command11", "Command8", "Command9", "Command10(0)",
                             "Command10(1)", "Command4(0)", "Command4(2)", "Command4(3)", "Command2", "Command3"})
        click(QString::fromUtf8(name));
    EXPECT_TRUE(preview().isEmpty());
    EXPECT_EQ(window->layout().tableX, before.tableX);
    EXPECT_EQ(window->layout().boxShift, before.boxShift);
    EXPECT_EQ(text("Text5"), QStringLiteral("0"));
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 0 页"));
    EXPECT_TRUE(dialogs.log().isEmpty());   // no file asked for, nothing printed
}

TEST_F(ReportWindowTest, AReportThatCannotBeReadOpensEmpty)
{
    folder.connection()->execute(QStringLiteral("DROP TABLE clientTableInfo"));
    open(ReportDefinitions::respondingClients());
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 0 页"));
    EXPECT_TRUE(preview().isEmpty());

    window.reset();
    const ProgramState withoutDatabase(nullptr, folder.path());
    ReportWindow summary(withoutDatabase, ReportDefinitions::campaignSummary());
    summary.printerInstalled = [] { return false; };
    summary.show();
    EXPECT_EQ(summary.findChild<QLineEdit*>("Text1(0)")->text(), QStringLiteral("终止页：0"));
    QTest::mouseClick(summary.findChild<QPushButton*>("Command2"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.log().isEmpty());
}

TEST_F(ReportWindowTest, NavigationStaysBetweenTheFirstAndTheLastPage)
{
    addClients(QStringLiteral("2026-03"), 200);
    open(ReportDefinitions::respondingClients());
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：5"));
    click("Command4(1)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));
    click("Command4(2)");
    click("Command4(2)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));
    EXPECT_EQ(preview().last().text, QStringLiteral(" 第 3 页"));
    EXPECT_EQ(cellsAt(window->layout().tableX).first(), QStringLiteral("客户81"));
    click("Command4(3)");
    click("Command4(2)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 5 页"));
    click("Command4(0)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));
    EXPECT_EQ(text("Text1(1)"), QStringLiteral("起始页：1"));
}

TEST_F(ReportWindowTest, RecordsPerPageGoUpAndDownAndStopAtOne)
{
    addDays(QStringLiteral("2026-03"), 41);
    open(ReportDefinitions::feedbackStatistics());
    click("Command4(3)");
    click("Command10(0)");
    EXPECT_EQ(text("Text5"), QStringLiteral("41"));
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：1"));
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));   // back to page 1
    EXPECT_EQ(window->paging().currentPage, 1);
    for (int i = 0; i < 45; ++i)
        click("Command10(1)");
    EXPECT_EQ(text("Text5"), QStringLiteral("1"));
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：41"));
    // A page of one row: one row between the top rule and the page number.
    int rules = 0;
    for (const DrawOp& op : preview())
        rules += op.kind == DrawOp::Kind::Rule;
    EXPECT_EQ(rules, 3);
}

TEST_F(ReportWindowTest, MoveButtonsMoveTheTableOrTheTitleAndBoxesWiden)
{
    addDays(QStringLiteral("2026-03"), 3);
    open(ReportDefinitions::feedbackStatistics());
    const ReportLayout start = window->layout();
    click("Command5");
    EXPECT_EQ(text("Text2"), QString::number(start.tableX - 1));
    click("Command11");
    click("Command11");
    EXPECT_EQ(text("Text6"), QString::number(start.tableGap + 2));

    window->findChild<QRadioButton*>("Option2")->click();
    click("Command6");
    EXPECT_EQ(window->layout().titleX, start.titleX + start.charWidth);
    EXPECT_EQ(text("Text3"), QString::number(start.titleX + start.charWidth));
    EXPECT_DOUBLE_EQ(preview().first().x, start.titleX + start.charWidth + 115);
    click("Command7");
    EXPECT_DOUBLE_EQ(preview().first().y, start.titleY - 1);
    EXPECT_DOUBLE_EQ(window->layout().tableX, start.tableX - 1);   // the table stayed

    auto* combo = window->findChild<QComboBox*>("Combo1");
    combo->setCurrentIndex(13);
    combo->activated(13);
    click("Command9");
    click("Command9");
    EXPECT_EQ(combo->currentText(), QStringLiteral("2"));
    EXPECT_EQ(window->layout().boxShift[13], 2);
    for (const DrawOp& op : preview())
        if (op.kind == DrawOp::Kind::Rule)
            EXPECT_DOUBLE_EQ(op.x2, window->layout().tableX + 252);
    click("Command8");
    click("Command8");
    click("Command8");
    EXPECT_EQ(combo->currentText(), QStringLiteral("-1"));
}

TEST_F(ReportWindowTest, FontDialogCancelledChangesNothingAndAcceptedRedraws)
{
    addDays(QStringLiteral("2026-03"), 3);
    open(ReportDefinitions::feedbackStatistics());
    dialogs.queueFont(std::nullopt);
    trigger("sTitle");
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log()[0].kind, "font");
    EXPECT_EQ(dialogs.log()[0].font.name, QStringLiteral("黑体"));
    EXPECT_EQ(dialogs.log()[0].font.size, 20);
    EXPECT_TRUE(dialogs.log()[0].font.bold);
    EXPECT_EQ(window->layout().titleFont, (FontSpec{.name = "黑体", .size = 20, .bold = true}));

    dialogs.queueFont(FontChoice{.name = "宋体", .size = 24, .italic = true, .underline = true, .color = QColor(200, 0, 0)});
    trigger("sTitle");
    const FontSpec chosen{.name = "宋体", .size = 24, .italic = true, .underline = true, .color = QColor(200, 0, 0)};
    EXPECT_EQ(window->layout().titleFont, chosen);
    EXPECT_EQ(preview().first().font, chosen);

    dialogs.queueFont(FontChoice{.name = "黑体", .size = 14, .bold = true, .color = QColor(0, 0, 160)});
    trigger("titleFont");
    EXPECT_EQ(dialogs.log().last().font.size, 12);   // the subject font's own preset
    EXPECT_EQ(window->layout().subjectFont.size, 14);
    EXPECT_EQ(window->layout().numberFont.size, 12);
}

TEST_F(ReportWindowTest, TitleInputSetsTheTitleAndCancelEmptiesIt)
{
    addDays(QStringLiteral("2026-03"), 3);
    open(ReportDefinitions::feedbackStatistics());
    dialogs.queueInput(QStringLiteral("客户's 反馈统计"));
    trigger("tName2");
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("请输入标题："));
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("标题输入"));
    EXPECT_EQ(dialogs.log().last().defaultText, QString());
    EXPECT_EQ(preview().first().text, QStringLiteral("客户's 反馈统计"));
    dialogs.queueInput(std::nullopt);
    trigger("tName2");
    EXPECT_EQ(window->layout().reportTitle, QString());
    EXPECT_EQ(preview().first().text, QString());
}

TEST_F(ReportWindowTest, PrintingWritesThePagesFromTheOneShownAndATestPrintOnlyThatPage)
{
    addClients(QStringLiteral("2026-03"), 200);
    open(ReportDefinitions::respondingClients());
    click("Command4(2)");
    click("Command4(2)");
    ASSERT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("test")));
    click("Command3");
    EXPECT_EQ(dialogs.log().last().kind, "saveFile");
    EXPECT_EQ(dialogs.log().last().file.defaultExt, QStringLiteral("pdf"));
    EXPECT_EQ(pdfPageCount(pdf("test.pdf")), 1);
    EXPECT_EQ(window->paging().lastPage, 5);   // the range stays
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("range.pdf")));
    click("Command2");
    EXPECT_EQ(pdfPageCount(pdf("range.pdf")), 3);
    // The page read last is shown, and navigation goes on from there.
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 5 页"));
    click("Command4(1)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 4 页"));

    click("Command4(0)");
    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("all.pdf")));
    click("Command2");
    EXPECT_EQ(pdfPageCount(pdf("all.pdf")), 5);   // one file for the whole range
    EXPECT_FALSE(dialogs.hasPendingAnswers());
}

TEST_F(ReportWindowTest, PrintingCancelledOrUnwritableLeavesAClearState)
{
    addDays(QStringLiteral("2026-03"), 3);
    open(ReportDefinitions::feedbackStatistics());
    dialogs.queueSaveFile(std::nullopt);
    click("Command2");
    EXPECT_EQ(dialogs.log().size(), 1);   // cancelled: no message, no file
    EXPECT_TRUE(QDir(out.path()).isEmpty());

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("missing/folder/r.pdf")));
    click("Command2");
    ASSERT_EQ(dialogs.log().size(), 3);
    EXPECT_EQ(dialogs.log().last().kind, "message");
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("提示信息"));
    EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("r.pdf")));
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));

    dialogs.queuePrinterSetup(false);
    trigger("pSetup2");
    EXPECT_EQ(dialogs.log().last().kind, "printerSetup");
}

TEST_F(ReportWindowTest, ReportsReadTheirRowsAsStored)
{
    folder.connection()->execute(QStringLiteral(
        "INSERT INTO marketingComment VALUES "
        "('2026-01', '春季办公设备直邮', '300', '40', '一个月', '12000', '37', '12.3%'), "
        "('2026-02', '华北区电话营销', '0', '60', '两周', '8000', '5', '0'), "
        "('2026-03', '年终客户回访', '200', '30', '三周', '5000', '', ''), "
        "('2026-04', '新品试用', '100', '10', '一周', '900', NULL, NULL)"));
    open(ReportDefinitions::campaignSummary());
    EXPECT_EQ(cellsAt(window->layout().tableX + 212), (QStringList{"12.3%", "0"}));
    EXPECT_EQ(cellsAt(window->layout().tableX), (QStringList{"2026-01", "2026-02", "2026-03", "2026-04"}));

    // The address book: responding targets only, most feedback first, ties as stored;
    // an apostrophe in the plan number is data.
    state.setCurrentPlan(QStringLiteral("O'Neil"), QString());
    folder.connection()->execute(QStringLiteral(
        "INSERT INTO clientTableInfo (序号, 营销对象, 反馈合计) VALUES "
        "('O''Neil', '甲', 3), ('O''Neil', '乙', 0), ('O''Neil', '丙', 5), ('O''Neil', '丁', 3), ('other', '戊', 9)"));
    window.reset();
    open(ReportDefinitions::respondingClients());
    EXPECT_EQ(cellsAt(window->layout().tableX), (QStringList{"丙", "甲", "丁"}));
    bool numberLine = false;
    for (const DrawOp& op : preview())
        numberLine |= op.text == QStringLiteral("序号：O'Neil");
    EXPECT_TRUE(numberLine);
}

TEST_F(ReportWindowTest, TwoReportsAndTheDailyTableKeepTheirOwnRowsAndPages)
{
    addDays(QStringLiteral("2026-03"), 81);
    addClients(QStringLiteral("2026-03"), 120);
    ReportWindow& days = open(ReportDefinitions::feedbackStatistics());
    days.printerInstalled = [] { return false; };
    ReportWindow clients(state, ReportDefinitions::respondingClients());
    clients.printerInstalled = [] { return false; };
    clients.show();
    feedbackFm1 table(state);
    table.show();

    QTest::mouseClick(clients.findChild<QPushButton*>("Command4(3)"), Qt::LeftButton);
    EXPECT_EQ(clients.paging().currentPage, 3);
    click("Command4(2)");
    EXPECT_EQ(days.paging().currentPage, 2);
    EXPECT_EQ(clients.paging().currentPage, 3);

    // The daily table deletes rows; the open report keeps the rows it loaded, and a report
    // opened afterwards reads the new ones.
    dialogs.queueInput(QStringLiteral("2026-03"));
    dialogs.queueMessage(MsgAnswer::Ok);
    QTest::mouseClick(table.findChild<QPushButton*>("Command6"), Qt::LeftButton);
    click("Command4(2)");
    EXPECT_EQ(days.paging().currentPage, 3);
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：3"));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("clients.pdf")));
    QTest::mouseClick(clients.findChild<QPushButton*>("Command2"), Qt::LeftButton);
    EXPECT_EQ(pdfPageCount(pdf("clients.pdf")), 1);

    ReportWindow reopened(state, ReportDefinitions::feedbackStatistics());
    EXPECT_EQ(reopened.findChild<QLineEdit*>("Text1(2)")->text(), QStringLiteral("第 0 页"));
}

} // namespace
