// The preview and the printer paint the composed page where the composer put it.
#include "controls/UiSetup.h"
#include "reports/PageComposer.h"
#include "reports/PagePainter.h"
#include "reports/PagePreview.h"
#include "reports/ReportPrinter.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {

bool dark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

// The darkened pixels of a painted image, as a bounding box.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (dark(image, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage paper(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(10000);   // 10 dots per millimetre
    image.setDotsPerMeterY(10000);
    return image;
}

TEST(PagePainterTest, RulesAndTextsLandAtTheirMillimetres)
{
    UiSetup::registerFontSubstitutes();
    QImage image = paper(1200, 400);
    {
        QPainter painter(&image);
        PagePainter::paint(painter, {DrawOp::rule(10, 10, 100, 10)}, 10);
    }
    const QRect rule = inkBox(image);
    EXPECT_NEAR(rule.left(), 100, 2);
    EXPECT_NEAR(rule.right(), 1000, 2);
    EXPECT_NEAR(rule.center().y(), 100, 2);

    // A 20-point "宽" is about 7 mm square, its line starting at (20 mm, 5 mm).
    image = paper(1200, 400);
    {
        QPainter painter(&image);
        const FontSpec font{.name = "黑体", .size = 20, .bold = true};
        PagePainter::paint(painter, {DrawOp::textAt(20, 5, QStringLiteral("宽"), font)}, 10);
    }
    const QRect glyph = inkBox(image);
    EXPECT_NEAR(glyph.left(), 200, 10);
    EXPECT_GE(glyph.top(), 50);
    EXPECT_LE(glyph.bottom(), 50 + 71);   // within its one-em line
    EXPECT_NEAR(glyph.width(), 65, 10);
}

TEST(PagePainterTest, ThePreviewIsTheTruePageSizeAndPrintingIsLandscape)
{
    PagePreview preview;
    const double dpi = PagePreview::trueDpi(&preview);
    EXPECT_GE(dpi, 48);
    EXPECT_NEAR(preview.width(), 297 * dpi / 25.4, 1);
    EXPECT_NEAR(preview.height(), 200 * dpi / 25.4, 1);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    ReportPrinter::prepare(printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_NEAR(printer.pageLayout().fullRect(QPageLayout::Millimeter).width(), 297, 0.5);
}

} // namespace
