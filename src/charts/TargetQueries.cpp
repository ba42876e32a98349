#include "TargetQueries.h"

#include "campaign/PlanRows.h"

namespace TargetQueries {

BoundSql allOfPlan(const QString& planNo)
{
    return PlanRows::targetsStatement(planNo);
}

BoundSql respondingOfPlan(const QString& planNo)
{
    BoundSql statement = allOfPlan(planNo);
    statement.text += QStringLiteral(" And  反馈合计 >= 1");
    return statement;
}

FieldTests nameContains(const QString& nameField, const QString& text, const QString& planNo)
{
    return PlanRows::planTargetsContaining(nameField, text, planNo);
}

} // namespace TargetQueries
