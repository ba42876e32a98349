#include "ReportDefinition.h"

#include "core/BoundSql.h"

BoundSql ReportDefinition::query(const QString& planNo) const
{
    if (!queryTakesPlanNo)
        return {queryStart, {}};
    return {queryStart + QStringLiteral("?1") + queryEnd, {planNo}};
}
