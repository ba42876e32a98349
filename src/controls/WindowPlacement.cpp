#include "WindowPlacement.h"

#include "core/Twips.h"

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

} // namespace

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
