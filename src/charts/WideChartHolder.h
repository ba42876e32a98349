#pragma once

class ChartControl;
class QScrollArea;
class QWidget;

// A chart whose width follows its row count may, before it settles at its frame's width,
// grow wider than the frame (see ChartWidth). It is held in a scroll area that keeps it at
// its own width, left-aligned, and scrolls sideways rather than cutting off the latest rows.
namespace WideChartHolder {

QScrollArea* wrap(ChartControl* chart, QWidget* parent);

} // namespace WideChartHolder
