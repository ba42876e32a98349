#include "TargetTable.h"

#include "core/SqlText.h"

namespace TargetTable {

QString targetsWithFeedbackOf(const QString& planNo)
{
    return TargetsWithFeedback + QStringLiteral(" And ") + SqlText::equals(QStringLiteral("序号"), planNo);
}

std::optional<QString> searchFilter(const QString& fieldName, const QString& answer)
{
    if (fieldName == QStringLiteral("序号"))
        return SqlText::equals(fieldName, answer);
    if (fieldName == QStringLiteral("营销对象"))
        return SqlText::contains(fieldName, answer);
    return std::nullopt;
}

} // namespace TargetTable
