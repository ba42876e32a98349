#pragma once

#include "DrawOp.h"

#include <QString>
#include <functional>

class ReportRows;
struct ReportDefinition;
struct ReportLayout;

// Where a composed page goes: the preview centres the page number on the page, paper
// prints it at 145 mm.
enum class PageTarget { Preview, Paper };

// What one page shows besides the layout: which page, how many rows a page holds and
// the plan the header lines name.
struct PageRequest {
    int page = 1;                // 1-based
    int recordsPerPage = 40;
    PageTarget target = PageTarget::Preview;
    QString planNo;
    QString planTitle;
    double pageWidth = 297;      // the paper's width, where the preview centres the page number
};

// Composes one report page as drawing operations in millimetres: the title, the
// information lines, the ruled table with its heading row, the page's rows, empty ruled
// rows up to the page size on the last page, and the page number. A report without rows
// gives an empty page. The preview and the printer paint the same list.
class PageComposer {
public:
    using TextWidth = std::function<double(const QString&, const FontSpec&)>;

    PageComposer(const ReportDefinition& report, const ReportLayout& layout, TextWidth textWidth);

    ReportPage compose(ReportRows& rows, const PageRequest& request) const;

    // How many rows a page of `pageHeight` mm holds below the header, with the rule under
    // the last row, the empty line and the page number still on the page; at least 1.
    int rowsThatFit(double pageHeight, const PageRequest& request) const;

    static constexpr double PaperPageNumberX = 145;

private:
    void title(ReportPage& page, double& y) const;
    void infoLines(ReportPage& page, double& y, const PageRequest& request) const;
    void headingRow(ReportPage& page, double& y) const;
    void row(ReportPage& page, double& y, const QStringList& texts) const;
    void emptyRow(ReportPage& page, double& y) const;
    void rule(ReportPage& page, double y) const;
    void pageNumber(ReportPage& page, double y, const PageRequest& request) const;
    double separatorX(int column) const;
    double cellEndX(int column) const;
    DrawOp cellText(double x, double y, double endX, const QString& text, const FontSpec& font) const;
    double textX(int column, bool heading) const;
    double closingX() const;

    const ReportDefinition& report_;
    const ReportLayout& layout_;
    TextWidth textWidth_;
};
