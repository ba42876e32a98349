#include "ResponseRecording.h"

#include "FeedbackRules.h"
#include "PlanRows.h"
#include "ProgramState.h"
#include "TodaysRow.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

namespace ResponseRecording {

const QStringList& targetFieldNames()
{
    static const QStringList names = {"营销对象", "电话1", "电话2", "传真", "联系人1", "联系人2", "地址", "邮政编码"};
    return names;
}

namespace {

const QString PlanField = QStringLiteral("序号");

QString executedPlanTitle(ProgramState& state, const QString& planNo)
{
    Recordset plan(state.connection(), PlanRows::executedPlanStatement(planNo));
    if (plan.recordCount() == 0)
        throw DbError(QStringLiteral("计划“%1”尚未执行或已被删除，反馈不能记入。").arg(planNo));
    return TextRules::trimmedText(plan.value(QStringLiteral("题目")));
}

void requireName(const Draft& draft)
{
    if (TextRules::trimBlanks(draft.fields.value(0)).isEmpty())
        throw DbError(QStringLiteral("请输入单位名称（营销对象），没有名称的客户不能保存。"));
}

// The target's row as stored now: the one shown, by its key, or a new row of the plan.
std::unique_ptr<Recordset> targetRow(ProgramState& state, const Draft& draft)
{
    if (!draft.targetKey) {
        auto added = std::make_unique<Recordset>(state.connection(), PlanRows::targetsStatement(draft.newTargetPlan));
        added->addNew();
        added->setValue(PlanField, draft.newTargetPlan);
        return added;
    }
    auto row = std::make_unique<Recordset>(state.connection(),
                                           QStringLiteral("Select * From clientTableInfo Where rowid = %1").arg(*draft.targetKey));
    if (row->recordCount() == 0)
        throw DbError(QStringLiteral("该客户已被删除，反馈没有保存。"));
    return row;
}

QList<qint64> storeTarget(Recordset& target, const Draft& draft)
{
    const bool adding = target.editMode() == Recordset::EditMode::Adding;
    QList<qint64> counters;
    for (int i = 0; i < FeedbackRules::CounterCount; ++i) {
        const qint64 stored = adding ? 0 : target.value(FeedbackRules::counterFields()[i]).toLongLong();
        counters << stored + draft.targetAdded.value(i);
    }
    for (int i = 0; i < targetFieldNames().size(); ++i)
        target.setValue(targetFieldNames()[i], TextRules::trimBlanks(draft.fields.value(i)));
    for (int i = 0; i < FeedbackRules::CounterCount; ++i)
        target.setValue(FeedbackRules::counterFields()[i], counters[i]);   // refuses a count below 0
    target.setValue(QStringLiteral("反馈合计"), FeedbackRules::channelTotal(counters));
    target.setValue(QStringLiteral("记录号"), QString());
    target.update();
    return counters;
}

} // namespace

Result record(ProgramState& state, const Draft& draft)
{
    requireName(draft);
    Result result;
    {
        // Decided from the store under its write lock: the target's plan, its counters, today's row.
        Transaction transaction(state.store());
        std::unique_ptr<Recordset> target = targetRow(state, draft);
        result.planNo = draft.targetKey ? TextRules::trimmedText(target->value(PlanField)) : draft.newTargetPlan;
        const QString title = executedPlanTitle(state, result.planNo);
        storeTarget(*target, draft);
        result.targetKey = target->bookmark();

        TodaysRow::Increments increments;
        increments.counters = draft.dayAdded;
        increments.content = draft.dayContent;
        result.runningTotal = TodaysRow::add(state.connection(), result.planNo, title, increments);
        transaction.commit();
    }
    state.announce({ChangeNotice::Table::Targets, result.planNo, {result.targetKey}});
    state.announce({ChangeNotice::Table::DailyRows, result.planNo});
    return result;
}

} // namespace ResponseRecording
