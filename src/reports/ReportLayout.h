#pragma once

#include "FontSpec.h"

#include <QList>
#include <QStringList>

#include <array>
#include <functional>

struct ReportDefinition;

// Where a report's title and table stand on the page and which fonts it prints with,
// in millimetres. Each report window starts from the defaults and keeps its changes
// until it is closed; nothing is stored.
struct ReportLayout {
    static constexpr int BoxCount = 14;
    static constexpr double BaseTableWidth = 250;
    static constexpr double TitleXOffset = 115;

    QString reportTitle;
    int charWidth = 0;          // one character "宽" of the page's own font, whole mm
    int titleX = 0;             // the title prints at titleX + 115
    double titleY = 10;
    double infoX = 15;
    int infoGap = 10;
    double tableX = 10;
    double tableGap = 5;
    std::array<int, BoxCount> boxShift{};   // boxShift[0] is box 1

    FontSpec titleFont;
    FontSpec fieldFont;         // the column headings
    FontSpec contentFont;       // the rows and the page number
    FontSpec numberFont;        // the "序号：" line
    FontSpec subjectFont;       // the "题目：" line

    // The layout a report window opens with.
    static ReportLayout defaults(const ReportDefinition& report, int charWidth);

    // The width adjustment of box `box` (1-based); 0 for box 0 and boxes out of range.
    int shift(int box) const;
    // Where the table's right border stands: the rules end there.
    double tableRight(const ReportDefinition& report) const;

    // Widens the columns of `fields` (phone, fax, e-mail) so that the widest of their values
    // in `rows` prints whole, moving the columns to their right along. The table ends at
    // `pageRight` at most: what is missing there is taken from the widest other column (the
    // address), which keeps half its width. A column that still cannot hold a value prints it
    // smaller, and only then shortened (see PageComposer).
    using TextWidth = std::function<double(const QString&, const FontSpec&)>;
    void holdWidestValues(const ReportDefinition& report, const QList<QStringList>& rows, const QStringList& fields,
                          double pageRight, const TextWidth& textWidth);
};
