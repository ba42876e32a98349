#include "TextMeasure.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>

namespace TextMeasure {

namespace {

// A surface of 10 dots per millimetre to measure on.
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

// Ascent and descent in ems, read from the font at a large pixel size so that no rounding
// to whole dots shortens them.
struct VerticalMetrics {
    double ascent = 0.88;
    double descent = 0.12;
};

VerticalMetrics verticalMetrics(const FontSpec& reportFont)
{
    static QHash<QString, VerticalMetrics> known;
    const QString key = reportFont.name + u'|' + QString::number(int(reportFont.bold)) + QString::number(int(reportFont.italic));
    const auto found = known.constFind(key);
    if (found != known.constEnd())
        return *found;
    constexpr int LargePixels = 1000;
    QFont font = qtFont(reportFont);
    font.setPixelSize(LargePixels);
    font.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(font, &measuringSurface());
    VerticalMetrics vertical;
    if (metrics.ascent() + metrics.descent() > 0) {
        vertical.ascent = metrics.ascent() / LargePixels;
        vertical.descent = metrics.descent() / LargePixels;
    }
    known.insert(key, vertical);
    return vertical;
}

double emInMm(const FontSpec& font)
{
    return font.size * MmPerPoint;
}

} // namespace

double lineHeight(const FontSpec& font)
{
    const VerticalMetrics vertical = verticalMetrics(font);
    return RuleClearance + (vertical.ascent + vertical.descent) * emInMm(font) + RuleClearance;
}

double baseline(const FontSpec& font)
{
    return RuleClearance + verticalMetrics(font).ascent * emInMm(font);
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
    // Measured large and unhinted, then scaled: widths rounded to whole dots would add up
    // along a text and cut cells that fit on paper.
    constexpr int LargePixels = 1000;
    QFont large = qtFont(font);
    large.setPixelSize(LargePixels);
    large.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(large, &measuringSurface());
    return metrics.horizontalAdvance(text) / LargePixels * emInMm(font);
}

} // namespace TextMeasure
