#pragma once

#include "FontSpec.h"

#include <QFont>
#include <QString>

// Sizes of report texts in millimetres. A line is one em high, as the program's two
// fonts "黑体" and "宋体" are (their ascent and descent add up to the point size), so
// a page holds as many rows whichever installed font stands in for them.
namespace TextMeasure {

constexpr double MmPerPoint = 25.4 / 72.0;
// Where the baseline stands below the top of a line, in ems.
constexpr double BaselineEm = 0.88;

double lineHeight(const FontSpec& font);
double baseline(const FontSpec& font);

// The advance width of `text` in `font`, measured with the installed font.
double textWidth(const QString& text, const FontSpec& font);

// The Qt font with every style of a report font, at its point size.
QFont qtFont(const FontSpec& font);

} // namespace TextMeasure
