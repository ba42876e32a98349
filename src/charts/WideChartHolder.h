#pragma once

#include <QScrollArea>

class ChartControl;

// A chart whose width follows its row count may, before it settles at its frame's width,
// grow wider than the frame (see ChartWidth). It is held in a scroll area that keeps it at
// its own width, left-aligned, and scrolls sideways rather than cutting off rows.
//
// The latest rows are the ones a user looks for (the current day, the current plan, the
// trend's "至…" label), so after every drawing the holder shows the chart's right end.
class WideChartHolder : public QScrollArea {
    Q_OBJECT

public:
    WideChartHolder(ChartControl* chart, QWidget* parent);

    // Scrolls to the right end now and again once the chart's new width is laid out.
    void showLatestRows();

private:
    void followRangeChange(int minimum, int maximum);

    bool latestWanted_ = true;
};
