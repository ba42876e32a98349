#pragma once

#include "PlanDesign.h"

class ProgramState;
class Recordset;

// The plans as designed (the plan table): adding, editing and deleting them. A plan's number
// is the key of all its rows once it is executed, so no two plans share one and none is
// without one; the number of targets is a whole number. Each write is one transaction,
// decided from the rows as they are stored at that moment, and announced once stored.
// A refused plan throws DbError with a message naming the field; nothing is stored then.
namespace PlanDesigns {

// Stores a new plan, every text trimmed; returns its key.
qint64 add(ProgramState& state, const PlanDesign& plan);

// Stores `plan` over the plan row `key`.
void edit(ProgramState& state, qint64 key, const PlanDesign& plan);

// Deletes the plan row `key`; only the design goes, an executed plan keeps its rows.
// False when the row was already gone.
bool remove(ProgramState& state, qint64 key);

// The current row of a recordset over the plan table, each field trimmed ("" for Null).
PlanDesign fromRow(const Recordset& row);

// The plan statement every reader of the plan table uses.
QString allPlansStatement();

} // namespace PlanDesigns
