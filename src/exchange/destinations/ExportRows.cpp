#include "ExportRows.h"

#include "core/SqlText.h"
#include "core/Statement.h"

namespace {

const QString TargetTable = QStringLiteral("clientTableInfo");

QString condition(ExportRows::Which which)
{
    switch (which) {
    case ExportRows::Which::AllTargets:
        return QString();
    case ExportRows::Which::TargetsWithFeedback:
        return QStringLiteral(" WHERE \"反馈合计\" >= 1");
    case ExportRows::Which::PlanResponders:
        return QStringLiteral(" WHERE \"序号\" = ?1 AND \"反馈合计\" >= 1");
    }
    return QString();
}

} // namespace

ExportRows ExportRows::allTargets(bool everyTarget)
{
    return {everyTarget ? Which::AllTargets : Which::TargetsWithFeedback, QString()};
}

ExportRows ExportRows::planResponders(const QString& planNo)
{
    return {Which::PlanResponders, planNo};
}

QString ExportRows::query() const
{
    return QStringLiteral("SELECT * FROM ") + SqlText::quoteName(TargetTable) + condition(which) + QStringLiteral(" ORDER BY rowid");
}

QString ExportRows::countQuery() const
{
    return QStringLiteral("SELECT count(*) FROM ") + SqlText::quoteName(TargetTable) + condition(which);
}

void ExportRows::bind(Statement& statement) const
{
    if (which == Which::PlanResponders)
        statement.bind(1, planNo);
}
