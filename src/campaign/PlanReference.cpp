#include "PlanReference.h"

PlanReference PlanReference::number(const QString& planNo)
{
    PlanReference plan;
    plan.planNo_ = planNo;
    return plan;
}

PlanReference PlanReference::ofTarget(qint64 targetKey)
{
    PlanReference plan;
    plan.targetKey_ = targetKey;
    return plan;
}

QString PlanReference::in(BoundSql& statement) const
{
    if (targetKey_)
        return QStringLiteral("(SELECT \"序号\" FROM \"clientTableInfo\" WHERE rowid = %1)").arg(statement.bind(*targetKey_));
    return statement.bind(planNo_);
}
