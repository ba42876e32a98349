#pragma once

#include <QString>
#include <functional>
#include <vector>

class Connection;

// The version of the program's tables a database holds, and bringing an older database up to
// the program's: on a file SQLite's user_version, on a server the one row of
// marquel_schema_version. A database made before versions were kept holds 0 and the tables of
// version 1.
namespace SchemaVersion {

// One upgrade: changes the tables of version N into those of version N + 1, inside the
// transaction of the whole upgrade.
using Step = std::function<void(Connection&)>;

// The program's upgrades, the first from version 1 to 2; the program's version is one more
// than their count.
const std::vector<Step>& upgradeSteps();
int current();

// The version stored in the database (0 when none was stored).
int stored(Connection& connection);
// Stores `version`; inside the caller's transaction.
void store(Connection& connection, int version);

// Throws DbError when the database was made or upgraded by a newer program (its tables may hold
// what this one would lose).
void refuseNewer(Connection& connection, int programVersion = current());

// Brings the database to version 1 + steps.size(). A file is first copied beside itself
// (Tembra_Estimation-v1-backup.db); then every step runs in one transaction. Throws DbError,
// leaving the database as it was, when it is newer than the program, when it needs upgrading but
// cannot be written, or when the backup or a step fails. Returns the backup's path (empty when
// nothing needed upgrading).
QString bringUpToDate(Connection& connection, const std::vector<Step>& steps = upgradeSteps());

} // namespace SchemaVersion
