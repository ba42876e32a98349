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

// The plan becomes the program's current plan, and its daily rows the program's daily
// rows, wherever they are shown.
static void makeCurrent(AppState& state, const QString& planNo, const QString& title)
{
    if (!state.setCurrentPlan(planNo, title))
        ExecutedPlans::openPlanFeedback(state);
}

Result execute(AppState& state, Recordset& planTable)
{
    // A new row not yet saved, or an empty table, holds no plan to execute.
    if (planTable.editMode() == Recordset::EditMode::Adding || !planTable.hasCurrentRow())
        return {Outcome::NoStoredPlan, QString()};

    const QString planNo = TextRules::trimmedText(planTable.value(QStringLiteral("序号")));
    const QString title = TextRules::trimmedText(planTable.value(QStringLiteral("题目")));
    if (!state.planRecordset())
        state.setPlanRecordset(state.openRecordset(QStringLiteral("Select * From marketingComment")));
    const auto plans = state.planRecordset();

    if (alreadyExecuted(*plans, planNo)) {
        makeCurrent(state, planNo, title);
        return {Outcome::AlreadyExecuted, planNo};
    }

    // The executed plan and its first day are stored together or not at all. The first day
    // goes into the plan's own daily rows, never into those another plan has open.
    try {
        Transaction transaction(*state.dbConnection);
        appendExecutedPlan(*plans, planTable, planNo);
        Recordset days(state.dbConnection, ExecutedPlans::feedbackStatement(planNo));
        appendFirstDay(days, planNo, title);
        transaction.commit();
    } catch (const DbError&) {
        plans->cancelUpdate();
        plans->requery();   // drop the row the rollback took back
        throw;
    }
    makeCurrent(state, planNo, title);
    return {Outcome::Executed, planNo};
}

QString executedMessage(const QString& planNo)
{
    return QStringLiteral("现在执行") + planNo + QStringLiteral("计划!");
}

} // namespace PlanExecution
