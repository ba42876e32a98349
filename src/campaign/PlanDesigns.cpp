#include "PlanDesigns.h"

#include "PlanRows.h"
#include "ProgramState.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

#include <utility>

namespace PlanDesigns {

namespace {

// The fields of the plan table in the order the editor shows them.
const std::pair<const char*, QString PlanDesign::*> Fields[] = {
    {"序号", &PlanDesign::planNo},
    {"题目", &PlanDesign::title},
    {"时间周期", &PlanDesign::period},
    {"地区", &PlanDesign::region},
    {"方式", &PlanDesign::method},
    {"营销对象描述", &PlanDesign::targetDescription},
    {"规模（数量）", &PlanDesign::scale},
    {"预计反馈数", &PlanDesign::expectedResponses},
    {"费用", &PlanDesign::cost},
    {"内容", &PlanDesign::content},
};

PlanDesign trimmed(const PlanDesign& plan)
{
    PlanDesign result;
    for (const auto& [name, member] : Fields)
        result.*member = TextRules::trimBlanks(plan.*member);
    return result;
}

bool isWholeNumber(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Refuses what would break the plan's rows. `key` is the row being edited (-1 for a new plan),
// which may keep its own number.
void check(ProgramState& state, qint64 key, const PlanDesign& plan)
{
    if (plan.planNo.isEmpty())
        throw DbError(QStringLiteral("序号不能为空：每个计划都要有自己的序号。"));
    // An empty scale is a plan whose number of targets is not known yet.
    if (!plan.scale.isEmpty() && !isWholeNumber(plan.scale))
        throw DbError(QStringLiteral("规模（数量）“%1”不是整数：请填写目标的数量，例如 300。").arg(plan.scale));
    // The store compares the numbers as it compares every text (letter case aside).
    BoundSql sameNumber;
    sameNumber.text = QStringLiteral("Select * From \"planTable\" Where ") + SqlText::equals(sameNumber, QStringLiteral("序号"), plan.planNo);
    Recordset same(state.connection(), sameNumber);
    bool keepsItsNumber = false;
    for (same.moveFirst(); !same.isEOF(); same.moveNext()) {
        if (same.bookmark() == key) {
            keepsItsNumber = true;
            continue;
        }
        throw DbError(QStringLiteral("序号“%1”已有另一个计划使用：请换一个序号。")
                          .arg(TextRules::trimmedText(same.value(QStringLiteral("序号")))));
    }
    // A new number that an executed plan already holds belongs to that plan's rows: this
    // plan could never be executed under it.
    if (!keepsItsNumber) {
        Recordset executed(state.connection(), PlanRows::executedPlanStatement(plan.planNo));
        if (executed.recordCount() > 0)
            throw DbError(QStringLiteral("序号“%1”已是一个已执行计划的序号：请换一个序号。")
                              .arg(TextRules::trimmedText(executed.value(QStringLiteral("序号")))));
    }
}

void write(Recordset& row, const PlanDesign& plan)
{
    for (const auto& [name, member] : Fields)
        row.setValue(QString::fromUtf8(name), plan.*member);
    row.update();
}

void moveToPlan(Recordset& plans, qint64 key)
{
    try {
        plans.setBookmark(key);
    } catch (const DbError&) {
        throw DbError(QStringLiteral("这个计划已被删除，修改未能保存。"), StoreFailure::RowChanged);
    }
}

} // namespace

QString allPlansStatement()
{
    return QStringLiteral("Select * From \"planTable\"");
}

qint64 add(ProgramState& state, const PlanDesign& typed)
{
    const PlanDesign plan = trimmed(typed);
    Transaction transaction(state.store());
    check(state, -1, plan);
    Recordset plans(state.connection(), allPlansStatement());
    plans.addNew();
    write(plans, plan);
    const qint64 key = plans.bookmark();
    transaction.commit();
    state.announce({ChangeNotice::Table::PlanDesigns, plan.planNo, {key}});
    return key;
}

void edit(ProgramState& state, qint64 key, const PlanDesign& typed)
{
    const PlanDesign plan = trimmed(typed);
    Transaction transaction(state.store());
    Recordset plans(state.connection(), allPlansStatement());
    moveToPlan(plans, key);
    check(state, key, plan);
    write(plans, plan);
    transaction.commit();
    state.announce({ChangeNotice::Table::PlanDesigns, plan.planNo, {key}});
}

bool remove(ProgramState& state, qint64 key)
{
    Transaction transaction(state.store());
    Recordset plans(state.connection(), allPlansStatement());
    try {
        plans.setBookmark(key);
    } catch (const DbError&) {
        return false;
    }
    const QString planNo = TextRules::trimmedText(plans.value(QStringLiteral("序号")));
    plans.deleteCurrent();
    transaction.commit();
    state.announce({ChangeNotice::Table::PlanDesigns, planNo, {key}});
    return true;
}

PlanDesign fromRow(const Recordset& row)
{
    PlanDesign plan;
    if (!row.hasCurrentRow())
        return plan;
    for (const auto& [name, member] : Fields)
        plan.*member = TextRules::trimmedText(row.value(QString::fromUtf8(name)));
    return plan;
}

} // namespace PlanDesigns
