// The feedback browser on a real database: what it lists and shows, its searches, its
// charts, and that it never writes and keeps its rows to itself.
#include "charts/clientBrowseFm1.h"
#include "controls/ChartControl.h"
#include "controls/DataGrid.h"
#include "controls/ScriptedDialogs.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "exchange/export/outputFm2.h"
#include "feedback/Form5.h"
#include "support/ProgramTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class BrowserTest : public ProgramTest {
protected:
    std::unique_ptr<clientBrowseFm1> window;

    void SetUp() override
    {
        ProgramTest::SetUp();
        run("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 地址, 电话1, 传真, 联系人1, 邮政编码, \"Email\", 电话数, 传真数, "
            "\"Email数\", 信函数, 面访人数, 参观人数, 产品1计数, 产品2计数, 产品3计数, 产品4计数, 产品5计数, 反馈合计) VALUES "
            "('P1', '  北京甲公司 ', '北京市海淀区中关村大街1号', '010-62345678', '010-62345679', '王经理', '100080', "
            "'wang@jia.cn', 2, 1, 0, 0, 1, 0, 3, 0, 1, 0, 0, 4), "
            "('P1', 'O''K 贸易', NULL, NULL, NULL, NULL, NULL, NULL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), "
            "('P1', '上海乙公司', '上海市浦东新区', '021-5555', NULL, '李女士', '200120', NULL, "
            "0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1), "
            "('P0', '北京甲公司', '旧地址', NULL, NULL, NULL, NULL, NULL, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 54)");
        state.setCurrentPlan(QStringLiteral("P1"), QString());
        state.setProductNames({QStringLiteral("激光打印机"), QStringLiteral("复印机"), QStringLiteral("扫描仪"),
                               QStringLiteral("传真机"), QStringLiteral("碎纸机")});
    }
    void TearDown() override
    {
        window.reset();
        ProgramTest::TearDown();
    }

    void run(const char* sql) { folder.connection()->execute(QString::fromUtf8(sql)); }
    int rows(const QString& statement) const { return Recordset(folder.connection(), statement).recordCount(); }

    void open()
    {
        window = std::make_unique<clientBrowseFm1>(state);
        window->show();
    }
    void click(const QString& name)
    {
        auto* button = window->findChild<QAbstractButton*>(name);
        ASSERT_TRUE(button) << name.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QString text(const QString& name) const { return window->findChild<QLineEdit*>(name)->text(); }
    QString box(int index) const { return text(QStringLiteral("Text1(%1)").arg(index)); }
    bool checked(const QString& name) const { return window->findChild<QAbstractButton*>(name)->isChecked(); }
    ChartControl& chart(int number) const
    {
        return *window->findChild<ChartControl*>(QStringLiteral("MSChart%1").arg(number));
    }
    QList<double> column(const ChartControl& drawn) const
    {
        QList<double> values;
        for (int row = 1; row <= drawn.rowCount(); ++row)
            values << drawn.cellValue(row, 1);
        return values;
    }
    QString lastMessage() const
    {
        for (auto it = dialogs.log().crbegin(); it != dialogs.log().crend(); ++it) {
            if (it->kind == "message")
                return it->text;
        }
        return {};
    }
};

TEST_F(BrowserTest, APlanWithoutTargetsOpensOnZerosAndNothingActs)
{
    state.setCurrentPlan(QStringLiteral("EMPTY"), QString());
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("营销对象反馈浏览"));
    EXPECT_EQ(text("Text2"), "0/0");
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(box(i), i >= 9 && i <= 20 ? "0" : "") << i;
    for (int number : {1, 2}) {
        EXPECT_EQ(chart(number).rowCount(), 1) << number;
        EXPECT_EQ(chart(number).columnCount(), 1) << number;
        EXPECT_EQ(chart(number).cellValue(1, 1), 0.0) << number;
        EXPECT_FALSE(chart(number).isBlank()) << number;   // the single value 0
    }

    QSignalSpy exports(window.get(), &clientBrowseFm1::exportRequested);
    for (const char* name : {"Command1(0)", "Command1(2)", "Command1(3)", "Command2", "Command6"})
        click(name);
    EXPECT_EQ(exports.count(), 0);
    EXPECT_TRUE(dialogs.log().isEmpty());   // no search was even asked for
    EXPECT_EQ(text("Text2"), "0/0");
}

