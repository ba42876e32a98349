#pragma once

#include <QString>

// The program's statements are written once, in SQL both engines take, with SQLite's
// placeholders. A PostgreSQL server takes them with one change: ?N becomes $N, and a bare ?
// the value after the highest number so far (SQLite's rule), so ?2 … ? is $2 … $3.
// Nothing inside a literal, a quoted name or a comment is touched.
namespace PgDialect {

struct Translated {
    QString sql;
    int parameterCount = 0;
};

Translated fromSqlite(const QString& statement);

} // namespace PgDialect
