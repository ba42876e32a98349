#pragma once

// How wide the charts that grow with their rows are drawn (the cumulative and trend charts
// of the main window, the plan comparison chart), in twips.
//
// A chart takes 400 twips a row plus 4000 for its axes until it has once been at least as
// wide as its frame allows (11415 twips); from then on it keeps the frame's width. The row
// count is multiplied as a 16-bit whole number: beyond 81 rows the product overflows and
// the chart takes the frame's width at once.
namespace ChartWidth {

constexpr int frameFit = 11415;
constexpr int perRow = 400;
constexpr int axisAllowance = 4000;

// The width to give a chart that is `currentWidth` twips wide now, for `rowCount` rows.
int next(int currentWidth, int rowCount);

} // namespace ChartWidth