TEST_F(BrowserTest, ItOpensOnThePlansFirstTargetWithItsFieldsAndCharts)
{
    open();
    EXPECT_EQ(text("Text2"), "1/3");
    EXPECT_EQ(box(0), "P1");
    EXPECT_EQ(box(1), QStringLiteral("北京甲公司"));   // trimmed
    EXPECT_EQ(box(2), QStringLiteral("北京市海淀区中关村大街1号"));
    EXPECT_EQ(box(3), "010-62345678");
    EXPECT_EQ(box(4), "");
    EXPECT_EQ(box(5), "010-62345679");
    EXPECT_EQ(box(6), QStringLiteral("王经理"));
    EXPECT_EQ(box(8), "100080");
    EXPECT_EQ(box(9), "2");
    EXPECT_EQ(box(13), "1");
    EXPECT_EQ(box(15), "4");
    EXPECT_EQ(box(16), "3");
    EXPECT_EQ(box(18), "1");
    EXPECT_EQ(box(21), "wang@jia.cn");
    EXPECT_EQ(window->findChild<QLabel*>("Label1(13)")->text(), QStringLiteral("面访数"));
    EXPECT_EQ(window->findChild<QLabel*>("Label1(16)")->text(), QStringLiteral("产品1数"));
    for (int i = 0; i < 22; ++i)
        EXPECT_TRUE(window->findChild<QLineEdit*>(QStringLiteral("Text1(%1)").arg(i))->isReadOnly()) << i;

    ChartControl& channels = chart(1);
    EXPECT_EQ(channels.chartType(), ChartControl::Bar2d);
    EXPECT_EQ(column(channels), QList<double>({2, 1, 0, 0, 1, 0}));
    const QStringList channelLabels{"电话", "传真", "Email", "信函", "面访", "参观"};
    for (int row = 1; row <= 6; ++row)
        EXPECT_EQ(channels.rowLabelAt(row), channelLabels[row - 1]);
    ChartControl& products = chart(2);
    EXPECT_EQ(column(products), QList<double>({3, 0, 1, 0, 0}));
    EXPECT_EQ(products.rowLabelAt(1), QStringLiteral("激光打印机"));   // the mapped product names
    EXPECT_EQ(products.rowLabelAt(5), QStringLiteral("碎纸机"));
    EXPECT_TRUE(checked("Option1"));
    EXPECT_TRUE(checked("Option2"));

    // Nulls show as empty boxes, not as what the previous target had.
    click("Command1(2)");
    EXPECT_EQ(text("Text2"), "2/3");
    EXPECT_EQ(box(1), QStringLiteral("O'K 贸易"));
    EXPECT_EQ(box(2), "");
    EXPECT_EQ(box(21), "");
    EXPECT_EQ(box(9), "0");
}

TEST_F(BrowserTest, LinesChosenForATargetTurnBackToBarsOnTheNextTarget)
{
    open();
    click("Option3");
    EXPECT_EQ(chart(1).chartType(), ChartControl::Line2d);
    EXPECT_EQ(column(chart(1)), QList<double>({2, 1, 0, 0, 1, 0}));
    EXPECT_TRUE(checked("Option3"));
    EXPECT_EQ(chart(2).chartType(), ChartControl::Bar2d);   // each chart has its own style
    click("Option4");
    EXPECT_EQ(chart(2).chartType(), ChartControl::Line2d);
    EXPECT_TRUE(checked("Option4"));

    click("Command1(2)");
    EXPECT_EQ(chart(1).chartType(), ChartControl::Bar2d);
    EXPECT_EQ(chart(2).chartType(), ChartControl::Bar2d);
    EXPECT_TRUE(checked("Option1"));   // the marks follow the charts shown
    EXPECT_TRUE(checked("Option2"));
    EXPECT_EQ(column(chart(1)), QList<double>(6, 0.0));

    click("Option2");   // bars again on request
    EXPECT_EQ(chart(2).chartType(), ChartControl::Bar2d);
}

