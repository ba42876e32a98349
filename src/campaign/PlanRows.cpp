#include "PlanRows.h"

#include "core/SqlText.h"

namespace PlanRows {

namespace {

BoundSql rowsOfPlan(const QString& table, const QString& planNo)
{
    BoundSql statement;
    statement.text = QStringLiteral("Select * From %1 Where ").arg(table)
        + SqlText::equals(statement, QStringLiteral("序号"), planNo);
    return statement;
}

} // namespace

QString executedPlansStatement()
{
    return QStringLiteral("Select * From marketingComment");
}

BoundSql executedPlanStatement(const QString& planNo)
{
    return rowsOfPlan(QStringLiteral("marketingComment"), planNo);
}

BoundSql feedbackStatement(const QString& planNo)
{
    return rowsOfPlan(QStringLiteral("feedbackTable"), planNo);
}

BoundSql targetsStatement(const QString& planNo)
{
    return rowsOfPlan(QStringLiteral("clientTableInfo"), planNo);
}

BoundSql planTargetsContaining(const QString& field, const QString& text, const QString& planNo)
{
    BoundSql condition;
    const QString named = SqlText::contains(condition, field, text);   // ?1, then ?2: in reading order
    condition.text = named + QStringLiteral(" AND ") + SqlText::equals(condition, QStringLiteral("序号"), planNo);
    return condition;
}

} // namespace PlanRows
