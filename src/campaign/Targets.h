#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class Connection;
class ProgramState;

// The targets of the target table one at a time, and its deletions of many targets, as the
// maintenance of the table makes them. Each is one transaction, decided from the store at
// that moment, and announced once stored (with the plan number when it is known).
namespace Targets {

// Field name → value as stored (see FieldInfo::toStored).
using Values = QHash<QString, QVariant>;

// Stores a new target; the fields not given keep the table's defaults. Returns its key.
// Refuses a target without a name, and names that are no field of the table (DbError).
qint64 add(ProgramState& state, const Values& values);

// Stores changed values of the target `key`, provided it still holds `expected` (its values
// when the edit began). False when the target is gone or was changed since: nothing stored.
// Refuses to empty a target's name (DbError).
bool edit(ProgramState& state, qint64 key, const Values& changes, const Values& expected);

// Deletes one target; DbError when it is gone already.
void remove(ProgramState& state, qint64 key);

// Deletes every target whose 序号 is `planNo`; returns how many.
int removeTargetsOfPlan(ProgramState& state, const QString& planNo);

// Deletes every target without feedback (反馈合计 = 0), of every plan; returns how many.
int removeTargetsWithoutFeedback(ProgramState& state);

// What the two deletions above would remove, read before the user is asked: the number of
// targets of one plan, and per plan (in plan order) the targets without feedback.
int countOfPlan(Connection& db, const QString& planNo);
QList<QPair<QString, int>> countWithoutFeedbackByPlan(Connection& db);

// "计划“2026-01”" for a question; "无序号" for targets without a plan number.
QString planLabel(const QString& planNo);
// "计划“2026-01”的400个、计划“2026-02”的232个": the counts per plan for a question.
QString perPlanText(const QList<QPair<QString, int>>& counts);

} // namespace Targets
