#include "ReportDefinition.h"

#include "core/SqlText.h"

QString ReportDefinition::query(const QString& planNo) const
{
    if (!queryTakesPlanNo)
        return queryStart;
    return queryStart + SqlText::quote(planNo) + queryEnd;
}
