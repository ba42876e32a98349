#pragma once

#include "Destination.h"

// "select * into [;database=path].table from ...": adds a table to another database file
// of the store's own kind (or to this one when no database is named).
class SqliteDestination : public Destination {
public:
    QString connectKind() const override { return QString(); }
    int write(Connection& source, const SelectIntoStatement& statement) override;
};
