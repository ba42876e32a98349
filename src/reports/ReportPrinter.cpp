#include "ReportPrinter.h"

#include "PagePainter.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace ReportPrinter {

void prepare(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
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
    for (int page = first; page <= last; ++page) {
        if (page > first && !printer.newPage()) {
            painter.end();
            return QStringLiteral("打印机不能开始新的一页。");
        }
        PagePainter::paint(painter, pageAt(page), dotsPerMm);
        if (printed)
            printed(page);
    }
    if (!painter.end())
        return QStringLiteral("打印未能完成。");
    return QString();
}

} // namespace ReportPrinter
