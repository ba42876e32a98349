#include "WideChartHolder.h"

#include "controls/ChartControl.h"

#include <QHBoxLayout>
#include <QScrollArea>

namespace WideChartHolder {

QScrollArea* wrap(ChartControl* chart, QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* holder = new QWidget(area);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(chart);
    row->addStretch(1);
    area->setWidget(holder);
    return area;
}

} // namespace WideChartHolder
