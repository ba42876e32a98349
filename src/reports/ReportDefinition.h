#pragma once

#include "core/BoundSql.h"

#include "ReportColumn.h"

#include <QList>
#include <QString>
#include <QStringList>

// Which lines a report prints between its title and its table.
enum class InfoLines {
    None,               // the table follows the title
    PlanNo,             // "序号：" and the plan number
    PlanNoAndTitle,     // that line, then "题目：" and the plan's title
};

// Everything that makes one report different from another: its window, its query,
// its header lines, its columns and boxes and where things start on the page.
struct ReportDefinition {
    QString windowName;
    QString caption;
    QString queryStart;     // the statement up to the plan number, which is bound
    QString queryEnd;       // what follows the plan number
    bool queryTakesPlanNo = false;
    QString title;
    double titleY = 10;
    double tableXAfterCharWidth = 10;   // the table starts this far right of one character
    double infoX = 15;
    double tableGap = 5;
    InfoLines infoLines = InfoLines::None;
    bool hasSubjectFontItem = false;
    QList<ReportColumn> columns;
    QStringList boxNames;
    int rightShiftBox = 0;  // the box whose width moves the table's right border

    // The statement that reads the report's rows for the current plan.
    BoundSql query(const QString& planNo) const;
};
