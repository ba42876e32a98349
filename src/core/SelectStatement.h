#pragma once

#include <QString>

// A "Select <list> From <table> [Where ...] [Order By ...]" statement cut into its parts,
// so the record store can read the rows of one table by key. Anything more involved
// (joins, grouping, aggregates, distinct) is not `keyed` and is read once as a whole.
struct SelectStatement {
    bool keyed = false;   // one table, one row per table row: rows can be read and written by rowid
    QString selectList;   // as written, "*" or a column list
    QString table;        // as written, brackets included
    QString where;        // without the keyword; empty when none
    QString orderBy;      // without the keywords; empty when none

    static SelectStatement parse(const QString& sqliteStatement);

    // The same statement as a query for the row keys in the statement's order;
    // rows that tie keep the order they were added in.
    QString keyQuery(const QString& extraCondition = QString()) const;
};
