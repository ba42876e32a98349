#pragma once

#include <QString>
#include <memory>
#include <optional>

class Connection;
class ProgramState;

// A plan's total and response rate in its row of the executed plans (marketingComment),
// from the plan's daily rows as they are stored.
namespace PlanTotals {

struct Totals {
    qint64 total = 0;   // 反馈合计: the running total of the plan's last daily row
    QString rate;       // 反馈率, as stored
};

// Writes the plan's total and rate, in one transaction, and announces the change. Nothing is
// written when the plan has no daily row or is not among the executed plans (nullopt then).
// Throws DbError.
std::optional<Totals> store(ProgramState& state, const QString& planNo);

// The same inside the caller's transaction, without a notice; a plan without daily rows gets
// the total 0. Returns nullopt when the plan is not among the executed plans.
std::optional<Totals> write(const std::shared_ptr<Connection>& db, const QString& planNo);

} // namespace PlanTotals
