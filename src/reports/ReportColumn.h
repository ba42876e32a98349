#pragma once

#include <QString>

// One column of a report table. Offsets are millimetres from the table's left edge;
// `shiftBox` is the 1-based box whose width adjustment moves the column's separator
// and text (0: none, the first column).
struct ReportColumn {
    QString heading;
    QString field;
    double separator = -1;
    double text = 0;
    int shiftBox = 0;
};
