#include "TargetQueries.h"

#include "core/SqlText.h"

namespace TargetQueries {

QString allOfPlan(const QString& planNo)
{
    return QStringLiteral("Select * From clientTableInfo Where ") + SqlText::equals(QStringLiteral("序号"), planNo);
}

QString respondingOfPlan(const QString& planNo)
{
    return allOfPlan(planNo) + QStringLiteral(" And  反馈合计 >= 1");
}

QString nameContains(const QString& nameField, const QString& text, const QString& planNo)
{
    return SqlText::contains(nameField, text) + QStringLiteral(" And ") + SqlText::equals(QStringLiteral("序号"), planNo);
}

} // namespace TargetQueries
