#include "PagePreview.h"

#include "PageComposer.h"
#include "PagePainter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>

PagePreview::PagePreview(QWidget* parent) : QWidget(parent)
{
    dotsPerMm_ = trueDpi(parent) / 25.4;
    setFixedSize(int(std::ceil(PageComposer::PreviewWidth * dotsPerMm_)),
                 int(std::ceil(PageComposer::PreviewHeight * dotsPerMm_)));
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

void PagePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);   // paper, whatever the window's colours
    PagePainter::paint(painter, page_, dotsPerMm_);
}
