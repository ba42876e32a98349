#pragma once

#include <QString>
#include <QStringList>

class Connection;

// The delivered databases: the program's own, built from the schema, and the empty
// database exports to the store's format add their tables to.
namespace Schema {

inline const QString MainDatabaseName = QStringLiteral("Tembra_Estimation.db");
inline const QString ExportDatabaseName = QStringLiteral("Marquel数据库.db");

QString script();
// The same tables for a PostgreSQL server: texts as citext (they compare without regard to
// letter case, as on the file) with their declaration ("TEXT(50)") kept as the column's
// comment, whole numbers as bigint, dates as date, and a hidden identity column rowid.
QString serverScript();

// Creates the program's tables in a database that has none of them, on either engine, in
// one transaction (on a file with the row bookkeeping of ensureRowMarks).
void createTables(Connection& connection);

// The names of the tables a database holds.
QStringList tablesIn(Connection& connection);

// Whether the database holds every one of the program's tables; whether it holds none.
bool hasMainTables(Connection& connection);
bool hasNoMainTables(Connection& connection);

// Builds a new database from the schema. Throws DbError when the file exists already.
void createMainDatabase(const QString& path);

// Builds the database from the schema only when there is no file at `path`, so a
// database holding a user's data is never touched. Returns true when it was built.
bool ensureMainDatabase(const QString& path);

// Checks that the database holds the program's tables; throws DbError naming the first
// one missing (an empty or foreign file).
void checkMainDatabase(Connection& connection);

// Adds, when missing, the bookkeeping that keeps row keys from being handed out twice: for
// each of the program's tables the highest key a deleted row had, and triggers that keep it.
void ensureRowMarks(Connection& connection);

// The indexes of the schema, added to a database made before they were part of it. Left out
// quietly where the database cannot be changed (a read-only file, a seat that does not own
// the server's tables): they make reading faster, nothing more.
void ensureIndexes(Connection& connection);

// The program's tables, in the order the schema creates them.
const QStringList& tableNames();

// The same for the export database, which starts with no tables.
bool ensureExportDatabase(const QString& path);

} // namespace Schema
