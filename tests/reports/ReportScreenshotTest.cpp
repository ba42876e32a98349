// Renders the report windows, their preview pages and a printed page to PNG and PDF files
// when MARQUEL_SCREENSHOT_DIR names a folder, so they can be looked at; skipped otherwise.
#include "controls/ScriptedDialogs.h"
#include "controls/UiSetup.h"
#include "core/AppState.h"
#include "core/Connection.h"
#include "reports/PagePreview.h"
#include "reports/ReportDefinitions.h"
#include "reports/ReportWindow.h"
#include "support/TempAppFolder.h"

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void fillDemo(Connection& db)
{
    db.execute(QStringLiteral(
        "INSERT INTO marketingComment VALUES "
        "('2026-01', '春季办公设备直邮', '300', '40', '一个月', '12000', '37', '12.3%'), "
        "('2026-02', '华北区电话营销', '0', '60', '两周', '8000', '52', '0'), "
        "('2026-03', '年终客户回访', '200', '30', '三周', '5000', '', '')"));
    db.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 40) "
        "INSERT INTO feedbackTable (序号, 时间, 题目, 电话数, 传真数, Email数, 信函数, 面访人数, 参观人数, 产品1计数, "
        "产品2计数, 产品5计数, 反馈合计（当日）, 反馈合计（至今日）) "
        "SELECT '2026-03', date('2026-11-01', '+' || i || ' days'), '年终客户回访', i % 7, i % 3, i % 4, 1, i % 2, 0, "
        "i % 5, 1, 2, i % 7 + i % 3 + i % 4 + 1 + i % 2, 0 FROM n"));
    db.execute(QStringLiteral(
        "INSERT INTO clientTableInfo (序号, 营销对象, 电话1, 传真, Email, 联系人1, 地址, 邮政编码, 反馈合计) VALUES "
        "('2026-03', '北京华信科技有限公司', '010-62345678', '010-62345679', 'sales@huaxin.com.cn', '王经理', "
        "'北京市海淀区中关村大街1号', '100080', 5), "
        "('2026-03', '天津宏达贸易公司', '022-23456789', '', 'hongda@163.com', '李女士', '天津市和平区南京路88号', '300041', 3), "
        "('2026-03', '上海浦江文具厂', '021-55667788', '021-55667789', '', '陈科长', '上海市浦东新区张江路500号', '201203', 2), "
        "('2026-03', 'Qingyang Paper (Group) Co., Ltd. of Chengdu Sichuan', '(028) 8600 1290 ext. 1234', '028-86001291', "
        "'jpq@qingyang-paper.com.cn', 'Guo Yip (Sales Manager)', '成都市青羊区户部街9号目录大厦', '610031', 2)"));
}

TEST(ReportScreenshotTest, WindowsPreviewPagesAndAPrintedPage)
{
    const QString folder = qEnvironmentVariable("MARQUEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set MARQUEL_SCREENSHOT_DIR to render the report windows";
    QDir().mkpath(folder);
    const QDir dir(folder);
    UiSetup::registerFontSubstitutes();
    TempAppFolder app;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    AppState& state = AppState::instance();
    state.reset();
    state.dbConnection = app.connection();
    state.currentPlanNo = QStringLiteral("2026-03");
    state.currentPlanTitle = QStringLiteral("年终客户回访");
    fillDemo(*app.connection());

    const QList<std::pair<ReportDefinition, QString>> reports = {
        {ReportDefinitions::feedbackStatistics(), "report-statistics"},
        {ReportDefinitions::respondingClients(), "report-address-book"},
        {ReportDefinitions::campaignSummary(), "report-summary"},
    };
    for (const auto& [report, name] : reports) {
        ReportWindow window(report);
        window.printerInstalled = [] { return false; };
        window.show();
        QTest::qWait(50);
        EXPECT_TRUE(window.grab().save(dir.filePath(name + "-window.png")));
        EXPECT_TRUE(window.Picture2->grab().save(dir.filePath(name + "-page.png")));
        if (report.windowName == QStringLiteral("printFm10")) {
            window.fitWidth_Click();
            QTest::qWait(50);
            EXPECT_TRUE(window.grab().save(dir.filePath(name + "-fit-width.png")));
            window.trueSize_Click();
            QTest::mouseClick(window.Command4[3], Qt::LeftButton);
            EXPECT_TRUE(window.Picture2->grab().save(dir.filePath(name + "-last-page.png")));
            QTest::mouseClick(window.Command4[0], Qt::LeftButton);
        }
        dialogs.queueSaveFile(Dialogs::fileChoiceFor(dir.filePath(name + ".pdf")));
        QTest::mouseClick(window.Command2, Qt::LeftButton);
    }
    state.reset();
    Dialogs::install(nullptr);
}

} // namespace
