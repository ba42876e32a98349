#pragma once

#include <QString>

class AppState;

// The executed plans as the main window shows them: which plan is current, its daily rows,
// the product names, and deleting a plan with everything recorded for it.
namespace ExecutedPlans {

QString feedbackStatement(const QString& planNo);

// Opens "Select * From marketingComment" as the program's plan rows and makes the last
// (most recently executed) plan current; with no plan the current plan number is "".
void openPlans(AppState& state);

// Makes the last plan of the plan rows current ("" when there is none).
void moveToLastPlan(AppState& state);

// The current plan number and title from the plan rows' current row ("" when none).
void takeCurrentPlan(AppState& state);

// Opens the current plan's daily rows as the program's daily recordset.
void openPlanFeedback(AppState& state);

// Reads the five product names from the product mapping's first row.
void loadProductNames(AppState& state);

// Deletes the plan that is current in the plan rows: its executed-plan row, its daily rows
// and its targets, all or nothing. The plan as designed (planTable) stays. Returns the
// plan number that was deleted.
QString deleteCurrentPlan(AppState& state);

} // namespace ExecutedPlans
