// The address book of a plan with 100,000 responding targets: opening the report window,
// composing page 2,000 and printing 100 pages to PDF, each next to a baseline measured in
// the same run (bare SQLite reading the same rows; bare Qt writing the same texts to PDF).
#include "controls/ScriptedDialogs.h"
#include "controls/UiSetup.h"
#include "campaign/ProgramState.h"

#include <QFileInfo>
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "core/Statement.h"
#include "reports/PageComposer.h"
#include "reports/RecordsetRows.h"
#include "reports/ReportDefinitions.h"
#include "reports/ReportPrinter.h"
#include "reports/ReportWindow.h"
#include "reports/TextMeasure.h"
#include "BenchTimer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

constexpr int Targets = 100000;
constexpr int PerPage = 40;
constexpr int FlipPage = 2000;
constexpr int PrintedPages = 100;

void fill(Connection& db)
{
    db.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 传真, \"Email\", 联系人1, 地址, 邮政编码, 反馈合计) "
        "SELECT 'P', '客户公司' || i, '010-' || (60000000 + i), '010-' || (70000000 + i), 'c' || i || '@example.cn', "
        "'联系人' || i, '北京市海淀区中关村大街' || i || '号', '100080', 1 + i % 9 FROM n").arg(Targets));
}

// Bare SQLite: the same statement, every row's key read in order (what opening needs).
double bareOpen(Connection& db)
{
    return seconds([&] {
        Statement rows(db, QStringLiteral("SELECT rowid FROM \"clientTableInfo\" WHERE 序号 = 'P' AND 反馈合计 >= 1 "
                                                   "ORDER BY 反馈合计 DESC"));
        int count = 0;
        while (rows.step())
            ++count;
    });
}

// Bare SQLite: the 40 rows of one page, by offset.
double barePage(Connection& db, int page)
{
    return seconds([&] {
        Statement rows(db, QStringLiteral("SELECT 营销对象, 电话1, 传真, \"Email\", 联系人1, 地址, 邮政编码 FROM \"clientTableInfo\" "
                                                   "WHERE 序号 = 'P' AND 反馈合计 >= 1 ORDER BY 反馈合计 DESC LIMIT %1 OFFSET %2")
                                        .arg(PerPage)
                                        .arg((page - 1) * PerPage));
        QStringList texts;
        while (rows.step())
            for (int c = 0; c < 7; ++c)
                texts += rows.valueAt(c).toString();
    });
}

// Bare Qt: the same number of pages and texts drawn into a PDF, without any layout.
double barePdf(const QString& path)
{
    return seconds([&] {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        QPainter painter(&writer);
        painter.setFont(TextMeasure::qtFont(FontSpec{.name = "宋体", .size = 10}));
        for (int page = 0; page < PrintedPages; ++page) {
            if (page > 0)
                writer.newPage();
            for (int row = 0; row < PerPage; ++row)
                for (int c = 0; c < 8; ++c)
                    painter.drawText(200 + c * 1200, 1500 + row * 200, QStringLiteral("客户公司%1").arg(row + c));
        }
    });
}

void line(const char* what, double value, const char* baseline, double base, const char* goal)
{
    std::printf("%-36s %8.4f s   %-26s %8.4f s   ratio %6.2f   goal %s\n", what, value, baseline, base, value / base, goal);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UiSetup::registerFontSubstitutes();
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    QTemporaryDir dir;
    const QString path = dir.filePath(Schema::MainDatabaseName);
    Schema::createMainDatabase(path);
    ProgramState state(Connection::open(path), QFileInfo(path).absolutePath());
    fill(state.store());
    state.setCurrentPlan(QStringLiteral("P"), QString());
    std::printf("address book of a plan with %d responding targets, %d per page\n\n", Targets, PerPage);

    const double bareOpening = bareOpen(state.store());
    std::unique_ptr<ReportWindow> window;
    const double opening = seconds([&] {
        window = std::make_unique<ReportWindow>(state, ReportDefinitions::respondingClients());
    });
    window->printerInstalled = [] { return false; };

    // Page 2,000 composed from the report's own recordset, then one flip to the next page.
    const ReportDefinition report = ReportDefinitions::respondingClients();
    auto recordset = state.openRecordset(report.query(QStringLiteral("P")));
    recordset->setPageSize(PerPage);
    RecordsetRows rows(recordset, report);
    const PageComposer composer(report, window->layout(), &TextMeasure::textWidth);
    PageRequest request;
    request.planNo = QStringLiteral("P");
    ReportPage page;
    request.page = FlipPage;
    const double compose = seconds([&] { page = composer.compose(rows, request); });
    const double bareCompose = barePage(state.store(), FlipPage);
    request.page = FlipPage + 1;
    const double flip = seconds([&] { page = composer.compose(rows, request); });

    // 100 pages of PDF, in one job.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("report.pdf"));
    request.target = PageTarget::Paper;
    QString error;
    const double printing = seconds([&] {
        error = ReportPrinter::print(printer, FlipPage, FlipPage + PrintedPages - 1,
                                     [&](int p) {
                                         request.page = p;
                                         return composer.compose(rows, request);
                                     },
                                     nullptr);
    });
    const double barePrinting = barePdf(dir.filePath("bare.pdf"));

    // The window's own "打印" from its last page back: the whole road, with the file dialog.
    dialogs.queueSaveFile(Dialogs::fileChoiceFor(dir.filePath("window.pdf")));
    window->Command4_Click(3);
    const double windowPrint = seconds([&] { window->printB(); });

    line("opening the report window", opening, "bare SQLite keys", bareOpening, "< 0.5 s");
    line("composing page 2,000", compose, "bare SQLite page rows", bareCompose, "< 0.05 s");
    line("flipping to page 2,001", flip, "bare SQLite page rows", bareCompose, "< 0.05 s");
    line("printing 100 pages to PDF", printing, "bare QPdfWriter texts", barePrinting, "< 5 s");
    std::printf("(the window printing its last page: %.4f s)\n", windowPrint);
    std::printf("\npages in the window: %d; page 2,001 draws %lld operations; %s\n\n", window->paging().lastPage,
                qint64(page.size()), error.isEmpty() ? "PDF written" : qPrintable(error));
    std::fflush(stdout);
    window.reset();
    return error.isEmpty() ? 0 : 1;
}
