#include "SplashPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap splashPicture(const QSize& size)
{
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0.0, QColor(12, 44, 92));
    sky.setColorAt(1.0, QColor(24, 110, 160));
    painter.fillRect(picture.rect(), sky);

    // Bars of a campaign's responses growing day by day, on the right.
    const int base = size.height() - 36;
    const int barWidth = 22;
    const double heights[] = {0.18, 0.26, 0.22, 0.36, 0.44, 0.40, 0.58};
    QPainterPath trend;
    for (int i = 0; i < 7; ++i) {
        const int x = size.width() - 250 + i * 32;
        const int h = int(heights[i] * size.height());
        QLinearGradient bar(x, base - h, x, base);
        bar.setColorAt(0, QColor(255, 196, 64, 230));
        bar.setColorAt(1, QColor(255, 140, 32, 140));
        painter.fillRect(QRect(x, base - h, barWidth, h), bar);
        const QPointF top(x + barWidth / 2.0, base - h - 14);
        if (i == 0)
            trend.moveTo(top);
        else
            trend.lineTo(top);
    }
    painter.setPen(QPen(QColor(255, 255, 255, 200), 3));
    painter.drawPath(trend);
    painter.setPen(QPen(QColor(255, 255, 255, 90), 1));
    painter.drawLine(size.width() - 262, base, size.width() - 18, base);
    return picture;
}
