#pragma once

#include <QString>
#include <memory>
#include <optional>

class Connection;
class PlanReference;
class ProgramState;
class WriteBatch;

// A plan's total and response rate in its row of the executed plans (marketingComment), from the
// plan's daily rows as they are stored. The rule is one statement, run by every write that changes
// a plan's daily rows, on either engine:
// - 反馈合计: the running total of the plan's last daily row (0 without rows), as text;
// - 反馈率: the first four characters of the percentage total ÷ scale × 100 written out in
//   decimals (cut, not rounded; never an exponent), then "%"; "0" when the scale (规模（数量）,
//   a whole number) is 0 or not a whole number.
namespace PlanTotals {

struct Totals {
    qint64 total = 0;   // 反馈合计
    QString rate;       // 反馈率, as stored
};

// Adds the statement to a write's batch; its rows are the plan's 反馈合计 and 反馈率 as stored
// (none when the plan is not among the executed plans). Returns the step's number.
int addTo(WriteBatch& batch, const PlanReference& plan);

// Writes the plan's total and rate, in one transaction, and announces the change. Nothing is
// written when the plan has no daily row or is not among the executed plans (nullopt then).
// Throws DbError.
std::optional<Totals> store(ProgramState& state, const QString& planNo);

// The same inside the caller's transaction, without a notice; a plan without daily rows gets
// the total 0. Returns nullopt when the plan is not among the executed plans.
std::optional<Totals> write(const std::shared_ptr<Connection>& db, const QString& planNo);

} // namespace PlanTotals
