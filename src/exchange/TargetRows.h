#pragma once

class Connection;

// The whole target table, every plan's rows at once.
namespace TargetRows {

int count(Connection& connection);

// Deletes every row of clientTableInfo in one transaction and returns how many there were.
// Throws DbError; then nothing is deleted.
int deleteAll(Connection& connection);

} // namespace TargetRows
