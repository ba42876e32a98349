#include "ResponseRecording.h"

#include "CounterFields.h"
#include "FeedbackRules.h"
#include "PlanReference.h"
#include "PlanTotals.h"
#include "ProgramState.h"
#include "TodaysRow.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/SqlText.h"
#include "core/TextRules.h"
#include "core/WriteBatch.h"

namespace ResponseRecording {

const QStringList& targetFieldNames()
{
    static const QStringList names = {"营销对象", "电话1", "电话2", "传真", "联系人1", "联系人2", "地址", "邮政编码"};
    return names;
}

namespace {

QString q(const QString& name)
{
    return SqlText::quoteName(name);
}

void requireName(const Draft& draft)
{
    if (TextRules::trimBlanks(draft.fields.value(0)).isEmpty())
        throw DbError(QStringLiteral("请输入单位名称（营销对象），没有名称的客户不能保存。"));
}

const FieldInfo& fieldNamed(const QList<FieldInfo>& fields, const QString& name)
{
    for (const FieldInfo& field : fields)
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return field;
    throw DbError(QStringLiteral("数据库错误：找不到字段“%1”。").arg(name));
}

// The target's fields as they will be stored: trimmed, and refused (with the field's name) when
// one is longer than its field takes.
QVariantList storedTargetFields(Connection& store, const Draft& draft)
{
    const QList<FieldInfo> fields = store.fields(QStringLiteral("clientTableInfo"));
    QVariantList values;
    for (int i = 0; i < targetFieldNames().size(); ++i)
        values << fieldNamed(fields, targetFieldNames()[i]).toStored(TextRules::trimBlanks(draft.fields.value(i)));
    return values;
}

void checkDayContent(Connection& store, const Draft& draft)
{
    if (draft.dayContent)
        fieldNamed(store.fields(QStringLiteral("feedbackTable")), QStringLiteral("反馈内容")).toStored(*draft.dayContent);
}

// The stored target's fields and counters, the counters raised by what the operator added; its
// plan comes back.
BoundSql updateTarget(qint64 key, const QVariantList& fields, const QList<qint64>& added)
{
    BoundSql statement;
    QStringList assignments;
    for (int i = 0; i < targetFieldNames().size(); ++i)
        assignments << QStringLiteral("%1 = %2").arg(q(targetFieldNames()[i]), statement.bind(fields[i]));
    QStringList channels;
    for (int i = 0; i < CounterFields::all().size(); ++i) {
        const QString counter = QStringLiteral("coalesce(%1, 0) + %2").arg(q(CounterFields::all()[i]), statement.bind(added.value(i)));
        assignments << QStringLiteral("%1 = %2").arg(q(CounterFields::all()[i]), counter);
        if (i < CounterFields::ChannelCount)
            channels << QLatin1Char('(') + counter + QLatin1Char(')');
    }
    assignments << QStringLiteral("%1 = %2").arg(q(CounterFields::TargetTotal), channels.join(QStringLiteral(" + ")));
    assignments << QStringLiteral("%1 = ''").arg(q(QStringLiteral("记录号")));
    statement.text = QStringLiteral("UPDATE \"clientTableInfo\" SET %1 WHERE rowid = %2 RETURNING %3")
                         .arg(assignments.join(QStringLiteral(", ")), statement.bind(key), q(QStringLiteral("序号")));
    return statement;
}

BoundSql insertTarget(const QString& planNo, const QVariantList& fields, const QList<qint64>& added)
{
    BoundSql statement;
    QStringList names{q(QStringLiteral("序号"))};
    QStringList values{statement.bind(planNo)};
    for (int i = 0; i < targetFieldNames().size(); ++i) {
        names << q(targetFieldNames()[i]);
        values << statement.bind(fields[i]);
    }
    for (int i = 0; i < CounterFields::all().size(); ++i) {
        names << q(CounterFields::all()[i]);
        values << statement.bind(added.value(i));
    }
    names << q(CounterFields::TargetTotal) << q(QStringLiteral("记录号"));
    values << statement.bind(FeedbackRules::channelTotal(added)) << statement.bind(QString(""));
    statement.text = QStringLiteral("INSERT INTO \"clientTableInfo\" (%1) VALUES (%2)")
                         .arg(names.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
    return statement;
}

// A new target's counters are what the operator added: none of them may be below 0.
void refuseNewCountsBelowZero(const Draft& draft)
{
    for (int i = 0; i < CounterFields::all().size(); ++i)
        if (draft.targetAdded.value(i) < 0)
            throw DbError(QStringLiteral("字段“%1”是计数，不能小于 0。").arg(CounterFields::all()[i]));
}

void refuseStoredCountsBelowZero(WriteBatch& batch, qint64 key, const Draft& draft)
{
    for (int i = 0; i < CounterFields::all().size(); ++i) {
        if (draft.targetAdded.value(i) >= 0)
            continue;   // only a count taken back can fall below 0
        BoundSql condition;
        condition.text = QStringLiteral("EXISTS (SELECT 1 FROM \"clientTableInfo\" WHERE rowid = %1 AND %2 < 0)")
                             .arg(condition.bind(key), q(CounterFields::all()[i]));
        batch.refuseWhen(condition, QStringLiteral("字段“%1”是计数，不能小于 0。").arg(CounterFields::all()[i]));
    }
}

void refuseMissingTarget(WriteBatch& batch, qint64 key)
{
    BoundSql condition;
    condition.text = QStringLiteral("NOT EXISTS (SELECT 1 FROM \"clientTableInfo\" WHERE rowid = %1)").arg(condition.bind(key));
    batch.refuseWhen(condition, QStringLiteral("该客户已被删除，反馈没有保存。"));
}

void refusePlanNotExecuted(WriteBatch& batch, const PlanReference& plan, const QString& planNo, int planStep)
{
    BoundSql condition;
    condition.text = QStringLiteral("NOT EXISTS (SELECT 1 FROM \"marketingComment\" WHERE %1 = %2)")
                         .arg(q(QStringLiteral("序号")), plan.in(condition));
    const QString message = QStringLiteral("计划“%1”尚未执行或已被删除，反馈不能记入。");
    batch.refuseWhen(condition, planNo.isNull() ? message : message.arg(planNo), planStep);
}

} // namespace

Result record(ProgramState& state, const Draft& draft)
{
    requireName(draft);
    const QVariantList fields = storedTargetFields(state.store(), draft);
    checkDayContent(state.store(), draft);

    // One batch, decided by the store when it runs: the target's plan, its counters, today's row,
    // the running totals and the plan's total, and the notices to the other seats.
    WriteBatch batch;
    const PlanReference plan = draft.targetKey ? PlanReference::ofTarget(*draft.targetKey)
                                               : PlanReference::number(draft.newTargetPlan);
    int planStep = -1;
    int keyStep = -1;
    if (draft.targetKey) {
        planStep = batch.add(updateTarget(*draft.targetKey, fields, draft.targetAdded));
        refuseMissingTarget(batch, *draft.targetKey);
        refusePlanNotExecuted(batch, plan, QString(), planStep);
        refuseStoredCountsBelowZero(batch, *draft.targetKey, draft);
    } else {
        refuseNewCountsBelowZero(draft);
        refusePlanNotExecuted(batch, plan, draft.newTargetPlan, -1);
        batch.add(insertTarget(draft.newTargetPlan, fields, draft.targetAdded));
        keyStep = batch.add(QStringLiteral("SELECT max(rowid) FROM \"clientTableInfo\""));
    }
    TodaysRow::Increments increments;
    increments.counters = draft.dayAdded;
    increments.content = draft.dayContent;
    TodaysRow::addTo(batch, plan, QString(), increments);
    const int totalsStep = PlanTotals::addTo(batch, plan);
    const QList<qint64> keys = draft.targetKey ? QList<qint64>{*draft.targetKey} : QList<qint64>{};
    const QList<ChangeNotice> notices{{ChangeNotice::Table::Targets, QString(), keys},
                                      {ChangeNotice::Table::DailyRows, QString()},
                                      {ChangeNotice::Table::ExecutedPlans, QString()}};
    state.announceWithin(batch, notices, plan);

    const QList<WriteBatch::Rows> rows = state.store().runBatch(batch);
    Result result;
    result.planNo = draft.targetKey ? TextRules::trimmedText(rows[planStep].value(0).value(0)) : draft.newTargetPlan;
    result.targetKey = draft.targetKey ? *draft.targetKey : rows[keyStep].value(0).value(0).toLongLong();
    result.runningTotal = rows[totalsStep].value(0).value(0).toString().toLongLong();
    for (ChangeNotice notice : notices) {
        notice.planNo = result.planNo;
        if (notice.table == ChangeNotice::Table::Targets)
            notice.keys = {result.targetKey};
        state.announceHere(notice);
    }
    return result;
}

} // namespace ResponseRecording
