// Writes pictures of every window of the program, opened as a user opens them (through the
// main window's menu) on a small demo campaign, into the folder given on the command line.
// The README's pictures come from here:
//   QT_QPA_PLATFORM=offscreen build/tools/marquel_screenshots docs/
#include "DemoCampaign.h"
#include "app/mainFm1.h"
#include "charts/FeedbackChartPanel.h"
#include "controls/ScriptedDialogs.h"
#include "controls/UiSetup.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/Schema.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

class PictureTaker {
public:
    explicit PictureTaker(const QString& folder) : folder_(folder) {}

    void take(QWidget* widget, const QString& name)
    {
        if (!widget) {
            std::fprintf(stderr, "no window for %s\n", qPrintable(name));
            ++failures_;
            return;
        }
        QTest::qWait(80);
        const QString path = folder_.filePath(name + QStringLiteral(".png"));
        if (!widget->grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures_;
            return;
        }
        std::printf("%s\n", qPrintable(path));
    }
    int failures() const { return failures_; }

private:
    QDir folder_;
    int failures_ = 0;
};

// The whole screen as the user sees it: the main window with the product mapping window above
// it, each where the program placed it, drawn with a plain title bar.
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

QWidget* topLevel(const QString& objectName)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == objectName && widget->isVisible())
            return widget;
    return nullptr;
}

// Opens a window through the main window's menu item and pictures it.
void openAndTake(mainFm1& main, PictureTaker& pictures, const QString& item, const QString& window, const QString& name)
{
    if (auto* action = main.findChild<QAction*>(item))
        action->trigger();
    pictures.take(topLevel(window), name);
}

void takeCharts(mainFm1& main, PictureTaker& pictures)
{
    FeedbackChartPanel& panel = *main.chartPanel;
    auto click = [&panel](const char* name) {
        if (auto* button = panel.findChild<QAbstractButton*>(QString::fromLatin1(name)))
            button->click();
    };
    pictures.take(&panel, QStringLiteral("chart-current-day"));
    click("Option2");
    pictures.take(&panel, QStringLiteral("chart-cumulative"));
    click("Option3");
    pictures.take(&panel, QStringLiteral("chart-trend-bars"));
    click("Command6(0)");
    pictures.take(&panel, QStringLiteral("chart-trend-lines"));
    click("Option4");
    pictures.take(&panel, QStringLiteral("chart-products"));
    click("Command9");
    pictures.take(topLevel(QStringLiteral("chartFm1")), QStringLiteral("chart-window"));
    click("Option1");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    UiSetup::prepareApplication(app);
    if (argc < 2) {
        std::fprintf(stderr, "usage: marquel_screenshots <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    ScriptedDialogs::installNew();

    QTemporaryDir programFolder;
    const QString databasePath = QDir(programFolder.path()).filePath(Schema::MainDatabaseName);
    Schema::ensureMainDatabase(databasePath);
    Schema::ensureExportDatabase(QDir(programFolder.path()).filePath(Schema::ExportDatabaseName));
    DemoCampaign::fill(*Connection::open(databasePath));

    std::unique_ptr<mainFm1> main(mainFm1::load(programFolder.path()));
    if (!main)
        return 1;
    main->show();
    main->countAsActive();
    main->Form_Activate();
    PictureTaker pictures(folder);
    main->Command2_Click(3);   // the plan's last day: the charts show the whole campaign so far
    pictures.take(main.get(), QStringLiteral("main-window"));
    takeCharts(*main, pictures);

    openAndTake(*main, pictures, QStringLiteral("createMarketing"), QStringLiteral("Form3"), QStringLiteral("plan-editor"));
    openAndTake(*main, pictures, QStringLiteral("recordBack1"), QStringLiteral("Form5"), QStringLiteral("feedback-window"));
    openAndTake(*main, pictures, QStringLiteral("maintainTable2"), QStringLiteral("feedbackFm1"), QStringLiteral("daily-table"));
    openAndTake(*main, pictures, QStringLiteral("definition2"), QStringLiteral("definitionFm1"), QStringLiteral("definition"));
    openAndTake(*main, pictures, QStringLiteral("inputClient"), QStringLiteral("mainFm3"), QStringLiteral("import-window"));
    openAndTake(*main, pictures, QStringLiteral("cilentTableTotal"), QStringLiteral("fbTFixFm1"), QStringLiteral("target-table"));
    openAndTake(*main, pictures, QStringLiteral("browseFeedback"), QStringLiteral("clientBrowseFm1"), QStringLiteral("feedback-browser"));
    openAndTake(*main, pictures, QStringLiteral("print1"), QStringLiteral("printFm10"), QStringLiteral("report-statistics-window"));
    openAndTake(*main, pictures, QStringLiteral("print2"), QStringLiteral("printFm11"), QStringLiteral("report-address-book-window"));
    openAndTake(*main, pictures, QStringLiteral("print3"), QStringLiteral("printFm12"), QStringLiteral("report-summary-window"));
    // The analysis counts days up to today: the demo's last plan is pictured on its tenth day,
    // whenever the picture is taken.
    Clock::setToday(QDate(2026, 12, 10));
    openAndTake(*main, pictures, QStringLiteral("effectAnalysis"), QStringLiteral("effectFm1"), QStringLiteral("effect-analysis"));
    Clock::reset();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget != main.get() && widget->objectName() != QStringLiteral("definitionFm1"))
            widget->close();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QLabel shownScreen;
    shownScreen.setPixmap(QPixmap::fromImage(desktop({main.get(), topLevel(QStringLiteral("definitionFm1"))})));
    shownScreen.resize(screen);
    pictures.take(&shownScreen, QStringLiteral("screen-%1x%2").arg(screen.width()).arg(screen.height()));
    main.reset();
    return pictures.failures() == 0 ? 0 : 1;
}
