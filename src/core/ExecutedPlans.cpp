#include "ExecutedPlans.h"

#include "AppState.h"
#include "Connection.h"
#include "DbError.h"
#include "Recordset.h"
#include "SqlText.h"
#include "TextRules.h"
#include "Transaction.h"

namespace ExecutedPlans {

QString feedbackStatement(const QString& planNo)
{
    return QStringLiteral("Select * From feedbackTable Where 序号 = ") + SqlText::quote(planNo);
}

void openPlans(AppState& state)
{
    state.setPlanRecordset(nullptr);
    state.setPlanRecordset(state.openRecordset(QStringLiteral("Select * From marketingComment")));
    moveToLastPlan(state);
}

void moveToLastPlan(AppState& state)
{
    const auto plans = state.planRecordset();
    if (plans && plans->recordCount() > 0)
        plans->moveLast();
    takeCurrentPlan(state);
}

void takeCurrentPlan(AppState& state)
{
    const auto plans = state.planRecordset();
    if (plans && plans->hasCurrentRow())
        state.setCurrentPlan(TextRules::trimmedText(plans->value(QStringLiteral("序号"))),
                             TextRules::trimmedText(plans->value(QStringLiteral("题目"))));
    else
        state.setCurrentPlan(QString(), QString());
}

void openPlanFeedback(AppState& state)
{
    state.setPlanFeedbackRecordset(nullptr);
    state.setPlanFeedbackRecordset(state.openRecordset(feedbackStatement(state.currentPlanNo)));
}

void loadProductNames(AppState& state)
{
    auto products = state.openRecordset(QStringLiteral("Select * From productDF"));
    QStringList names;
    for (int i = 0; i < 5; ++i) {
        const bool present = products->hasCurrentRow() && i < products->fieldCount();
        names << (present ? TextRules::joinedText(products->value(i)) : QString());
    }
    state.productNames = names;
}

QString deleteCurrentPlan(AppState& state)
{
    const auto plans = state.planRecordset();
    if (!plans || !plans->hasCurrentRow())
        throw DbError(QStringLiteral("没有可删除的计划。"));
    const QString planNo = TextRules::trimmedText(plans->value(QStringLiteral("序号")));
    Connection& db = *state.dbConnection;
    // The three deletions stand or fall together: no daily rows or targets are left
    // behind without their plan, and no plan loses only part of its data.
    Transaction transaction(db);
    plans->deleteCurrent();
    plans->moveNext();
    db.execute(QStringLiteral("Delete * From feedbackTable Where 序号 = ") + SqlText::quote(planNo));
    db.execute(QStringLiteral("Delete * From clientTableInfo  Where 序号 = ") + SqlText::quote(planNo));
    transaction.commit();
    return planNo;
}

} // namespace ExecutedPlans
