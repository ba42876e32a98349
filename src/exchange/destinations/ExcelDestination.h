#pragma once

#include "ReportingDestination.h"

// "select * into [Excel 8.0;database=path].sheet from ...": a sheet of an .xlsx workbook.
// A path ending in .xls (or with no extension) is written as .xlsx. A new workbook is made
// when there is none at the path; an existing one gets the sheet added and keeps every
// other sheet as it was. A sheet name Excel would refuse, or one the workbook has already,
// fails the export. The workbook is written under a temporary name and renamed at the end.
class ExcelDestination : public ReportingDestination {
public:
    QString connectKind() const override { return QStringLiteral("Excel 8.0"); }
    int write(Connection& source, const SelectIntoStatement& statement) override;

    // The file a chosen path is written to: .xls becomes .xlsx, no extension gets .xlsx.
    static QString workbookPath(const QString& chosenPath);
};
