#pragma once

#include <QString>

// The statements that read one plan's rows and the executed plans, written once.
namespace PlanRows {

QString executedPlansStatement();                   // every executed plan, in the order executed
QString executedPlanStatement(const QString& planNo);
QString feedbackStatement(const QString& planNo);   // the plan's daily rows, oldest first
QString targetsStatement(const QString& planNo);    // the plan's targets, in the order added

} // namespace PlanRows
