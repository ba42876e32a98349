#include "PlanExecution.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/ExecutedPlans.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

namespace PlanExecution {

namespace {

const char* const CopiedFields[] = {"题目", "规模（数量）", "预计反馈数", "时间周期", "费用"};

bool alreadyExecuted(Recordset& plans, const QString& planNo)
{
    if (plans.recordCount() == 0)
        return false;
    plans.moveFirst();
    plans.find(SqlText::equals(QStringLiteral("序号"), planNo));
    return !plans.isEOF();
}

void appendExecutedPlan(Recordset& plans, const Recordset& planTable, const QString& planNo)
{
    plans.addNew();
    plans.setValue(QStringLiteral("序号"), planNo);
    for (const char* field : CopiedFields) {
        const QString name = QString::fromUtf8(field);
        plans.setValue(name, planTable.value(name));   // the stored values as they are
    }
    plans.setValue(QStringLiteral("反馈合计"), QString());
    plans.setValue(QStringLiteral("反馈率"), QString());
    plans.update();
}

void appendFirstDay(Recordset& days, const QString& planNo, const QString& title)
{
    days.addNew();
    days.setValue(QStringLiteral("序号"), planNo);
    days.setValue(QStringLiteral("题目"), title);
    days.setValue(QStringLiteral("时间"), Clock::today());
    days.setValue(QStringLiteral("反馈内容"), QString());
    days.update();
}

} // namespace

Result execute(AppState& state, Recordset& planTable)
{
    // A new row not yet saved, or an empty table, holds no plan to execute.
    if (planTable.editMode() == Recordset::EditMode::Adding || !planTable.hasCurrentRow())
        return {Outcome::NoStoredPlan, QString()};

    state.currentPlanNo = TextRules::trimmedText(planTable.value(QStringLiteral("序号")));
    state.currentPlanTitle = TextRules::trimmedText(planTable.value(QStringLiteral("题目")));
    const QString planNo = state.currentPlanNo;

    if (!state.planRecordset())
        state.setPlanRecordset(state.openRecordset(QStringLiteral("Select * From marketingComment")));
    if (!state.planFeedbackRecordset())
        ExecutedPlans::openPlanFeedback(state);
    const auto plans = state.planRecordset();
    const auto days = state.planFeedbackRecordset();

    if (alreadyExecuted(*plans, planNo))
        return {Outcome::AlreadyExecuted, planNo};

    // The executed plan and its first day are stored together or not at all.
    try {
        Transaction transaction(*state.dbConnection);
        appendExecutedPlan(*plans, planTable, planNo);
        appendFirstDay(*days, planNo, state.currentPlanTitle);
        transaction.commit();
    } catch (const DbError&) {
        plans->cancelUpdate();
        days->cancelUpdate();
        plans->requery();   // drop the rows the rollback took back
        days->requery();
        throw;
    }
    return {Outcome::Executed, planNo};
}

QString executedMessage(const QString& planNo)
{
    return QStringLiteral("现在执行") + planNo + QStringLiteral("计划!");
}

} // namespace PlanExecution
