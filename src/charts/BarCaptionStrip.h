#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class ChartControl;
class QLabel;

// Captions standing under a bar chart's groups, one per row: labels of the window's own,
// named `name(0)`, `name(1)`, …, each centred under its row's bars as the chart lays them
// out. The chart's value axis takes a width that depends on its numbers, so the captions
// follow the bars rather than dividing the strip in equal parts.
class BarCaptionStrip : public QWidget {
    Q_OBJECT

public:
    BarCaptionStrip(ChartControl* chart, const QString& name, const QStringList& captions, QWidget* parent);

    QLabel* label(int index) const { return labels_.value(index); }

    // Places every caption under its row's bars (also called whenever the chart is drawn).
    void placeCaptions();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    ChartControl* chart_;
    QList<QLabel*> labels_;
};
