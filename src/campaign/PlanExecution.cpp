#include "PlanExecution.h"

#include "PlanRows.h"
#include "ProgramState.h"
#include "core/Clock.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

namespace PlanExecution {

namespace {

const char* const CopiedFields[] = {"题目", "规模（数量）", "预计反馈数", "时间周期", "费用"};

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

Result execute(ProgramState& state, qint64 planKey)
{
    // The executed plan and its first day are stored together or not at all, decided from
    // the rows as they are stored now.
    Transaction transaction(state.store());
    Recordset planTable(state.connection(), QStringLiteral("Select * From \"planTable\""));
    try {
        planTable.setBookmark(planKey);
    } catch (const DbError&) {
        return {Outcome::NoStoredPlan, QString()};
    }
    const QString planNo = TextRules::trimmedText(planTable.value(QStringLiteral("序号")));
    const QString title = TextRules::trimmedText(planTable.value(QStringLiteral("题目")));

    Recordset plans(state.connection(), PlanRows::executedPlanStatement(planNo));
    if (plans.recordCount() > 0) {
        transaction.commit();
        state.setCurrentPlan(planNo, title);
        return {Outcome::AlreadyExecuted, planNo};
    }
    appendExecutedPlan(plans, planTable, planNo);
    Recordset days(state.connection(), PlanRows::feedbackStatement(planNo));
    appendFirstDay(days, planNo, title);
    transaction.commit();

    state.setCurrentPlan(planNo, title);
    state.announce({ChangeNotice::Table::ExecutedPlans, planNo});
    state.announce({ChangeNotice::Table::DailyRows, planNo});
    return {Outcome::Executed, planNo};
}

QString executedMessage(const QString& planNo)
{
    return QStringLiteral("现在执行") + planNo + QStringLiteral("计划!");
}

} // namespace PlanExecution
