#include "WideChartHolder.h"

#include "controls/ChartControl.h"

#include <QHBoxLayout>
#include <QScrollBar>

WideChartHolder::WideChartHolder(ChartControl* chart, QWidget* parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* holder = new QWidget(this);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(chart);
    row->addStretch(1);
    setWidget(holder);
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, &WideChartHolder::followRangeChange);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this] { latestWanted_ = false; });
    connect(chart, &ChartControl::drawn, this, [this] {
        if (latestWanted_)
            horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
    });
}

void WideChartHolder::showLatestRows()
{
    latestWanted_ = true;
    horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
}

// The chart's new width reaches the scroll bar only when the layout runs, after the drawing.
// A user who scrolled away keeps their place until the next drawing asks for the end again.
void WideChartHolder::followRangeChange(int /*minimum*/, int maximum)
{
    if (latestWanted_)
        horizontalScrollBar()->setValue(maximum);
}
