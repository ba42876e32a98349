#include "PageComposer.h"

#include "ReportDefinition.h"
#include "ReportLayout.h"
#include "ReportRows.h"
#include "TextMeasure.h"

#include <algorithm>

namespace {

const QString Bar = QStringLiteral("|");

} // namespace

PageComposer::PageComposer(const ReportDefinition& report, const ReportLayout& layout, TextWidth textWidth)
    : report_(report), layout_(layout), textWidth_(std::move(textWidth))
{
}

int PageComposer::rowsThatFit(double pageHeight, const PageRequest& request) const
{
    double y = layout_.titleY;
    ReportPage header;
    title(header, y);
    infoLines(header, y, request);
    y += layout_.tableGap;
    headingRow(header, y);
    const double row = TextMeasure::lineHeight(layout_.contentFont);
    // Below the rows: the empty line and the page number.
    const double room = pageHeight - y - 2 * row;
    return std::max(1, int(room / row));
}

ReportPage PageComposer::compose(ReportRows& rows, const PageRequest& request) const
{
    ReportPage page;
    const int count = rows.count();
    if (count == 0 || request.recordsPerPage < 1)
        return page;

    double y = layout_.titleY;
    title(page, y);
    infoLines(page, y, request);
    y += layout_.tableGap;
    rule(page, y);
    headingRow(page, y);

    const int first = (request.page - 1) * request.recordsPerPage;
    int printed = 0;
    while (printed < request.recordsPerPage && first + printed < count) {
        rule(page, y);
        row(page, y, rows.rowTexts(first + printed + 1));
        ++printed;
    }
    rule(page, y);
    // The last page shows as many rows as the others: the missing ones are empty.
    for (int j = printed; j < request.recordsPerPage; ++j) {
        emptyRow(page, y);
        rule(page, y);
    }

    y += TextMeasure::lineHeight(layout_.contentFont);   // one empty line
    pageNumber(page, y, request);
    return page;
}

void PageComposer::title(ReportPage& page, double& y) const
{
    page += DrawOp::textAt(layout_.titleX + ReportLayout::TitleXOffset, y, layout_.reportTitle, layout_.titleFont);
    y += TextMeasure::lineHeight(layout_.titleFont);
}

void PageComposer::infoLines(ReportPage& page, double& y, const PageRequest& request) const
{
    if (report_.infoLines == InfoLines::None)
        return;
    y += layout_.infoGap;
    page += DrawOp::textAt(layout_.infoX, y, QStringLiteral("序号：") + request.planNo, layout_.numberFont);
    y += TextMeasure::lineHeight(layout_.numberFont);
    if (report_.infoLines != InfoLines::PlanNoAndTitle)
        return;
    page += DrawOp::textAt(layout_.infoX, y, QStringLiteral("题目：") + request.planTitle, layout_.subjectFont);
    y += TextMeasure::lineHeight(layout_.subjectFont);
}

void PageComposer::headingRow(ReportPage& page, double& y) const
{
    const FontSpec& font = layout_.fieldFont;
    for (int c = 0; c < report_.columns.size(); ++c) {
        page += DrawOp::textAt(separatorX(c), y, Bar, font);
        page += cellText(textX(c, true), y, cellEndX(c), report_.columns[c].heading, font);
    }
    page += DrawOp::textAt(closingX(), y, Bar, font);
    y += TextMeasure::lineHeight(font);
}

void PageComposer::row(ReportPage& page, double& y, const QStringList& texts) const
{
    const FontSpec& font = layout_.contentFont;
    for (int c = 0; c < report_.columns.size(); ++c) {
        page += DrawOp::textAt(separatorX(c), y, Bar, font);
        const QString text = c < texts.size() ? texts[c] : QString();
        if (!text.isEmpty())
            page += cellText(textX(c, false), y, cellEndX(c), text, font);
    }
    page += DrawOp::textAt(closingX(), y, Bar, font);
    y += TextMeasure::lineHeight(font);
}

void PageComposer::emptyRow(ReportPage& page, double& y) const
{
    row(page, y, QStringList());
}

void PageComposer::rule(ReportPage& page, double y) const
{
    page += DrawOp::rule(layout_.tableX, y, layout_.tableRight(report_), y);
}

void PageComposer::pageNumber(ReportPage& page, double y, const PageRequest& request) const
{
    const QString text = QStringLiteral(" 第 ") + QString::number(request.page) + QStringLiteral(" 页");
    const FontSpec& font = layout_.contentFont;
    const double x = request.target == PageTarget::Paper ? PaperPageNumberX
                                                         : request.pageWidth / 2 - textWidth_(text, font) / 2;
    page += DrawOp::textAt(x, y, text, font);
}

double PageComposer::separatorX(int column) const
{
    const ReportColumn& c = report_.columns[column];
    return layout_.tableX + c.separator + layout_.shift(c.shiftBox);
}

// A printed value is never cut silently: a text wider than its cell prints in a smaller font
// (down to seven tenths of its size) when that holds it whole, and only then shortened with
// "…", clipped at the cell's end, so that the page and the text a reader copies from a PDF
// show the same. A text that fits is drawn plain.
DrawOp PageComposer::cellText(double x, double y, double endX, const QString& text, const FontSpec& font) const
{
    // Widths measured here may differ a little from those on paper: a text that nearly
    // fills its cell counts as too wide too.
    constexpr double Tolerance = 0.1;
    const double room = endX - x - Tolerance;
    if (textWidth_(text, font) <= room)
        return DrawOp::textAt(x, y, text, font);
    FontSpec smaller = font;
    const double smallest = std::max(font.size * 0.7, 5.0);
    for (smaller.size = font.size - 0.5; smaller.size >= smallest; smaller.size -= 0.5)
        if (textWidth_(text, smaller) <= room)
            return DrawOp::textAt(x, y, text, smaller);
    smaller.size += 0.5;   // the smallest size tried
    const QString ellipsis = QStringLiteral("…");
    const QList<uint> characters = text.toUcs4();
    auto start = [&characters](qsizetype count) {
        return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), count);
    };
    qsizetype fitting = 0;   // the longest start of the text that fits with the ellipsis
    qsizetype tooMany = characters.size();
    while (tooMany - fitting > 1) {
        const qsizetype middle = (fitting + tooMany) / 2;
        if (textWidth_(start(middle) + ellipsis, smaller) <= room)
            fitting = middle;
        else
            tooMany = middle;
    }
    return DrawOp::clippedTextAt(x, y, endX, start(fitting) + ellipsis, smaller);
}

// A cell's text ends at the separator of the column to its right, the last column's at
// the closing "|".
double PageComposer::cellEndX(int column) const
{
    return column + 1 < report_.columns.size() ? separatorX(column + 1) : closingX();
}

double PageComposer::textX(int column, bool heading) const
{
    const ReportColumn& c = report_.columns[column];
    // The first column's heading stands 1 mm in from its cells.
    const double offset = column == 0 && heading ? c.text + 1 : c.text;
    return layout_.tableX + offset + layout_.shift(c.shiftBox);
}

double PageComposer::closingX() const
{
    return layout_.tableRight(report_) - 1;
}
