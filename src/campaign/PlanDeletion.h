#pragma once

#include <QString>

class Connection;
class ProgramState;

// Deleting an executed plan with everything recorded for it.
namespace PlanDeletion {

// Deletes the plan's executed-plan row, its daily rows and its targets, all or nothing; the
// plan as designed (planTable) stays. Announces the three tables. Throws DbError.
void deleteExecutedPlan(ProgramState& state, const QString& planNo);

// What deleting the plan would remove besides its row, read before the user is asked.
struct PlanContents {
    int targets = 0;
    int days = 0;   // daily statistics rows
};
PlanContents contentsOf(Connection& db, const QString& planNo);

} // namespace PlanDeletion
