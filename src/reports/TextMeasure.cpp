#include "TextMeasure.h"

#include <QFontMetricsF>
#include <QImage>

namespace TextMeasure {

namespace {

// A surface of 10 dots per millimetre, so a measured width in dots / 10 is millimetres.
const QImage& measuringSurface()
{
    static const QImage surface = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(10000);
        image.setDotsPerMeterY(10000);
        return image;
    }();
    return surface;
}

} // namespace

double lineHeight(const FontSpec& font)
{
    return font.size * MmPerPoint;
}

double baseline(const FontSpec& font)
{
    return lineHeight(font) * BaselineEm;
}

QFont qtFont(const FontSpec& reportFont)
{
    QFont font(reportFont.name);
    if (reportFont.size > 0)
        font.setPointSizeF(reportFont.size);
    font.setBold(reportFont.bold);
    font.setItalic(reportFont.italic);
    font.setStrikeOut(reportFont.strikethru);
    font.setUnderline(reportFont.underline);
    return font;
}

double textWidth(const QString& text, const FontSpec& font)
{
    const QFontMetricsF metrics(qtFont(font), &measuringSurface());
    return metrics.horizontalAdvance(text) / 10.0;
}

} // namespace TextMeasure
