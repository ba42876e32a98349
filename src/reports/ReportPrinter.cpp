#include "ReportPrinter.h"

#include "PagePainter.h"
#include "PdfTextLayer.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace ReportPrinter {

namespace {

QStringList textsOf(const ReportPage& page)
{
    QStringList texts;
    for (const DrawOp& op : page)
        if (op.kind == DrawOp::Kind::Text)
            texts += op.text;
    return texts;
}

} // namespace

void choosePaper(QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setPageSize(QPageSize(QPageSize::A4));
    prepare(printer);
}

void prepare(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
}

QSizeF pageSize(QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    return QSizeF(layout.fullRect(QPageLayout::Millimeter).width(), layout.paintRect(QPageLayout::Millimeter).height());
}

QString print(QPrinter& printer, int first, int last, const std::function<ReportPage(int)>& pageAt,
              const std::function<void(int)>& printed)
{
    prepare(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (printer.outputFormat() == QPrinter::PdfFormat)
            return QStringLiteral("无法写入文件：") + QFileInfo(printer.outputFileName()).absoluteFilePath();
        return QStringLiteral("无法打开打印机：") + printer.printerName();
    }
    const double dotsPerMm = printer.resolution() / 25.4;
    QList<QStringList> pageTexts;
    for (int page = first; page <= last; ++page) {
        if (page > first && !printer.newPage()) {
            painter.end();
            return QStringLiteral("打印机不能开始新的一页。");
        }
        const ReportPage drawn = pageAt(page);
        PagePainter::paint(painter, drawn, dotsPerMm);
        pageTexts += textsOf(drawn);
        if (printed)
            printed(page);
    }
    if (!painter.end())
        return QStringLiteral("打印未能完成。");
    // The PDF writer's own text layer gets some characters wrong: copying and searching
    // should give the texts printed.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        PdfTextLayer::mend(printer.outputFileName(), pageTexts);
    return QString();
}

} // namespace ReportPrinter
