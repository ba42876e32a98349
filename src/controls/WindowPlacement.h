#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where windows go and how large they are: every window is centred on its screen
// when it loads, and window sizes are given in twips.
namespace WindowPlacement {

// The top-left corner that centres a window of `windowSize` (frame included) in
// `available`: left = (width − window width) / 2, top likewise. A window larger
// than the area is kept at its top-left corner, so its title bar stays reachable.
QPoint centredPosition(const QRect& available, const QSize& windowSize);

// Moves the window, in one move, to the centre of its screen's available area
// (the screen without task bars and panels).
void centreOnScreen(QWidget* window);

// The pixel size of a size in twips at the logical DPI of `forDpi`'s screen, or of
// the primary screen when none is given.
QSize sizeFromTwips(int widthTwips, int heightTwips, QWidget* forDpi = nullptr);

// Resizes the window to a size in twips (the size of its contents, as Qt sizes
// leave the frame out).
void resizeFromTwips(QWidget* window, int widthTwips, int heightTwips);

} // namespace WindowPlacement
