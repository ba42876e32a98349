#pragma once

#include <QString>

class ProgramState;

// Deleting an executed plan with everything recorded for it.
namespace PlanDeletion {

// Deletes the plan's executed-plan row, its daily rows and its targets, all or nothing; the
// plan as designed (planTable) stays. Announces the three tables. Throws DbError.
void deleteExecutedPlan(ProgramState& state, const QString& planNo);

} // namespace PlanDeletion
