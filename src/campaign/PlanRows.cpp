#include "PlanRows.h"

#include "core/SqlText.h"

namespace PlanRows {

QString executedPlansStatement()
{
    return QStringLiteral("Select * From marketingComment");
}

QString executedPlanStatement(const QString& planNo)
{
    return QStringLiteral("Select * From marketingComment Where 序号 = ") + SqlText::quote(planNo);
}

QString feedbackStatement(const QString& planNo)
{
    return QStringLiteral("Select * From feedbackTable Where 序号 = ") + SqlText::quote(planNo);
}

QString targetsStatement(const QString& planNo)
{
    return QStringLiteral("Select * From clientTableInfo Where 序号 = ") + SqlText::quote(planNo);
}

} // namespace PlanRows
