#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where windows go and how large they are: a window opens where the user left it last
// time, or centred on its screen the first time, always entirely on the screen's
// available area; window sizes are given in twips.
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

// The geometry (contents, without the frame) that puts a window wanting `wanted` entirely
// inside `available` with its frame: shrunk to fit, but never below `minimum`, then moved
// inside. A window that cannot fit keeps its title bar at the area's top-left corner.
QRect fittedGeometry(const QRect& available, const QRect& wanted, const QSize& minimum, const QMargins& frame);

// Places a window as it is first shown: centred on its screen and fitted to the screen's
// available area.
void placeOnFirstShow(QWidget* window);

// Moves and shrinks a shown window back inside its screen's available area, now that
// its real frame is known (or the screen has changed).
void keepOnScreen(QWidget* window);

} // namespace WindowPlacement
