// Renders the splash and the main window with a few plans to PNG files when
// MARQUEL_SCREENSHOT_DIR names a folder, so they can be looked at; skipped otherwise.
#include "app/F5.h"
#include "app/mainFm1.h"
#include "core/AppState.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "feedback/Form5.h"
#include "feedback/feedbackFm1.h"
#include "plans/Form3.h"
#include "plans/definitionFm1.h"
#include "controls/FormWindow.h"
#include "support/TempAppFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void fillDemoPlans(Connection& db)
{
    db.execute(QStringLiteral("UPDATE productDF SET 产品1名称 = '激光打印机', 产品2名称 = '复印机', 产品3名称 = '扫描仪', "
                              "产品4名称 = '传真机', 产品5名称 = '碎纸机'"));
    db.execute(QStringLiteral("INSERT INTO marketingComment VALUES "
                              "('2026-01', '春季办公设备直邮', '300', '40', '一个月', '12000', '37', '12.3%'), "
                              "('2026-02', '华北区电话营销', '500', '60', '两周', '8000', '52', '10.4%'), "
                              "('2026-03', '年终客户回访', '200', '30', '三周', '5000', '18', '9%')"));
    const int phones[] = {4, 7, 3, 6, 2};
    int total = 0;
    for (int day = 0; day < 5; ++day) {
        const int today = phones[day] + 2 + day % 2;
        total += today;
        db.execute(QStringLiteral("INSERT INTO feedbackTable VALUES ('2026-03', '2026-12-%1', '年终客户回访', %2, 1, %3, 0, 1, 0, "
                                  "%4, 2, 1, 0, 1, %5, %6, '')")
                       .arg(day + 1, 2, 10, QLatin1Char('0'))
                       .arg(phones[day])
                       .arg(day % 2)
                       .arg(phones[day] - 1)
                       .arg(today)
                       .arg(total));
    }
}

TEST(ScreenshotTest, SplashAndMainWindow)
{
    const QString folder = qEnvironmentVariable("MARQUEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set MARQUEL_SCREENSHOT_DIR to render the windows";
    QDir().mkpath(folder);
    TempAppFolder app;
    ScriptedDialogs::installNew();
    AppState::instance().reset();
    fillDemoPlans(*app.connection());

    F5 splash;
    splash.show();
    QTest::qWait(100);
    EXPECT_TRUE(splash.grab().save(QDir(folder).filePath("splash.png")));

    std::unique_ptr<mainFm1> window(mainFm1::load(app.path()));
    ASSERT_TRUE(window);
    window->show();
    window->Form_Activate();
    QTest::qWait(200);
    EXPECT_TRUE(window->grab().save(QDir(folder).filePath("main-window.png")));
    app.connection()->execute(QStringLiteral(
        "INSERT INTO planTable VALUES ('2026-03', '年终客户回访', '三周', '华北', '电话回访', '近两年购买过打印机的企业客户', "
        "'200', '30', '5000', '向客户介绍新款激光打印机与以旧换新活动，\n并预约上门演示。')"));
    Form3 editor;
    editor.show();
    QTest::qWait(50);
    EXPECT_TRUE(editor.grab().save(QDir(folder).filePath("plan-editor.png")));

    app.connection()->execute(QStringLiteral(
        "INSERT INTO clientTableInfo (序号, 营销对象, 电话1, 传真, 联系人1, 地址, 邮政编码, 电话数, 产品1计数, 反馈合计) VALUES "
        "('2026-03', '北京华信科技有限公司', '010-62345678', '010-62345679', '王经理', '北京市海淀区中关村大街1号', '100080', 2, 1, 2), "
        "('2026-03', '天津宏达贸易公司', '022-23456789', '', '李女士', '天津市和平区南京路88号', '300041', 1, 0, 1), "
        "('2026-03', '未知客户', '', '', '', '', '', 3, 0, 3)"));
    {
        Form5 recording;
        recording.show();
        QTest::qWait(50);
        recording.planTargetRecordset()->setAbsolutePosition(1);
        recording.DataGrid2_Click();
        QTest::qWait(50);
        EXPECT_TRUE(recording.grab().save(QDir(folder).filePath("feedback-window.png")));
        feedbackFm1 daily;
        daily.show();
        QTest::qWait(50);
        EXPECT_TRUE(daily.grab().save(QDir(folder).filePath("daily-table.png")));
        recording.close();
    }

    definitionFm1 mapping;
    mapping.show();
    QTest::qWait(50);
    EXPECT_TRUE(mapping.grab().save(QDir(folder).filePath("definition.png")));
    window.reset();
    AppState::instance().reset();
    Dialogs::install(nullptr);
}

// The whole screen as the user sees it: the main window with the product mapping window
// above it, each where the program placed it, drawn with a plain title bar.
QImage desktop(const QList<QWidget*>& windows)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QImage picture(screen.size(), QImage::Format_RGB32);
    picture.fill(QColor(58, 110, 165));
    QPainter painter(&picture);
    for (QWidget* window : windows) {
        const QRect frame = window->frameGeometry();
        const int titleHeight = std::max(window->geometry().top() - frame.top(), 24);
        const QRect title(frame.left(), window->geometry().top() - titleHeight, frame.width(), titleHeight);
        painter.fillRect(title, QColor(225, 228, 232));
        painter.setPen(Qt::black);
        painter.drawText(title.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
        painter.drawPixmap(window->geometry().topLeft(), window->grab());
        painter.setPen(QColor(90, 90, 90));
        painter.drawRect(title.united(window->geometry()).adjusted(0, 0, -1, -1));
    }
    return picture;
}

TEST(ScreenshotTest, TheScreenWithSeveralWindowsOpen)
{
    const QString folder = qEnvironmentVariable("MARQUEL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set MARQUEL_SCREENSHOT_DIR to render the windows";
    QDir().mkpath(folder);
    TempAppFolder app;
    ScriptedDialogs::installNew();
    AppState::instance().reset();
    fillDemoPlans(*app.connection());
    std::unique_ptr<mainFm1> window(mainFm1::load(app.path()));
    ASSERT_TRUE(window);
    window->show();
    window->Form_Activate();
    QTest::qWait(100);
    // A long product name is shortened in the legend and on the axis, never squeezing the charts.
    app.connection()->execute(QStringLiteral("UPDATE productDF SET 产品1名称 = '高速彩色激光多功能一体机（商用型）'"));
    window->Form_Activate();
    window->findChild<QAction*>(QStringLiteral("definition2"))->trigger();
    QTest::qWait(100);
    QList<QWidget*> shown{window.get()};
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget != window.get() && qobject_cast<FormWindow*>(widget))
            shown << widget;
    const QSize size = QGuiApplication::primaryScreen()->size();
    EXPECT_TRUE(desktop(shown).save(
        QDir(folder).filePath(QStringLiteral("screen-%1x%2.png").arg(size.width()).arg(size.height()))));
    for (QWidget* widget : shown.mid(1))
        widget->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window.reset();
    AppState::instance().reset();
    Dialogs::install(nullptr);
}

} // namespace
