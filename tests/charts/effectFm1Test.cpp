// The effect analysis window, driven through its widgets on the executed plans and daily rows.
#include "charts/EffectTable.h"
#include "charts/effectFm1.h"
#include "campaign/ResponseRecording.h"
#include "controls/ChartControl.h"
#include "controls/DataGrid.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "reports/PdfPages.h"
#include "reports/ReportDefinitions.h"
#include "reports/ReportWindow.h"
#include "support/PlanRowsForTests.h"
#include "support/ProgramTest.h"
#include "support/TestEngine.h"
#include "support/XlsxTestReader.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QDate Today(2026, 12, 8);

class EffectWindowTest : public ProgramTest {
protected:
    std::unique_ptr<effectFm1> window;
    std::unique_ptr<ReportWindow> report;
    QTemporaryDir out;

    void SetUp() override { Clock::setToday(Today); }
    void TearDown() override
    {
        report.reset();
        window.reset();
        Clock::reset();
        ProgramTest::TearDown();
    }

    void addPlan(const QString& planNo, const QString& expected, const QString& cost)
    {
        PlanRowsForTests::addPlan(*folder.connection(), planNo, expected, cost);
    }
    void addDailyCounts(const QString& planNo, const QDate& first, const QList<int>& counts)
    {
        PlanRowsForTests::addDailyCounts(folder.connection(), planNo, first, counts);
    }
    // The user's trial: three finished campaigns of one curve and one on its second day.
    void addTrial()
    {
        for (const QString planNo : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}) {
            addPlan(planNo, QStringLiteral("80"), QStringLiteral("5000"));
            addDailyCounts(planNo, QDate(2026, 9, 1), {10, 20, 20, 20, 15, 10, 5});
        }
        addPlan(QStringLiteral("R"), QStringLiteral("120"), QStringLiteral("900"));
        addDailyCounts(QStringLiteral("R"), Today.addDays(-1), {10, 20});
        state.setCurrentPlan(QStringLiteral("R"), QStringLiteral("计划R"));
    }
    void open()
    {
        window = std::make_unique<effectFm1>(state);
        window->show();
    }

    DataGrid& grid() { return *window->DataGrid1; }
    int column(const QString& caption) { return int(EffectTable::columns().indexOf(caption)); }
    QString cell(int line, const QString& caption) { return grid().model()->index(line, column(caption)).data().toString(); }
    int lineOf(const QString& planNo)
    {
        for (int line = 0; line < grid().model()->rowCount(); ++line) {
            if (cell(line, QStringLiteral("序号")) == planNo)
                return line;
        }
        return -1;
    }
    void clickLine(int line)
    {
        const QRect cellRect = grid().visualRect(grid().model()->index(line, 1));
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellRect.center());
    }
    void clickHeader(const QString& caption)
    {
        QHeaderView* header = grid().horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column(caption)) + 4, header->height() / 2));
    }
};

