#pragma once

#include "core/BoundSql.h"

#include <QString>
#include <optional>

// The plan a write concerns, as the statements of the write name it: a plan number, or the plan
// of a target's row as it is stored when the write runs (a response counts on its target's plan,
// decided by the store at that moment, not by what a window showed).
class PlanReference {
public:
    static PlanReference number(const QString& planNo);
    static PlanReference ofTarget(qint64 targetKey);

    // The plan number as an SQL expression, its values bound into `statement`.
    QString in(BoundSql& statement) const;

private:
    QString planNo_;
    std::optional<qint64> targetKey_;
};
