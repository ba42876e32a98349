#pragma once

#include "DrawOp.h"

#include <QWidget>

// The page surface of a report window: a page 297 × 200 mm at its true size on the screen
// (the screen's physical resolution, 96 dots per inch when it reports none), painting the
// composed page it is given.
class PagePreview : public QWidget {
    Q_OBJECT

public:
    explicit PagePreview(QWidget* parent = nullptr);

    void showPage(const ReportPage& page);
    const ReportPage& page() const { return page_; }
    double dotsPerMm() const { return dotsPerMm_; }

    // The true resolution of the screen the widget is on, in dots per inch.
    static double trueDpi(const QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ReportPage page_;
    double dotsPerMm_ = 96 / 25.4;
};
