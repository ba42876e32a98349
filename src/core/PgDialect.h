#pragma once

#include <QString>

// The program's statement texts are written the SQLite way. A PostgreSQL server takes them
// after these changes, made on the tokens (never inside a literal):
// - a name with a capital or a Chinese letter is quoted, so it keeps its letter case
//   (PostgreSQL folds unquoted names to small letters); key words and function names stay;
// - ? and ?N become $1 …, "IS ?" becomes "IS NOT DISTINCT FROM $n" (SQLite's IS compares
//   Null too), "IS NOT ?" becomes "IS DISTINCT FROM $n";
// - LIKE becomes ILIKE: a like ignores letter case, as on the file;
// - "main." before a table name (SQLite's name of the database itself) is left out.
namespace PgDialect {

struct Translated {
    QString sql;
    int parameterCount = 0;
};

Translated fromSqlite(const QString& sqliteStatement);

} // namespace PgDialect
