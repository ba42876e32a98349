#include "TargetTable.h"

#include "core/SqlText.h"

namespace TargetTable {

BoundSql targetsWithFeedbackOf(const QString& planNo)
{
    BoundSql statement;
    statement.text = TargetsWithFeedback + QStringLiteral(" And ") + SqlText::equals(statement, QStringLiteral("序号"), planNo);
    return statement;
}

std::optional<BoundSql> searchFilter(const QString& fieldName, const QString& answer)
{
    if (fieldName == QStringLiteral("序号"))
        return SqlText::equalsCondition(fieldName, answer);
    if (fieldName == QStringLiteral("营销对象"))
        return SqlText::containsCondition(fieldName, answer);
    return std::nullopt;
}

} // namespace TargetTable