TEST_F(EffectWindowTest, TheUsersTrialShowsTheHalfResponseDayTheForecastAndTheSelectedPlansMix)
{
    addTrial();
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("营销效果分析"));
    EXPECT_TRUE(window->Label1->text().contains(QStringLiteral("28 天"))) << window->Label1->text().toStdString();
    EXPECT_TRUE(window->Label4->text().contains(QStringLiteral("四分位数")));
    ASSERT_EQ(grid().model()->rowCount(), 4);
    for (int i = 0; i < EffectTable::columns().size(); ++i)
        EXPECT_EQ(grid().model()->headerData(i, Qt::Horizontal).toString(), EffectTable::columns()[i]);

    const int a = lineOf(QStringLiteral("A"));
    EXPECT_EQ(cell(a, QStringLiteral("半数反馈日")), QStringLiteral("3"));
    EXPECT_EQ(cell(a, QStringLiteral("天数")), QStringLiteral("7"));
    EXPECT_EQ(cell(a, QStringLiteral("每反馈成本")), QStringLiteral("50.00"));
    EXPECT_EQ(cell(a, QStringLiteral("达成率")), QStringLiteral("125%"));
    EXPECT_EQ(cell(a, QStringLiteral("反馈率")), QStringLiteral("10%"));
    EXPECT_EQ(cell(a, QStringLiteral("预测反馈总数")), QStringLiteral("100"));
    const int r = lineOf(QStringLiteral("R"));
    EXPECT_EQ(cell(r, QStringLiteral("预测反馈总数")), QStringLiteral("100（100–100）"));
    EXPECT_TRUE(grid().cellTip(r, column(QStringLiteral("预测反馈总数"))).contains(QStringLiteral("÷")));

    // The main window's current plan is selected: its mix, its curve among the finished ones,
    // the day of its forecast marked.
    EXPECT_EQ(window->selectedPlanNo(), QStringLiteral("R"));
    EXPECT_EQ(window->Grid1->item(0, 0)->text(), QStringLiteral("30"));
    EXPECT_EQ(window->Grid1->item(1, 0)->text(), QStringLiteral("100%"));
    EXPECT_EQ(window->Grid1->item(1, 1)->text(), QStringLiteral("0%"));
    EXPECT_EQ(window->Grid2->item(1, 0)->text(), QString());   // no product counted
    EXPECT_EQ(window->MSChart1->columnCount(), 4);
    EXPECT_EQ(window->MSChart1->markedRow(), 2);
    EXPECT_DOUBLE_EQ(window->MSChart1->cellValue(3, 1), 50.0);   // a finished plan's half on day 3
    // The running plan's line: its running total ÷ its forecast, up to today.
    EXPECT_DOUBLE_EQ(window->MSChart1->cellValue(2, 4), 30.0);
    EXPECT_EQ(window->MSChart1->lineEnd(4), 2);
    EXPECT_EQ(window->MSChart2->rowCount(), 4);
    EXPECT_EQ(window->MSChart2->rowLabelAt(4), QStringLiteral("R"));
    EXPECT_DOUBLE_EQ(window->MSChart2->cellValue(4, 1), 30.0);

    clickLine(a);
    EXPECT_EQ(window->selectedPlanNo(), QStringLiteral("A"));
    EXPECT_TRUE(window->Label3->text().contains(QStringLiteral("计划A")));
    EXPECT_EQ(window->MSChart1->markedRow(), 0);
    EXPECT_EQ(window->MSChart1->columnCount(), 3);

    // Sorted by cost per response, the running plan's 30.00 comes first; a third click goes back.
    clickHeader(QStringLiteral("每反馈成本"));
    EXPECT_EQ(cell(0, QStringLiteral("序号")), QStringLiteral("R"));
    clickHeader(QStringLiteral("每反馈成本"));
    EXPECT_EQ(cell(3, QStringLiteral("序号")), QStringLiteral("R"));
    clickHeader(QStringLiteral("每反馈成本"));
    EXPECT_EQ(cell(0, QStringLiteral("序号")), QStringLiteral("A"));
    EXPECT_EQ(window->selectedPlanNo(), QStringLiteral("A"));
}

