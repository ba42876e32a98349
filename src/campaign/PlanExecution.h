#pragma once

#include <QString>

class ProgramState;

// Executing a plan: the plan as designed (a stored row of the plan table) becomes an executed
// plan with its first daily row dated today, and the current plan.
namespace PlanExecution {

enum class Outcome {
    Executed,          // both rows appended
    AlreadyExecuted,   // the plan number is already among the executed plans
    NoStoredPlan,      // no stored plan row has this key: nothing to execute
};

struct Result {
    Outcome outcome;
    QString planNo;
};

// Reads the plan row `planKey` of planTable from the store, then appends the executed-plan row
// and the first daily row, both or neither, and makes the plan current (also when it was
// executed before). Announces the executed plans and daily rows it added. Throws DbError when
// the database refuses; nothing is appended then.
Result execute(ProgramState& state, qint64 planKey);

// "现在执行12计划!"
QString executedMessage(const QString& planNo);

} // namespace PlanExecution
