#include "PlanTotals.h"

#include "FeedbackRules.h"
#include "PlanRows.h"
#include "ProgramState.h"
#include "TodaysRow.h"
#include "core/Recordset.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

namespace PlanTotals {

namespace {

std::optional<Totals> writeTotal(const std::shared_ptr<Connection>& db, const QString& planNo, qint64 total)
{
    Recordset plans(db, PlanRows::executedPlanStatement(planNo));
    if (plans.recordCount() == 0)
        return std::nullopt;
    const QString scale = TextRules::trimmedText(plans.value(QStringLiteral("规模（数量）")));
    const Totals totals{total, FeedbackRules::responseRateText(total, scale)};
    plans.setValue(QStringLiteral("反馈合计"), QString::number(totals.total));
    plans.setValue(QStringLiteral("反馈率"), totals.rate);
    plans.update();
    return totals;
}

} // namespace

std::optional<Totals> store(ProgramState& state, const QString& planNo)
{
    Transaction transaction(state.store());
    const std::optional<qint64> total = TodaysRow::planTotal(state.connection(), planNo);
    if (!total)
        return std::nullopt;
    const std::optional<Totals> totals = writeTotal(state.connection(), planNo, *total);
    transaction.commit();
    if (totals)
        state.announce({ChangeNotice::Table::ExecutedPlans, planNo});
    return totals;
}

std::optional<Totals> write(const std::shared_ptr<Connection>& db, const QString& planNo)
{
    return writeTotal(db, planNo, TodaysRow::planTotal(db, planNo).value_or(0));
}

} // namespace PlanTotals
