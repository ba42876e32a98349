#pragma once

#include "core/BoundSql.h"
#include "core/FieldTest.h"

#include <QString>

// The statements that read one plan's rows and the executed plans, written once; the plan
// number is bound, never part of the text.
namespace PlanRows {

QString executedPlansStatement();                   // every executed plan, in the order executed
BoundSql executedPlanStatement(const QString& planNo);
BoundSql feedbackStatement(const QString& planNo);   // the plan's daily rows, oldest first
BoundSql targetsStatement(const QString& planNo);    // the plan's targets, in the order added
// A condition on targets: those of the plan whose field holds the text anywhere.
FieldTests planTargetsContaining(const QString& field, const QString& text, const QString& planNo);

} // namespace PlanRows
