#pragma once

#include <QString>

class Connection;
struct SelectIntoStatement;

// Where "select * into [<kind>;database=...].<table> from ..." sends its rows.
// Each kind of file (the store's own, dBase, Excel) has one writer; the connection picks
// the writer by the connect string's kind.
class Destination {
public:
    virtual ~Destination() = default;

    // The connect string's kind this writer serves: "" for the store's own files.
    virtual QString connectKind() const = 0;

    // Writes the rows of statement.sourceQuery, run on `source`, into the destination.
    // Returns the number of rows written; throws DbError on failure.
    virtual int write(Connection& source, const SelectIntoStatement& statement) = 0;
};
