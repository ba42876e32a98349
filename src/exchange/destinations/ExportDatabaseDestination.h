#pragma once

#include "ReportingDestination.h"

// "select * into [;database=path].table from ...": a new table in a database file of the
// store's own kind, the export database beside the program. A missing export database is
// created first (empty). The new table and all its rows arrive together or not at all.
class ExportDatabaseDestination : public ReportingDestination {
public:
    QString connectKind() const override { return QString(); }
    int write(Connection& source, const SelectIntoStatement& statement) override;
};
