#pragma once

#include "DrawOp.h"

class QPainter;

// Paints a composed page on a painter whose unit is the device's dot: `dotsPerMm` says
// how many dots make a millimetre (true size on a screen or on paper). Fonts are sized
// from the same scale, so texts and rules keep their places at any resolution.
namespace PagePainter {

void paint(QPainter& painter, const ReportPage& page, double dotsPerMm);

} // namespace PagePainter
