// The preview and the printer paint the composed page where the composer put it.
#include "controls/UiSetup.h"
#include "reports/PageComposer.h"
#include "reports/PagePainter.h"
#include "reports/PagePreview.h"
#include "reports/ReportPrinter.h"
#include "reports/ReportDefinitions.h"
#include "reports/ReportLayout.h"
#include "reports/TextMeasure.h"
#include "TextRows.h"

#include <QImage>
#include <QPainterPath>
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
    EXPECT_LE(glyph.bottom(), 50 + TextMeasure::lineHeight({.name = "黑体", .size = 20, .bold = true}) * 10);
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
    ReportPrinter::choosePaper(printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_NEAR(printer.pageLayout().fullRect(QPageLayout::Millimeter).width(), 297, 0.5);
}

// Where the ink of a text stands, in millimetres from the top of the page.
struct Ink {
    double top = 0;
    double bottom = 0;
};

Ink inkOf(const DrawOp& op)
{
    constexpr int DotsPerMm = 100;
    QFont font = TextMeasure::qtFont(op.font);
    font.setPixelSize(int(op.font.size * TextMeasure::MmPerPoint * DotsPerMm));
    QPainterPath path;
    path.addText(0, 0, font, op.text);
    const QRectF box = path.boundingRect();
    const double baseline = op.y + TextMeasure::baseline(op.font);
    return Ink{baseline + box.top() / DotsPerMm, baseline + box.bottom() / DotsPerMm};
}

// Rows of names with descenders, brackets and the lower strokes of ideographs.
TextRows lowReachingRows()
{
    QList<QStringList> rows;
    for (int i = 0; i < 6; ++i)
        rows += QStringList{"Qingyang Paper (Group) gjpqy", "(028) 8600 1290", "[户]", "jpq@qy.cn", "Guo Yip", "目录（第二期）", "610031"};
    return TextRows(rows);
}

// No glyph of any text reaches a rule: a cell's ink stays between the rules above and below
// its row, the header lines' ink above the table, the page number's below it.
TEST(PagePainterTest, NoGlyphTouchesARuleWhicheverFontItemAndSize)
{
    UiSetup::registerFontSubstitutes();
    const ReportDefinition report = ReportDefinitions::feedbackStatistics();
    for (int item = 0; item < 5; ++item) {
        for (double size : {10.0, 18.0, 30.0}) {
            ReportLayout layout = ReportLayout::defaults(report, 3);
            FontSpec* fonts[] = {&layout.titleFont, &layout.fieldFont, &layout.contentFont, &layout.numberFont,
                                 &layout.subjectFont};
            fonts[item]->size = size;
            SCOPED_TRACE(QStringLiteral("font item %1, %2 pt").arg(item).arg(size).toStdString());
            TextRows rows = lowReachingRows();
            PageRequest request;
            request.recordsPerPage = 8;
            request.planNo = QStringLiteral("R-1 (gy)");
            request.planTitle = QStringLiteral("户外广告 jpq");
            const ReportPage page = PageComposer(report, layout, &TextMeasure::textWidth).compose(rows, request);
            QList<double> rules;
            for (const DrawOp& op : page)
                if (op.kind == DrawOp::Kind::Rule)
                    rules += op.y;
            ASSERT_EQ(rules.size(), 10);
            constexpr double HalfRule = 0.1;   // rules are 0.2 mm wide on paper
            for (const DrawOp& op : page) {
                // The bars are the table's upright lines: they run from rule to rule.
                if (op.kind != DrawOp::Kind::Text || op.text.trimmed().isEmpty() || op.text == "|")
                    continue;
                const Ink ink = inkOf(op);
                if (op.y < rules.first()) {
                    EXPECT_LT(ink.bottom, rules.first() - HalfRule) << op.text.toStdString();
                } else if (op.y >= rules.last()) {
                    EXPECT_GT(ink.top, rules.last() + HalfRule) << op.text.toStdString();
                } else {
                    const auto below = std::upper_bound(rules.begin(), rules.end(), op.y + 1e-9);
                    EXPECT_GT(ink.top, *(below - 1) + HalfRule) << op.text.toStdString();
                    EXPECT_LT(ink.bottom, *below - HalfRule) << op.text.toStdString();
                }
            }
        }
    }
}

// A cell too long for its column is cut at the column's right separator: nothing of it
// shows in the next column.
TEST(PagePainterTest, ALongCellIsClippedAtItsColumnsSeparator)
{
    UiSetup::registerFontSubstitutes();
    const ReportDefinition report = ReportDefinitions::respondingClients();
    const ReportLayout layout = ReportLayout::defaults(report, 3);
    TextRows rows({{"北京华信科技有限公司北京华信科技有限公司北京华信科技有限公司北京华信科技", "", "", "", "", "", ""}});
    PageRequest request;
    request.recordsPerPage = 1;
    const ReportPage page = PageComposer(report, layout, &TextMeasure::textWidth).compose(rows, request);
    const DrawOp name = [&] {
        for (const DrawOp& op : page)
            if (op.text.startsWith(QStringLiteral("北京")))
                return op;
        return DrawOp();
    }();
    ASSERT_FALSE(name.text.isEmpty());
    EXPECT_DOUBLE_EQ(name.clipRight, layout.tableX + 62);
    EXPECT_LT(name.text.size(), 40);   // the characters that fit: what a reader copies is what shows

    QImage image = paper(3000, 2000);
    {
        QPainter painter(&image);
        PagePainter::paint(painter, page, 10);
    }
    const int top = int((name.y + 0.3) * 10);
    const int bottom = int((name.y + TextMeasure::lineHeight(name.font) - 0.3) * 10);
    int inkInTheNextColumn = 0;
    for (int x = int((layout.tableX + 62 + 1.5) * 10); x < int((layout.tableX + 86 - 0.3) * 10); ++x)
        for (int y = top; y <= bottom; ++y)
            inkInTheNextColumn += dark(image, x, y);
    EXPECT_EQ(inkInTheNextColumn, 0);
    // The name itself still shows up to the separator.
    int inkOfTheName = 0;
    for (int x = int((layout.tableX + 40) * 10); x < int((layout.tableX + 60) * 10); ++x)
        for (int y = top; y <= bottom; ++y)
            inkOfTheName += dark(image, x, y);
    EXPECT_GT(inkOfTheName, 100);
}

} // namespace
