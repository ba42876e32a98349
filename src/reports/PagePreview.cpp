#include "PagePreview.h"

#include "PagePainter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>

PagePreview::PagePreview(QWidget* parent) : QWidget(parent)
{
    trueDotsPerMm_ = trueDpi(parent) / 25.4;
    resizeToPage();
}

double PagePreview::trueDpi(const QWidget* widget)
{
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->physicalDotsPerInchX() : 0;
    // Some screens report nothing or nonsense (a projector, a virtual screen).
    return dpi >= 48 && dpi <= 600 ? dpi : 96;
}

void PagePreview::showPage(const ReportPage& page)
{
    page_ = page;
    update();
}

void PagePreview::setPageSize(const QSizeF& millimetres)
{
    if (millimetres.isEmpty() || millimetres == pageSize_)
        return;
    pageSize_ = millimetres;
    resizeToPage();
}

void PagePreview::setZoom(double zoom)
{
    if (zoom <= 0 || zoom == zoom_)
        return;
    zoom_ = zoom;
    resizeToPage();
}

double PagePreview::zoomForWidth(int width) const
{
    return width / (pageSize_.width() * trueDotsPerMm_);
}

void PagePreview::resizeToPage()
{
    setFixedSize(int(std::ceil(pageSize_.width() * dotsPerMm())), int(std::ceil(pageSize_.height() * dotsPerMm())));
    update();
}

void PagePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);   // paper, whatever the window's colours
    PagePainter::paint(painter, page_, dotsPerMm());
}
