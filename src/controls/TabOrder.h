#pragma once

class QWidget;

// The Tab key goes through a window's controls as they stand on it: in the order of its
// layouts (a grid row by row, left to right), whatever order they were made in.
namespace TabOrder {

void followLayouts(QWidget* window);

} // namespace TabOrder
