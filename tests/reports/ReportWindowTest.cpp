// The three report windows against a real database, printing to PDF files.
#include "PdfPages.h"
#include "controls/UiSetup.h"
#include "core/Connection.h"
#include "core/Transaction.h"
#include "core/Recordset.h"
#include "feedback/feedbackFm1.h"
#include "reports/PagePreview.h"
#include "reports/ReportDefinitions.h"
#include "reports/ReportWindow.h"
#include "reports/TextMeasure.h"
#include "support/ProgramTest.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

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
        Transaction together(*folder.connection());
        for (int i = 0; i < count; ++i)
            folder.connection()->execute(QStringLiteral(
                "INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) "
                "VALUES (%1, '%2', '年终客户回访', 2, 2, %3)")
                                             .arg(SqlQuote(planNo), QDate(2026, 12, 1).addDays(i).toString(Qt::ISODate))
                                             .arg(2 * (i + 1)));
        together.commit();
    }
    void addClients(const QString& planNo, int count, int feedback = 1)
    {
        folder.connection()->execute(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 地址, 邮政编码, 反馈合计) "
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
    int recordsPerPage() const { return text("Text5").toInt(); }
    static int pagesFor(int rows, int perPage) { return (rows + perPage - 1) / perPage; }
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
    // 40 rows a page, or as many as the paper (A4) holds in the report's fonts.
    const int perPage = recordsPerPage();
    EXPECT_GE(perPage, 20);
    EXPECT_LE(perPage, 40);
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：%1").arg(pagesFor(41, perPage)));
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
    folder.connection()->execute(QStringLiteral("DROP TABLE \"clientTableInfo\""));
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
    const int perPage = recordsPerPage();
    const int pages = pagesFor(200, perPage);
    ASSERT_GE(pages, 5);
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：%1").arg(pages));
    click("Command4(1)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));
    click("Command4(2)");
    click("Command4(2)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));
    EXPECT_EQ(preview().last().text, QStringLiteral(" 第 3 页"));
    EXPECT_EQ(cellsAt(window->layout().tableX).first(), QStringLiteral("客户%1").arg(2 * perPage + 1));
    click("Command4(3)");
    click("Command4(2)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 %1 页").arg(pages));
    click("Command4(0)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));
    EXPECT_EQ(text("Text1(1)"), QStringLiteral("起始页：1"));
}

TEST_F(ReportWindowTest, RecordsPerPageGoUpAndDownAndStopAtOne)
{
    addDays(QStringLiteral("2026-03"), 41);
    open(ReportDefinitions::feedbackStatistics());
    const int perPage = recordsPerPage();
    click("Command4(3)");
    click("Command10(1)");
    EXPECT_EQ(recordsPerPage(), perPage - 1);
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：%1").arg(pagesFor(41, perPage - 1)));
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));   // back to page 1
    EXPECT_EQ(window->paging().currentPage, 1);
    click("Command10(0)");
    EXPECT_EQ(recordsPerPage(), perPage);
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
    EXPECT_EQ(combo->currentText(), QStringLiteral("产品5计数方框：2"));
    EXPECT_EQ(window->layout().boxShift[13], 2);
    for (const DrawOp& op : preview())
        if (op.kind == DrawOp::Kind::Rule)
            EXPECT_DOUBLE_EQ(op.x2, window->layout().tableX + 252);
    click("Command8");
    click("Command8");
    click("Command8");
    EXPECT_EQ(combo->currentText(), QStringLiteral("产品5计数方框：-1"));
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
    const int pages = pagesFor(200, recordsPerPage());
    click("Command4(2)");
    click("Command4(2)");
    ASSERT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("test")));
    click("Command3");
    EXPECT_EQ(dialogs.log().last().kind, "saveFile");
    EXPECT_EQ(dialogs.log().last().file.defaultExt, QStringLiteral("pdf"));
    EXPECT_EQ(pdfPageCount(pdf("test.pdf")), 1);
    EXPECT_EQ(window->paging().lastPage, pages);   // the range stays
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("range.pdf")));
    click("Command2");
    EXPECT_EQ(pdfPageCount(pdf("range.pdf")), pages - 2);
    // The page shown before stays shown, and navigation goes on from there.
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));
    click("Command4(1)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 2 页"));

    click("Command4(0)");
    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("all.pdf")));
    click("Command2");
    EXPECT_EQ(pdfPageCount(pdf("all.pdf")), pages);   // one file for the whole range
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

