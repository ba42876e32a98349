#pragma once

#include <QString>

class Connection;

// Copies the program's tables from one database into one that holds none of them yet: moving a
// department's file onto a server, or a server's data into a file for safe keeping.
namespace DatabaseCopy {

struct Copied {
    int tables = 0;
    qint64 rows = 0;
    QString source;   // where from and where to, a server's without its password
    QString target;
};

// Creates the program's tables in `target` and copies every row of `source` into them, table
// by table in key order, in one transaction; checks each table's row count and reads every
// value back. Throws DbError with the reason, `target` left as it was, when `target` already
// holds one of the tables, a table's fields differ, a row cannot be stored, a count does not
// agree or a value came out different.
Copied copy(Connection& source, Connection& target);

// Opens both databases, files or servers (a file that is not there yet becomes the target),
// copies, and returns the line that tells what was copied from where to where. A target file made here is removed
// again when the copy fails.
QString copyDatabase(const QString& from, const QString& to);

} // namespace DatabaseCopy
