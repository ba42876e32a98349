#include "PagePainter.h"

#include "TextMeasure.h"

#include <QPaintDevice>
#include <algorithm>
#include <QPainter>
#include <QPen>

namespace PagePainter {

namespace {

// A point size that gives the font its true size at `dotsPerMm`: the painter turns points
// into dots at the device's logical resolution, which may differ from the true one.
QFont deviceFont(const FontSpec& reportFont, double dotsPerMm, const QPaintDevice& device)
{
    QFont font = TextMeasure::qtFont(reportFont);
    const double logicalDpi = device.logicalDpiY() > 0 ? device.logicalDpiY() : 96;
    font.setPointSizeF(reportFont.size * dotsPerMm * 25.4 / logicalDpi);
    return font;
}

void paintText(QPainter& painter, const DrawOp& op, double dotsPerMm)
{
    painter.setFont(deviceFont(op.font, dotsPerMm, *painter.device()));
    painter.setPen(op.font.color.isValid() ? op.font.color : QColor(Qt::black));
    const QPointF baseline(op.x * dotsPerMm, (op.y + TextMeasure::baseline(op.font)) * dotsPerMm);
    if (op.clipRight <= 0) {
        painter.drawText(baseline, op.text);
        return;
    }
    painter.save();
    const double top = op.y * dotsPerMm;
    const double height = TextMeasure::lineHeight(op.font) * dotsPerMm;
    painter.setClipRect(QRectF(op.x * dotsPerMm, top, (op.clipRight - op.x) * dotsPerMm, height), Qt::IntersectClip);
    painter.drawText(baseline, op.text);
    painter.restore();
}

void paintRule(QPainter& painter, const DrawOp& op, double dotsPerMm)
{
    // One screen pixel, or a fifth of a millimetre on paper.
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, 0.2 * dotsPerMm));
    painter.setPen(pen);
    painter.drawLine(QPointF(op.x * dotsPerMm, op.y * dotsPerMm), QPointF(op.x2 * dotsPerMm, op.y2 * dotsPerMm));
}

} // namespace

void paint(QPainter& painter, const ReportPage& page, double dotsPerMm)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const DrawOp& op : page) {
        if (op.kind == DrawOp::Kind::Text)
            paintText(painter, op, dotsPerMm);
        else
            paintRule(painter, op, dotsPerMm);
    }
    painter.restore();
}

} // namespace PagePainter