TEST_F(ReportWindowTest, PrintingKeepsThePageShownTheRangeAndThePaperChosen)
{
    addClients(QStringLiteral("2026-03"), 200);
    open(ReportDefinitions::respondingClients());
    dialogs.queuePrinterSetupPaper(QPageSize(QPageSize::A3));
    trigger("pSetup2");
    const int pages = pagesFor(200, recordsPerPage());
    click("Command4(2)");
    click("Command4(2)");
    ASSERT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("first.pdf")));
    click("Command2");
    EXPECT_EQ(pdfPageCount(pdf("first.pdf")), pages - 2);
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 3 页"));
    EXPECT_EQ(preview().last().text, QStringLiteral(" 第 3 页"));
    // The paper chosen, turned to landscape: A3 is 420 × 297 mm.
    const QSizeF paper = pdfPageSize(pdf("first.pdf"));
    EXPECT_NEAR(paper.width(), 420 / 25.4 * 72, 1);
    EXPECT_NEAR(paper.height(), 297 / 25.4 * 72, 1);

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("again.pdf")));
    click("Command2");
    EXPECT_EQ(pdfPageCount(pdf("again.pdf")), pages - 2);
    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("test.pdf")));
    click("Command3");
    const QStringList test = pdfPageTexts(pdf("test.pdf"));
    ASSERT_EQ(test.size(), 1);
    EXPECT_TRUE(pdfCells(test[0]).contains(QStringLiteral("第3页")));
    click("Command4(2)");
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 4 页"));
}

TEST_F(ReportWindowTest, APageNeverHoldsMoreRowsThanThePaper)
{
    addClients(QStringLiteral("2026-03"), 200);
    open(ReportDefinitions::respondingClients());
    const int perPage = recordsPerPage();
    EXPECT_GE(perPage, 20);
    EXPECT_LE(perPage, 40);
    auto bottom = [this] {
        double y = 0;
        for (const DrawOp& op : preview())
            y = std::max(y, op.kind == DrawOp::Kind::Rule ? op.y : op.y + TextMeasure::lineHeight(op.font));
        return y;
    };
    const double paperHeight = window->Picture2->pageSize().height();
    EXPECT_LE(bottom(), paperHeight);

    click("Command10(0)");
    EXPECT_EQ(recordsPerPage(), perPage);   // the paper is full
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("每页最多打印 %1 条记录。").arg(perPage));

    click("Command4(2)");
    dialogs.queueFont(FontChoice{.name = "宋体", .size = 16});
    trigger("wContent");
    EXPECT_LT(recordsPerPage(), perPage);
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 1 页"));
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：%1").arg(pagesFor(200, recordsPerPage())));
    EXPECT_LE(bottom(), paperHeight);
}

TEST_F(ReportWindowTest, PdfFileMenuWritesTheRangeEvenWithAPrinterInstalled)
{
    addClients(QStringLiteral("2026-03"), 100);
    open(ReportDefinitions::respondingClients());
    window->printerInstalled = [] { return true; };
    const int pages = pagesFor(100, recordsPerPage());
    click("Command4(2)");

    dialogs.queueSaveFile(std::nullopt);
    trigger("pdfFile");
    EXPECT_EQ(dialogs.log().last().file.title, QStringLiteral("输出PDF文件"));
    EXPECT_TRUE(QDir(out.path()).isEmpty());

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("mail.pdf")));
    trigger("pdfFile");
    EXPECT_EQ(pdfPageCount(pdf("mail.pdf")), pages - 1);
    EXPECT_EQ(text("Text1(2)"), QStringLiteral("第 2 页"));
    EXPECT_EQ(dialogs.log().last().text, QStringLiteral("已输出到PDF文件：") + QDir::toNativeSeparators(pdf("mail.pdf")));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("missing/folder/mail.pdf")));
    trigger("pdfFile");
    EXPECT_EQ(dialogs.log().last().kind, "message");
    EXPECT_EQ(dialogs.log().last().title, QStringLiteral("提示信息"));
}

// Every text of every printed page, read back from the PDF as a reader copies it.
TEST_F(ReportWindowTest, APrintedPdfReadsBackAsThePagesPrinted)
{
    state.setCurrentPlan(QStringLiteral("R-1"), QStringLiteral("客户回访目录 2026"));
    folder.connection()->execute(QStringLiteral(
        "INSERT INTO \"marketingComment\" VALUES ('R-1', '客户回访目录', '300', '40', '一个月', '12000', '37', '12.3%'), "
        "('R-2', '户外广告（第二期）', '0', '60', '两周', '8000', '5', '0')"));
    folder.connection()->execute(QStringLiteral(
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 传真, \"Email\", 联系人1, 地址, 邮政编码, 反馈合计) VALUES "
        "('R-1', '青羊纸业（集团）', '028-86001234', '028-86001235', 'gy@qy.cn', '张目', '户部街9号', '610031', 3), "
        "('R-1', 'Qingyang Paper (Group)', '(028) 8600 1290', '', 'jpq@qy.cn', 'Guo Yip', 'Apt 7, Gym Rd', '610032', 2)"));
    addDays(QStringLiteral("R-1"), 45);

    for (const ReportDefinition& report : {ReportDefinitions::feedbackStatistics(), ReportDefinitions::respondingClients(),
                                           ReportDefinitions::campaignSummary()}) {
        SCOPED_TRACE(report.windowName.toStdString());
        window.reset();
        open(report);
        const QString file = pdf(report.windowName + QStringLiteral(".pdf"));
        dialogs.queueSaveFile(Dialogs::fileChoiceFor(file));
        click("Command2");
        const QStringList pages = pdfPageTexts(file);
        ASSERT_EQ(pages.size(), window->paging().lastPage);
        for (int p = 0; p < pages.size(); ++p) {
            if (p > 0)
                click("Command4(2)");
            const QStringList cells = pdfCells(pages[p]);
            for (const DrawOp& op : preview())
                if (op.kind == DrawOp::Kind::Text && op.text != "|" && !op.text.isEmpty())
                    EXPECT_TRUE(cells.contains(withoutBlanks(op.text)))
                        << "page " << p + 1 << ": " << op.text.toStdString() << "\n" << pages[p].toStdString();
        }
    }
}

