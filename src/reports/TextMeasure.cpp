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

// Fonts are measured at this pixel size and scaled.
constexpr int LargePixels = 1000;

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
    // Each character is measured once per font, large, and the text's width is the sum:
    // widths rounded to whole dots at a small size would add up along a text, and
    // measuring every cell of every page anew costs more than printing it. Kerning is
    // left out: the report fonts have none between their half- and full-width characters.
    struct Advances {
        QFontMetricsF metrics;
        QHash<char32_t, double> ofCharacter;   // in ems
    };
    static QHash<QString, Advances> known;
    const QString key = font.name + u'|' + QString::number(int(font.bold)) + QString::number(int(font.italic));
    auto advances = known.find(key);
    if (advances == known.end()) {
        QFont large = qtFont(font);
        large.setPixelSize(LargePixels);
        advances = known.insert(key, Advances{QFontMetricsF(large, &measuringSurface()), {}});
    }
    double ems = 0;
    for (const char32_t character : text.toUcs4()) {
        auto advance = advances->ofCharacter.find(character);
        if (advance == advances->ofCharacter.end())
            advance = advances->ofCharacter.insert(
                character, advances->metrics.horizontalAdvance(QString::fromUcs4(&character, 1)) / LargePixels);
        ems += *advance;
    }
    return ems * emInMm(font);
}

} // namespace TextMeasure
