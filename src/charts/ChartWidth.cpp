#include "ChartWidth.h"

#include <QtGlobal>

#include <limits>

namespace ChartWidth {

int next(int currentWidth, int rowCount)
{
    const qint64 rowsWidth = qint64(perRow) * rowCount;
    const bool overflows16Bit = rowsWidth > std::numeric_limits<qint16>::max()
                                || rowsWidth < std::numeric_limits<qint16>::min();
    if (overflows16Bit)
        currentWidth = frameFit;
    // A chart once as wide as the frame stays so, whatever its new row count.
    if (currentWidth >= frameFit)
        return frameFit;
    return int(rowsWidth) + axisAllowance;
}

} // namespace ChartWidth
