#pragma once

class Connection;
class ProgramState;

// The whole target table, every plan's rows at once.
namespace TargetRows {

int count(Connection& connection);

// Deletes every row of clientTableInfo in one transaction, announces it and returns how many
// there were. Throws DbError; then nothing is deleted.
int deleteAll(ProgramState& state);

} // namespace TargetRows
