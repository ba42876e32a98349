#include "ReportLayout.h"

#include "ReportDefinition.h"

#include <algorithm>
#include <cmath>

namespace {

FontSpec font(const QString& name, double size, bool bold)
{
    FontSpec reportFont;
    reportFont.name = name;
    reportFont.size = size;
    reportFont.bold = bold;
    return reportFont;
}

} // namespace

ReportLayout ReportLayout::defaults(const ReportDefinition& report, int charWidth)
{
    ReportLayout layout;
    layout.reportTitle = report.title;
    layout.charWidth = charWidth;
    layout.titleX = charWidth;
    layout.titleY = report.titleY;
    layout.infoX = report.infoX;
    layout.infoGap = 10;
    layout.tableX = charWidth + report.tableXAfterCharWidth;
    layout.tableGap = report.tableGap;
    layout.titleFont = font(QStringLiteral("黑体"), 20, true);
    layout.fieldFont = font(QStringLiteral("黑体"), 10, true);
    layout.contentFont = font(QStringLiteral("宋体"), 10, false);
    layout.numberFont = font(QStringLiteral("黑体"), 12, true);
    layout.subjectFont = font(QStringLiteral("黑体"), 12, true);
    return layout;
}

int ReportLayout::shift(int box) const
{
    if (box < 1 || box > BoxCount)
        return 0;
    return boxShift[box - 1];
}

double ReportLayout::tableRight(const ReportDefinition& report) const
{
    return tableX + BaseTableWidth + shift(report.rightShiftBox);
}

namespace {

// Moves the right boundary of column `column` (and every column to its right) by `mm`.
void moveRightBoundary(std::array<int, ReportLayout::BoxCount>& boxShift, int column, int mm)
{
    for (int box = column; box < ReportLayout::BoxCount; ++box)   // box column + 1, 0-based
        boxShift[box] += mm;
}

} // namespace

void ReportLayout::holdWidestValues(const ReportDefinition& report, const QList<QStringList>& rows,
                                    const QStringList& fields, double pageRight, const TextWidth& textWidth)
{
    constexpr double Tolerance = 0.1;   // as PageComposer measures
    const int last = int(report.columns.size()) - 1;
    auto textX = [&](int c) { return report.columns[c].text + shift(report.columns[c].shiftBox); };
    auto endX = [&](int c) {
        return c < last ? report.columns[c + 1].separator + shift(report.columns[c + 1].shiftBox) : BaseTableWidth + shift(report.rightShiftBox) - 1;
    };
    for (int c = 0; c < last; ++c) {
        if (!fields.contains(report.columns[c].field))
            continue;
        double widest = 0;
        for (const QStringList& row : rows)
            widest = std::max(widest, textWidth(row.value(c), contentFont));
        const double missing = widest - (endX(c) - textX(c) - Tolerance);
        if (missing > 0)
            moveRightBoundary(boxShift, c, int(std::ceil(missing)));
    }
    // Beyond the page, the widest other column gives up room, down to half its width.
    const double beyond = tableRight(report) - pageRight;
    if (beyond <= 0)
        return;
    int widestOther = -1;
    for (int c = 0; c < last; ++c)
        if (!fields.contains(report.columns[c].field)
            && (widestOther < 0 || endX(c) - textX(c) > endX(widestOther) - textX(widestOther)))
            widestOther = c;
    if (widestOther < 0)
        return;
    const int given = std::min(int(std::ceil(beyond)), int((endX(widestOther) - textX(widestOther)) / 2));
    moveRightBoundary(boxShift, widestOther, -given);
}
