#pragma once

#include "DrawOp.h"

#include <QSizeF>
#include <QWidget>

// The page surface of a report window: a page of the paper's size (297 × 200 mm until
// told otherwise) at its true size on the screen (the screen's physical resolution, 96
// dots per inch when it reports none), or zoomed, painting the composed page it is given.
class PagePreview : public QWidget {
    Q_OBJECT

public:
    explicit PagePreview(QWidget* parent = nullptr);

    void showPage(const ReportPage& page);
    const ReportPage& page() const { return page_; }
    // Dots per millimetre as drawn: the true size times the zoom.
    double dotsPerMm() const { return trueDotsPerMm_ * zoom_; }

    // The page's size in millimetres.
    void setPageSize(const QSizeF& millimetres);
    QSizeF pageSize() const { return pageSize_; }

    // 1 is true size.
    void setZoom(double zoom);
    double zoom() const { return zoom_; }
    // The zoom at which the page is `width` dots wide.
    double zoomForWidth(int width) const;

    // The true resolution of the screen the widget is on, in dots per inch.
    static double trueDpi(const QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void resizeToPage();

    ReportPage page_;
    QSizeF pageSize_{297, 200};
    double trueDotsPerMm_ = 96 / 25.4;
    double zoom_ = 1;
};
