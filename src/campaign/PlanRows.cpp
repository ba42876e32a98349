#include "PlanRows.h"

#include "core/SqlText.h"

namespace PlanRows {

namespace {

BoundSql rowsOfPlan(const QString& table, const QString& planNo)
{
    BoundSql statement;
    statement.text = QStringLiteral("Select * From %1 Where ").arg(SqlText::quoteName(table))
        + SqlText::equals(statement, QStringLiteral("序号"), planNo);
    return statement;
}

} // namespace

QString executedPlansStatement()
{
    return QStringLiteral("Select * From \"marketingComment\"");
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

FieldTests planTargetsContaining(const QString& field, const QString& text, const QString& planNo)
{
    return {FieldTest::contains(field, text), FieldTest::equals(QStringLiteral("序号"), planNo)};
}

} // namespace PlanRows