TEST_F(EffectWindowTest, ItSaysWhyThereIsNoForecastAndFollowsSavedResponses)
{
    open();
    EXPECT_EQ(grid().model()->rowCount(), 0);
    EXPECT_TRUE(window->MSChart1->isBlank());
    EXPECT_TRUE(window->Label3->text().contains(QStringLiteral("没有已执行的计划")));
    window.reset();

    addPlan(QStringLiteral("A"), QStringLiteral("50"), QStringLiteral("1000"));
    addDailyCounts(QStringLiteral("A"), QDate(2026, 9, 1), {10, 10});
    addPlan(QStringLiteral("R"), QStringLiteral("50"), QStringLiteral("约5000元"));
    addDailyCounts(QStringLiteral("R"), Today, {3});
    open();
    const int r = lineOf(QStringLiteral("R"));
    EXPECT_EQ(cell(r, QStringLiteral("预测反馈总数")), QStringLiteral("—"));
    EXPECT_TRUE(grid().cellTip(r, column(QStringLiteral("预测反馈总数"))).contains(QStringLiteral("不足两个")));
    EXPECT_EQ(cell(r, QStringLiteral("费用")), QStringLiteral("约5000元"));
    EXPECT_EQ(cell(r, QStringLiteral("每反馈成本")), QString());
    EXPECT_TRUE(grid().cellTip(r, column(QStringLiteral("每反馈成本"))).contains(QStringLiteral("不是数字")));
    EXPECT_FALSE(window->Label2->isHidden());
    EXPECT_TRUE(window->Label2->text().contains(QStringLiteral("约5000元")));

    // A response saved (in the feedback window, or at another seat) shows without a click.
    ResponseRecording::Draft draft;
    draft.newTargetPlan = QStringLiteral("R");
    draft.fields[0] = QStringLiteral("北京新客户");
    draft.targetAdded[2] = 2;
    draft.dayAdded[2] = 2;
    draft.dayAdded[7] = 1;
    if (TestEngine::onServer()) {
        // Saved at another seat: the window hears of it through the server.
        ProgramState otherSeat(Connection::open(folder.connection()->location()), folder.path());
        ResponseRecording::record(otherSeat, draft);
    } else {
        ResponseRecording::record(state, draft);
    }
    for (int waited = 0; waited < 3000 && cell(lineOf(QStringLiteral("R")), QStringLiteral("反馈合计")) != QStringLiteral("5");
         waited += 50)
        QTest::qWait(50);
    EXPECT_EQ(cell(lineOf(QStringLiteral("R")), QStringLiteral("反馈合计")), QStringLiteral("5"));
    EXPECT_EQ(cell(lineOf(QStringLiteral("R")), QStringLiteral("达成率")), QStringLiteral("10%"));
    clickLine(lineOf(QStringLiteral("R")));
    EXPECT_EQ(window->Grid1->item(0, 2)->text(), QStringLiteral("2"));
    EXPECT_EQ(window->Grid1->item(1, 2)->text(), QStringLiteral("40%"));
    EXPECT_EQ(window->Grid2->item(1, 1)->text(), QStringLiteral("100%"));
}

TEST_F(EffectWindowTest, ExportWritesTheTableToAWorkbookAndPrintGoesThroughTheReportEngine)
{
    addTrial();
    open();
    const QString workbook = out.filePath(QStringLiteral("效果.xlsx"));
    for (int time = 0; time < 2; ++time) {   // the second export replaces the first workbook
        dialogs.queueSaveFile(Dialogs::fileChoiceFor(workbook));
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        EXPECT_TRUE(dialogs.log().last().text.contains(QStringLiteral("已导出 4 个计划"))) << dialogs.log().last().text.toStdString();
    }
    ASSERT_EQ(XlsxTestReader::sheetNames(workbook), QStringList{QStringLiteral("营销效果分析")});
    const QList<QStringList> rows = XlsxTestReader::sheetRows(workbook, QStringLiteral("营销效果分析"));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], EffectTable::columns());
    EXPECT_EQ(rows[4].value(column(QStringLiteral("预测反馈总数"))), QStringLiteral("100（100–100）"));
    EXPECT_EQ(rows[1].value(column(QStringLiteral("每反馈成本"))), QStringLiteral("50.00"));

    QObject::connect(window.get(), &effectFm1::printRequested, [this](std::shared_ptr<Connection> rows) {
        report = std::make_unique<ReportWindow>(state, ReportDefinitions::campaignEffects(EffectTable::name()), rows);
        report->printerInstalled = [] { return false; };
        report->show();
    });
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->findChild<QLineEdit*>("Text1(0)")->text(), QStringLiteral("终止页：1"));
    const QString pdf = out.filePath(QStringLiteral("效果.pdf"));
    dialogs.queueSaveFile(Dialogs::fileChoiceFor(pdf));
    QTest::mouseClick(report->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    ASSERT_EQ(pdfPageCount(pdf), 1);
    const QString printed = pdfPageTexts(pdf).value(0);
    EXPECT_TRUE(printed.contains(QStringLiteral("100（100–100）"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("半数反馈日")));
}

} // namespace
