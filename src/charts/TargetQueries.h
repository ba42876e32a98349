#pragma once

#include "core/BoundSql.h"
#include "core/FieldTest.h"

#include <QString>

// The statements and filters with which the feedback browser lists a plan's targets. The
// plan number and the search text are bound values, so any character in either is data.
namespace TargetQueries {

// Every target of the plan, in the order they were added.
BoundSql allOfPlan(const QString& planNo);

// The plan's targets that responded at least once (反馈合计 of 1 or more).
BoundSql respondingOfPlan(const QString& planNo);

// The filter of a search by name: `nameField` contains `text` anywhere (%, _ and \ in the
// text stand for themselves), and the target belongs to the plan.
FieldTests nameContains(const QString& nameField, const QString& text, const QString& planNo);

} // namespace TargetQueries
