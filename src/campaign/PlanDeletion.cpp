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
    const auto deleteRowsOfPlan = [&](const QString& table) {
        BoundSql statement;
        statement.text = QStringLiteral("DELETE FROM %1 WHERE ").arg(SqlText::quoteName(table)) + SqlText::equals(statement, QStringLiteral("序号"), planNo);
        db.execute(statement);
    };
    // The three deletions stand or fall together: no daily rows or targets are left behind
    // without their plan, and no plan loses only part of its data.
    Transaction transaction(db);
    deleteRowsOfPlan(QStringLiteral("marketingComment"));
    deleteRowsOfPlan(QStringLiteral("feedbackTable"));
    deleteRowsOfPlan(QStringLiteral("clientTableInfo"));
    transaction.commit();
    state.announce({ChangeNotice::Table::ExecutedPlans, planNo});
    state.announce({ChangeNotice::Table::DailyRows, planNo});
    state.announce({ChangeNotice::Table::Targets, planNo});
}

namespace {

int rowsOfPlan(Connection& db, const QString& table, const QString& planNo)
{
    Statement query(db, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE 序号 = ?").arg(SqlText::quoteName(table)));
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