TEST_F(ReportWindowTest, ATargetDeletedElsewhereStillPrintsAsLoaded)
{
    addClients(QStringLiteral("2026-03"), 60);
    open(ReportDefinitions::respondingClients());
    const int perPage = recordsPerPage();
    const int pages = pagesFor(60, perPage);
    folder.connection()->execute(QStringLiteral("DELETE FROM \"clientTableInfo\" WHERE 营销对象 IN ('客户2', '客户%1')")
                                     .arg(perPage + 1));
    click("Command4(3)");
    click("Command4(0)");
    const QStringList names = cellsAt(window->layout().tableX);
    ASSERT_EQ(names.size(), perPage);   // no empty row in the middle of the page
    EXPECT_EQ(names[1], QStringLiteral("客户2"));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("loaded.pdf")));
    click("Command2");
    const QStringList printed = pdfPageTexts(pdf("loaded.pdf"));
    ASSERT_EQ(printed.size(), pages);
    EXPECT_TRUE(pdfCells(printed[0]).contains(QStringLiteral("客户2")));
    EXPECT_TRUE(pdfCells(printed[1]).contains(QStringLiteral("客户%1").arg(perPage + 1)));
    EXPECT_TRUE(pdfCells(printed[pages - 1]).contains(QStringLiteral("客户60")));
}

TEST_F(ReportWindowTest, ThePreviewZoomsToThePageWidthAndBackToTrueSize)
{
    addDays(QStringLiteral("2026-03"), 3);
    open(ReportDefinitions::feedbackStatistics());
    window->resize(800, 600);
    QApplication::processEvents();
    PagePreview* page = window->Picture2;
    const int trueWidth = page->width();
    const ReportPage drawn = preview();

    trigger("fitWidth");
    EXPECT_LE(page->width(), window->Picture1->viewport()->width());
    EXPECT_GT(page->width(), window->Picture1->viewport()->width() - 40);
    EXPECT_EQ(preview().size(), drawn.size());   // the same page, smaller
    QApplication::processEvents();
    EXPECT_FALSE(window->findChild<QScrollBar*>("HScroll1")->isVisible());

    const double fitted = page->zoom();
    QWheelEvent up(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->Picture1->viewport(), &up);
    EXPECT_NEAR(page->zoom(), fitted * 1.25, 1e-9);

    trigger("trueSize");
    EXPECT_EQ(page->width(), trueWidth);
}

TEST_F(ReportWindowTest, ReportsReadTheirRowsAsStored)
{
    folder.connection()->execute(QStringLiteral(
        "INSERT INTO \"marketingComment\" VALUES "
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
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) VALUES "
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

    const int clientPages = pagesFor(120, clients.findChild<QLineEdit*>("Text5")->text().toInt());
    const int dayPages = pagesFor(81, recordsPerPage());
    ASSERT_GE(dayPages, 3);
    QTest::mouseClick(clients.findChild<QPushButton*>("Command4(3)"), Qt::LeftButton);
    EXPECT_EQ(clients.paging().currentPage, clientPages);
    click("Command4(2)");
    EXPECT_EQ(days.paging().currentPage, 2);
    EXPECT_EQ(clients.paging().currentPage, clientPages);

    // The daily table deletes rows; the open report keeps the rows it loaded, and a report
    // opened afterwards reads the new ones.
    dialogs.queueInput(QStringLiteral("2026-03"));
    dialogs.queueMessage(MsgAnswer::Ok);
    QTest::mouseClick(table.findChild<QPushButton*>("Command6"), Qt::LeftButton);
    click("Command4(2)");
    EXPECT_EQ(days.paging().currentPage, 3);
    EXPECT_EQ(text("Text1(0)"), QStringLiteral("终止页：%1").arg(dayPages));

    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf("clients.pdf")));
    QTest::mouseClick(clients.findChild<QPushButton*>("Command2"), Qt::LeftButton);
    EXPECT_EQ(pdfPageCount(pdf("clients.pdf")), 1);

    ReportWindow reopened(state, ReportDefinitions::feedbackStatistics());
    EXPECT_EQ(reopened.findChild<QLineEdit*>("Text1(2)")->text(), QStringLiteral("第 0 页"));
}

} // namespace
