#pragma once

#include <QString>

class AppState;
class Recordset;

// Executing a plan: the plan as designed (the current stored row of the plan table)
// becomes an executed plan with its first daily row dated today, and the current plan.
namespace PlanExecution {

enum class Outcome {
    Executed,          // both rows appended
    AlreadyExecuted,   // the plan number is already among the executed plans
    NoStoredPlan,      // no stored plan row is current: nothing to execute
};

struct Result {
    Outcome outcome;
    QString planNo;
};

// Sets the current plan to the plan row's number and title (also when it was executed
// before), then appends the executed-plan row and the first daily row, both or neither.
// Throws DbError when the database refuses; nothing is appended then.
Result execute(AppState& state, Recordset& planTable);

// "现在执行12计划!"
QString executedMessage(const QString& planNo);

} // namespace PlanExecution
