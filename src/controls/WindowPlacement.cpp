#include "WindowPlacement.h"

#include "core/Twips.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace WindowPlacement {

namespace {

QScreen* screenOf(QWidget* widget)
{
    if (widget && widget->screen())
        return widget->screen();
    return QGuiApplication::primaryScreen();
}

QMargins marginsOf(const QWidget* shown)
{
    const QRect inner = shown->geometry();
    const QRect outer = shown->frameGeometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

// The frame a window will get: its own once shown, else that of another shown window of
// the program, else a generous title bar and borders (a window manager's bottom edge is often
// a handle several pixels high) so the guess never puts the frame off screen.
QMargins frameOf(const QWidget* window)
{
    if (window->isVisible() && window->frameGeometry() != window->geometry())
        return marginsOf(window);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && other->frameGeometry() != other->geometry())
            return marginsOf(other);
    }
    return QMargins(8, 32, 8, 8);
}

QSize minimumOf(const QWidget* window)
{
    return window->minimumSize().expandedTo(window->minimumSizeHint());
}

int fittedStart(int wanted, int length, int areaStart, int areaLength, int frameBefore, int frameAfter)
{
    const int last = areaStart + areaLength - frameAfter - length;   // the start that just fits
    return std::max(std::min(wanted, last), areaStart + frameBefore);
}

} // namespace

QRect fittedGeometry(const QRect& available, const QRect& wanted, const QSize& minimum, const QMargins& frame)
{
    const int roomWidth = available.width() - frame.left() - frame.right();
    const int roomHeight = available.height() - frame.top() - frame.bottom();
    const int width = std::max(std::min(wanted.width(), roomWidth), minimum.width());
    const int height = std::max(std::min(wanted.height(), roomHeight), minimum.height());
    const int left = fittedStart(wanted.left(), width, available.left(), available.width(), frame.left(), frame.right());
    const int top = fittedStart(wanted.top(), height, available.top(), available.height(), frame.top(), frame.bottom());
    return QRect(left, top, width, height);
}

void placeOnFirstShow(QWidget* window)
{
    QScreen* screen = screenOf(window);
    if (!window || !screen)
        return;
    const QRect available = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    // Centred as it will be once shrunk to fit, so a large window is not pushed to a corner.
    const QRect fitted = fittedGeometry(available, QRect(QPoint(), window->size()), minimumOf(window), frame);
    const QSize outer = fitted.size().grownBy(frame);
    const QRect wanted(centredPosition(available, outer) + QPoint(frame.left(), frame.top()), fitted.size());
    window->setGeometry(fittedGeometry(available, wanted, minimumOf(window), frame));
}

void keepOnScreen(QWidget* window)
{
    QScreen* screen = screenOf(window);
    if (!window || !screen || !window->isVisible() || window->isMaximized() || window->isFullScreen())
        return;
    const QRect fitted =
        fittedGeometry(screen->availableGeometry(), window->geometry(), minimumOf(window), frameOf(window));
    if (fitted != window->geometry())
        window->setGeometry(fitted);
}

QPoint centredPosition(const QRect& available, const QSize& windowSize)
{
    const int left = available.left() + (available.width() - windowSize.width()) / 2;
    const int top = available.top() + (available.height() - windowSize.height()) / 2;
    return QPoint(std::max(left, available.left()), std::max(top, available.top()));
}

void centreOnScreen(QWidget* window)
{
    QScreen* screen = screenOf(window);
    if (!window || !screen)
        return;
    // Before the first show the frame is not known yet and equals the geometry.
    window->move(centredPosition(screen->availableGeometry(), window->frameGeometry().size()));
}

QSize sizeFromTwips(int widthTwips, int heightTwips, QWidget* forDpi)
{
    QScreen* screen = screenOf(forDpi);
    const double dpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    return QSize(Twips::twipsToPixels(widthTwips, dpiX), Twips::twipsToPixels(heightTwips, dpiY));
}

void resizeFromTwips(QWidget* window, int widthTwips, int heightTwips)
{
    if (window)
        window->resize(sizeFromTwips(widthTwips, heightTwips, window));
}

} // namespace WindowPlacement
