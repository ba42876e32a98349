// Renders the four chart panels and the plan comparison window with a campaign's ten days
// of responses to PNG files when MARQUEL_SCREENSHOT_DIR names a folder, so they can be
// looked at; skipped otherwise.
#include "ChartTestData.h"
#include "charts/FeedbackChartPanel.h"
#include "charts/chartFm1.h"
#include "controls/ChartControl.h"
#include "core/AppState.h"
#include "core/ExecutedPlans.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "support/TempAppFolder.h"

#include <QAbstractButton>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void fillCampaigns(Connection& db)
{
    db.execute(QStringLiteral("UPDATE productDF SET 产品1名称 = '高速彩色激光多功能一体机（商用型）', 产品2名称 = '复印机', 产品3名称 = '扫描仪', "
                              "产品4名称 = '传真机', 产品5名称 = '碎纸机'"));
    ChartTestData::addPlan(db, "2026-01", "春季办公设备直邮", "300", "40", "37", "12.3%");
    ChartTestData::addPlan(db, "2026-02", "华北区电话营销", "500", "60", "52", "10.4%");
    ChartTestData::addPlan(db, "2026-03", "年终客户回访", "200", "30", "18", "9%");
    ChartTestData::addPlan(db, "2026-04", "新品发布会邀请", "260", "45", "71", "27.3%");

    // Ten days of responses to the last campaign: a strong start, a dip, a second wave.
    const int phones[10] = {6, 9, 4, 3, 7, 5, 2, 8, 4, 3};
    const int faxes[10] = {1, 2, 0, 1, 1, 0, 0, 2, 1, 0};
    const int mails[10] = {3, 4, 2, 1, 3, 2, 1, 4, 2, 1};
    const int letters[10] = {0, 1, 1, 0, 0, 1, 0, 0, 1, 0};
    const int visits[10] = {1, 0, 1, 1, 0, 1, 0, 1, 0, 1};
    const int siteVisits[10] = {0, 0, 1, 0, 1, 0, 0, 1, 0, 0};
    int runningTotal = 0;
    for (int d = 0; d < 10; ++d) {
        const int channels[6] = {phones[d], faxes[d], mails[d], letters[d], visits[d], siteVisits[d]};
        ChartTestData::Day day;
        int dailyTotal = 0;
        for (int value : channels) {
            day.channels << QString::number(value);
            dailyTotal += value;
        }
        const int products[5] = {dailyTotal / 2, dailyTotal / 4, dailyTotal / 6, d % 3, (d + 1) % 2};
        for (int value : products)
            day.products << QString::number(value);
        runningTotal += dailyTotal;
        day.dailyTotal = QString::number(dailyTotal);
        day.runningTotal = QString::number(runningTotal);
        ChartTestData::addDay(db, "2026-04", QDate(2026, 12, 1).addDays(d), day);
    }
}

void save(QWidget& widget, const QString& folder, const QString& name)
{
    QTest::qWait(50);
    EXPECT_TRUE(widget.grab().save(QDir(folder).filePath(name))) << name.toStdString();
}

TEST(ChartScreenshotTest, PanelsAndPlanComparison)
{
    const QString folder = qEnvironmentVariable("MARQUEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set MARQUEL_SCREENSHOT_DIR to render the charts";
    QDir().mkpath(folder);
    TempAppFolder app;
    ScriptedDialogs::installNew();
    AppState& state = AppState::instance();
    state.reset();
    state.dbConnection = app.connection();
    fillCampaigns(*app.connection());
    ExecutedPlans::openPlans(state);   // the last campaign is current
    ExecutedPlans::openPlanFeedback(state);
    ExecutedPlans::loadProductNames(state);
    state.planFeedbackRecordset()->moveLast();

    {
        FeedbackChartPanel panel;
        panel.setProductLegend(state.productNames);
        panel.resize(790, 440);
        panel.show();
        auto click = [&panel](const QString& name) { panel.findChild<QAbstractButton*>(name)->click(); };
        panel.chart3();
        panel.selectCurrentDayOption();
        save(panel, folder, "chart-current-day.png");
        click("Option2");
        save(panel, folder, "chart-cumulative.png");
        click("Option3");
        save(panel, folder, "chart-trend-bars.png");
        click("Command6(0)");
        save(panel, folder, "chart-trend-lines.png");
        click("Option4");
        save(panel, folder, "chart-products.png");

        state.planFeedbackRecordset()->moveFirst();
        click("Option3");
        click("Command6(0)");
        save(panel, folder, "chart-trend-one-day.png");

        // Campaigns of 1, 19, 60 and 300 days, each drawn on charts at their design
        // width (as on a first drawing), then on the panel a main window gives them.
        for (int count : {1, 19, 60, 300}) {
            const QString plan = QStringLiteral("DAYS%1").arg(count);
            ChartTestData::addDays(*app.connection(), plan, count);
            state.currentPlanNo = plan;
            ExecutedPlans::openPlanFeedback(state);
            state.planFeedbackRecordset()->moveLast();
            panel.MSChart[0]->setWidthTwips(FeedbackChartPanel::cumulativeChartWidth);
            panel.MSChart[4]->setWidthTwips(FeedbackChartPanel::trendChartWidth);
            click("Option2");
            save(panel, folder, QStringLiteral("chart-cumulative-%1-days.png").arg(count));
            click("Option3");
            save(panel, folder, QStringLiteral("chart-trend-bars-%1-days.png").arg(count));
            click("Command6(0)");
            save(panel, folder, QStringLiteral("chart-trend-lines-%1-days.png").arg(count));
            click("Option1");
            save(panel, folder, QStringLiteral("chart-current-day-%1-days.png").arg(count));
        }

        // A short panel, as the main window leaves it when its grids take most of the height.
        panel.resize(790, 300);
        state.currentPlanNo = QStringLiteral("2026-04");
        ExecutedPlans::openPlanFeedback(state);
        state.planFeedbackRecordset()->moveLast();
        panel.chart3();
        save(panel, folder, "chart-current-day-short.png");

        // A plan without days.
        state.currentPlanNo = QStringLiteral("NONE");
        ExecutedPlans::openPlanFeedback(state);
        click("Option2");
        save(panel, folder, "chart-no-days.png");
    }
    {
        chartFm1 window;
        window.show();
        save(window, folder, "chart-window.png");
    }
    {
        // Six plans of very different sizes: the rates still read on their own axis.
        ChartTestData::addPlan(*app.connection(), "2026-05", "全国年度直邮", "10000", "800", "1130", "11.3%");
        ChartTestData::addPlan(*app.connection(), "2026-06", "老客户电话回访", "60", "20", "33", "55%");
        ExecutedPlans::openPlans(state);
        chartFm1 window;
        window.show();
        save(window, folder, "chart-window-six-plans.png");
    }
    state.reset();
    Dialogs::install(nullptr);
}

} // namespace
