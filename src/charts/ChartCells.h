#pragma once

#include <QString>

class ChartControl;

// Filling a chart cell by cell, each step on its own: a step that fails is skipped and the
// drawing goes on with the next one.
namespace ChartCells {

// Sets the row and column counts; a count the chart refuses leaves the old one.
void setCounts(ChartControl& chart, int rows, int columns);

// Sets the cell to the number the text gives. A text the chart refuses (empty, not a
// number) makes the cell 0, so it never shows what an earlier drawing left there.
// A cell outside the chart is skipped.
void setCell(ChartControl& chart, int row, int column, const QString& text);

// A row outside the chart is skipped.
void setRowLabel(ChartControl& chart, int row, const QString& label);

// One empty cell: what a chart shows when there is nothing to draw.
void clear(ChartControl& chart);

} // namespace ChartCells
