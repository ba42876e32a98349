#include "TargetTable.h"

#include "core/SqlText.h"

namespace TargetTable {

BoundSql targetsWithFeedbackOf(const QString& planNo)
{
    BoundSql statement;
    statement.text = TargetsWithFeedback + QStringLiteral(" And ") + SqlText::equals(statement, QStringLiteral("序号"), planNo);
    return statement;
}

std::optional<FieldTests> searchFilter(const QString& fieldName, const QString& answer)
{
    if (fieldName == QStringLiteral("序号"))
        return FieldTests{FieldTest::equals(fieldName, answer)};
    if (fieldName == QStringLiteral("营销对象"))
        return FieldTests{FieldTest::contains(fieldName, answer)};
    return std::nullopt;
}

} // namespace TargetTable