TEST_F(BrowserTest, NavigationAndTheGridShowTheChosenTarget)
{
    open();
    click("Command1(1)");
    EXPECT_EQ(text("Text2"), "1/3");   // stays on the first
    click("Command1(3)");
    EXPECT_EQ(text("Text2"), "3/3");
    EXPECT_EQ(box(1), QStringLiteral("上海乙公司"));
    EXPECT_EQ(column(chart(1)), QList<double>({0, 0, 1, 0, 0, 0}));
    click("Command1(2)");
    EXPECT_EQ(text("Text2"), "3/3");   // stays on the last
    click("Command1(0)");
    EXPECT_EQ(box(1), QStringLiteral("北京甲公司"));

    DataGrid* grid = window->findChild<DataGrid*>("DataGrid1");
    ASSERT_EQ(grid->model()->rowCount(), 3);
    const QRect cell = grid->visualRect(grid->model()->index(1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(text("Text2"), "2/3");
    EXPECT_EQ(box(1), QStringLiteral("O'K 贸易"));
    EXPECT_EQ(chart(1).chartType(), ChartControl::Bar2d);
}

TEST_F(BrowserTest, SearchingFindsANameAnywhereInThePlanOrSaysThereIsNone)
{
    open();
    dialogs.queueInput(QStringLiteral("甲"));
    click("Command2");
    ASSERT_GE(dialogs.log().size(), 2);
    const DialogRecord& asked = dialogs.log()[0];
    EXPECT_EQ(asked.kind, "input");
    EXPECT_EQ(asked.text, QStringLiteral("请输入营销对象："));
    EXPECT_EQ(asked.title, QStringLiteral("查询输入"));
    EXPECT_EQ(dialogs.log()[1].text, QStringLiteral("已查到此客户！"));
    EXPECT_EQ(dialogs.log()[1].title, QStringLiteral("信息提示"));
    EXPECT_EQ(dialogs.log()[1].buttons, MsgButtons::Ok);
    EXPECT_EQ(text("Text2"), "1/1");   // plan P1's target only, not P0's of the same name
    EXPECT_EQ(box(0), "P1");

    click("Command5");   // the whole plan again
    dialogs.queueInput(QStringLiteral("'K 贸"));
    click("Command2");
    EXPECT_EQ(lastMessage(), QStringLiteral("已查到此客户！"));
    EXPECT_EQ(box(1), QStringLiteral("O'K 贸易"));
    EXPECT_EQ(column(chart(1)), QList<double>(6, 0.0));   // the charts show the target found

    dialogs.queueInput(QStringLiteral("无名' Or '1'='1"));
    click("Command2");
    EXPECT_EQ(lastMessage(), QStringLiteral("无此客户！"));
    EXPECT_EQ(text("Text2"), "0/0");
    EXPECT_EQ(box(1), "");   // not the target shown before
    EXPECT_EQ(box(9), "0");
    EXPECT_EQ(window->findChild<DataGrid*>("DataGrid1")->model()->rowCount(), 0);

    // An empty list asks nothing more; 显示全库 lists the plan again.
    dialogs.clearLog();
    click("Command2");
    EXPECT_TRUE(dialogs.log().isEmpty());
    click("Command5");
    EXPECT_EQ(text("Text2"), "1/3");

    // Cancel or an empty answer changes nothing.
    dialogs.queueInput(std::nullopt);
    click("Command2");
    dialogs.queueInput(QString());
    click("Command2");
    EXPECT_EQ(text("Text2"), "1/3");
    EXPECT_EQ(lastMessage(), QString());
    EXPECT_EQ(rows("Select * From \"clientTableInfo\""), 4);   // nothing written
}

TEST_F(BrowserTest, RespondingTargetsAndTheWholePlanFollowTheCurrentPlanAtThatMoment)
{
    open();
    dialogs.queueInput(QStringLiteral("上海"));
    click("Command2");
    ASSERT_EQ(text("Text2"), "1/1");

    click("Command4");
    EXPECT_EQ(text("Text2"), "1/2");
    EXPECT_EQ(box(1), QStringLiteral("北京甲公司"));
    EXPECT_TRUE(window->browseRecordset()->filter().isEmpty());   // the search is over
    click("Command1(3)");
    EXPECT_EQ(box(1), QStringLiteral("上海乙公司"));

    click("Command5");
    EXPECT_EQ(text("Text2"), "1/3");

    // The main window chose another plan meanwhile: the lists now read that plan.
    state.setCurrentPlan(QStringLiteral("P0"), QString());
    click("Command1(3)");
    EXPECT_EQ(text("Text2"), "3/3");   // moving alone does not change the plan
    click("Command4");
    EXPECT_EQ(text("Text2"), "1/1");
    EXPECT_EQ(box(0), "P0");
    EXPECT_EQ(box(15), "54");
}

TEST_F(BrowserTest, ItKeepsItsOwnRowsAndReadsThemAgainWhenTargetsAreDeletedElsewhere)
{
    open();
    click("Command1(3)");
    EXPECT_EQ(text("Text2"), "3/3");
    EXPECT_EQ(box(1), QStringLiteral("上海乙公司"));

    // Another window deletes two targets, the one shown among them.
    run("DELETE FROM \"clientTableInfo\" WHERE 营销对象 IN ('上海乙公司', 'O''K 贸易')");
    state.announce({ChangeNotice::Table::Targets, QString()});
    EXPECT_EQ(text("Text2"), "1/1");
    EXPECT_EQ(box(1), QStringLiteral("北京甲公司"));
    EXPECT_EQ(window->findChild<DataGrid*>("DataGrid1")->model()->rowCount(), 1);

    // Targets added elsewhere appear, and the target shown stays shown.
    run("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) VALUES ('P1', '广州丙公司', 0)");
    state.announce({ChangeNotice::Table::Targets, QString()});
    EXPECT_EQ(text("Text2"), "1/2");
    EXPECT_EQ(box(1), QStringLiteral("北京甲公司"));

    // A target deleted by a window that keeps it to itself is gone once the user comes back,
    // and the search in force stays in force.
    dialogs.queueInput(QStringLiteral("公司"));
    click("Command2");
    ASSERT_EQ(text("Text2"), "1/2");
    click("Command1(3)");
    run("DELETE FROM \"clientTableInfo\" WHERE 序号 = 'P1' AND 营销对象 LIKE '%北京甲公司%'");
    window->Form_Activate();
    EXPECT_EQ(text("Text2"), "1/1");
    EXPECT_EQ(box(1), QStringLiteral("广州丙公司"));
    EXPECT_FALSE(window->browseRecordset()->filter().isEmpty());
}

TEST_F(BrowserTest, ExportIsAskedForOnlyWithTargetsListedAndReturnCloses)
{
    open();
    QSignalSpy exports(window.get(), &clientBrowseFm1::exportRequested);
    click("Command6");
    EXPECT_EQ(exports.count(), 1);

    QPointer<clientBrowseFm1> browser = window.release();
    QTest::mouseClick(browser->findChild<QAbstractButton*>("Command7"), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(browser.isNull());
    EXPECT_EQ(rows("Select * From \"clientTableInfo\""), 4);
}

// The browser's 导出 exports the responders of the plan the browser lists, also after the
// main window made another plan current; the export window is made for that plan when 导出
// is pressed, as the main window makes it.
TEST_F(BrowserTest, ExportTakesThePlanTheBrowserLists)
{
    open();   // plan P1
    state.setCurrentPlan(QStringLiteral("P0"), QString());
    QPointer<outputFm2> exporter;
    QObject::connect(window.get(), &clientBrowseFm1::exportRequested, [&](const QString& planNo) {
        exporter = new outputFm2(state, planNo);
        exporter->show();
    });
    click("Command6");
    ASSERT_TRUE(exporter);
    dialogs.queueInput(QStringLiteral("反馈客户"));
    QTest::mouseClick(exporter->findChild<QAbstractButton*>("Command1(0)"), Qt::LeftButton);
    ASSERT_TRUE(lastMessage().startsWith(QStringLiteral("OK\n")));
    Recordset exported(Connection::open(state.exportDatabasePath()), QStringLiteral("Select 序号, 营销对象 From 反馈客户"));
    ASSERT_EQ(exported.recordCount(), 2);   // P1's two responders, not P0's one
    for (int row = 0; row < 2; ++row)
        EXPECT_EQ(exported.valueAt(row, 0).toString(), QStringLiteral("P1"));
    delete exporter;
}

// The feedback window shares the plan's targets: a response saved there shows in the
// browser once the user comes back to it, and the browser's search does not narrow the
// feedback window's list.
TEST_F(BrowserTest, AResponseSavedInTheFeedbackWindowShowsWhenTheBrowserIsActivated)
{
    Clock::setToday(QDate(2026, 12, 7));
    run("INSERT INTO \"marketingComment\" (序号, 题目, 规模（数量）, 反馈合计, 反馈率) VALUES ('P1', '春季直邮', '300', '', '')");
    run("INSERT INTO \"feedbackTable\" (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）) VALUES "
        "('P1', '2026-12-05', '春季直邮', 2, 2, 2)");
    state.setCurrentPlan(QStringLiteral("P1"), QStringLiteral("春季直邮"));

    open();
    ASSERT_EQ(box(9), "2");
    click("Option4");   // the products as a line
    dialogs.queueInput(QStringLiteral("北京"));
    click("Command2");
    ASSERT_EQ(text("Text2"), "1/1");

    auto feedback = std::make_unique<Form5>(state);
    feedback->show();
    EXPECT_EQ(feedback->planTargetRecordset()->recordCount(), 3);   // not narrowed by the browser
    feedback->planTargetRecordset()->setAbsolutePosition(1);
    feedback->DataGrid2_Click();
    QTest::mouseClick(feedback->findChild<QAbstractButton*>("Command17(0)"), Qt::LeftButton);   // 电话数加
    QTest::mouseClick(feedback->findChild<QAbstractButton*>("Command17(6)"), Qt::LeftButton);   // 产品1计数
    QTest::mouseClick(feedback->findChild<QAbstractButton*>("Command9"), Qt::LeftButton);       // 保存
    EXPECT_EQ(text("Text2"), "1/1");   // the browser's list was not touched

    window->Form_Activate();   // the user comes back to the browser
    EXPECT_EQ(box(9), "3");
    EXPECT_EQ(chart(2).chartType(), ChartControl::Line2d);   // the style chosen stays
    EXPECT_EQ(box(16), "4");
    EXPECT_EQ(box(15), "5");   // products are not responses of their own
    EXPECT_EQ(chart(1).cellValue(1, 1), 3.0);
    EXPECT_EQ(chart(2).cellValue(1, 1), 4.0);

    // A target that responds for the first time is listed among those with feedback.
    feedback->planTargetRecordset()->setAbsolutePosition(2);
    feedback->DataGrid2_Click();
    QTest::mouseClick(feedback->findChild<QAbstractButton*>("Command17(1)"), Qt::LeftButton);
    QTest::mouseClick(feedback->findChild<QAbstractButton*>("Command9"), Qt::LeftButton);
    click("Command4");
    EXPECT_EQ(text("Text2"), "1/3");
    feedback.reset();
    Clock::reset();
}

} // namespace
