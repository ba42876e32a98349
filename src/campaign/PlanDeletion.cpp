#include "PlanDeletion.h"

#include "ProgramState.h"
#include "core/Connection.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/Transaction.h"

namespace PlanDeletion {

void deleteExecutedPlan(ProgramState& state, const QString& planNo)
{
    Connection& db = state.store();
    const QString where = QStringLiteral(" Where 序号 = ") + SqlText::quote(planNo);
    // The three deletions stand or fall together: no daily rows or targets are left behind
    // without their plan, and no plan loses only part of its data.
    Transaction transaction(db);
    db.execute(QStringLiteral("Delete * From marketingComment") + where);
    db.execute(QStringLiteral("Delete * From feedbackTable") + where);
    db.execute(QStringLiteral("Delete * From clientTableInfo") + where);
    transaction.commit();
    state.announce({ChangeNotice::Table::ExecutedPlans, planNo});
    state.announce({ChangeNotice::Table::DailyRows, planNo});
    state.announce({ChangeNotice::Table::Targets, planNo});
}

namespace {

int rowsOfPlan(Connection& db, const QString& table, const QString& planNo)
{
    Statement query(db, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE 序号 = ?").arg(table));
    query.bind(1, planNo);
    query.step();
    return int(query.int64At(0));
}

} // namespace

PlanContents contentsOf(Connection& db, const QString& planNo)
{
    return {rowsOfPlan(db, QStringLiteral("clientTableInfo"), planNo), rowsOfPlan(db, QStringLiteral("feedbackTable"), planNo)};
}

} // namespace PlanDeletion
