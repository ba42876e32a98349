#pragma once

#include "FontSpec.h"

#include <QFont>
#include <QString>

// Sizes of report texts in millimetres, measured with the installed font that stands in
// for a report font. A line is as high as the font's ascent and descent together, with
// the baseline at the ascent, so no glyph of a row reaches the rules above and below it
// whichever font and size the user picks. Brackets and descenders reach almost down to
// the descent, so a line also keeps a rule's width clear above and below.
namespace TextMeasure {

constexpr double MmPerPoint = 25.4 / 72.0;
// Kept clear above and below a line's glyphs: the width of a rule on paper.
constexpr double RuleClearance = 0.2;

// The height of one line of `font`: ascent + descent and the clearance above and below.
double lineHeight(const FontSpec& font);
// Where the baseline stands below the top of a line: the clearance and the ascent.
double baseline(const FontSpec& font);

// The advance width of `text` in `font`, measured with the installed font.
double textWidth(const QString& text, const FontSpec& font);

// The Qt font with every style of a report font, at its point size.
QFont qtFont(const FontSpec& font);

} // namespace TextMeasure
