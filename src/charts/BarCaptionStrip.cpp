#include "BarCaptionStrip.h"

#include "controls/ChartControl.h"

#include <QLabel>

BarCaptionStrip::BarCaptionStrip(ChartControl* chart, const QString& name, const QStringList& captions,
                                 QWidget* parent)
    : QWidget(parent), chart_(chart)
{
    int height = 0;
    for (int i = 0; i < captions.size(); ++i) {
        auto* label = new QLabel(captions[i], this);
        label->setObjectName(QStringLiteral("%1(%2)").arg(name).arg(i));
        label->setAlignment(Qt::AlignCenter);
        height = std::max(height, label->sizeHint().height());
        labels_.append(label);
    }
    setFixedHeight(height);
    connect(chart_, &ChartControl::drawn, this, &BarCaptionStrip::placeCaptions);
}

// A caption takes the whole width of its row (its bars and the gaps beside them), so a
// caption as wide as its bars still reads in one piece.
void BarCaptionStrip::placeCaptions()
{
    for (int i = 0; i < labels_.size(); ++i) {
        const QRectF bars = chart_->rowGroupRect(i + 1);
        QLabel* label = labels_[i];
        if (bars.isEmpty() || !chart_->isVisibleTo(window())) {
            label->hide();
            continue;
        }
        const double rowWidth = bars.width() / ChartControl::barGroupShare;
        const QPoint centre = mapFrom(window(), chart_->mapTo(window(), bars.center().toPoint()));
        const int width = std::max(int(rowWidth), label->sizeHint().width());
        label->setGeometry(centre.x() - width / 2, 0, width, height());
        label->show();
    }
}

void BarCaptionStrip::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeCaptions();
}

void BarCaptionStrip::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    placeCaptions();
}
