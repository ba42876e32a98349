#pragma once

#include <QPixmap>

// The splash's picture: a deep blue field with a rising bar chart and a trend line, drawn
// by the program so it needs no image file.
QPixmap splashPicture(const QSize& size);
