#pragma once

// Window sizes and positions are given in twips: 1440 to the inch, so 15 to the
// pixel on a 96 dpi screen.
namespace Twips {

constexpr int perInch = 1440;

// Rounded to the nearest pixel; a non-positive dpi counts as 96.
int twipsToPixels(int twips, double dpi);

// Rounded to the nearest twip; a non-positive dpi counts as 96.
int pixelsToTwips(int pixels, double dpi);

} // namespace Twips
