#include "ReportLayout.h"

#include "ReportDefinition.h"

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
