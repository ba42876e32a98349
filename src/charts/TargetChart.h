#pragma once

#include "TargetFields.h"

class ChartControl;
class Recordset;

// The feedback browser's charts of one target: one value a row (one column), each the
// target's field, labelled as the row says.
namespace TargetChart {

// Draws the current row of `targets` as bars (ChartControl::Bar2d) or lines (Line2d).
// Without a current target (an empty list) the chart holds the single value 0. A value
// that cannot be read is drawn as 0.
void draw(ChartControl& chart, int chartType, const QList<TargetFields::ChartRow>& rows, const Recordset* targets);

} // namespace TargetChart
