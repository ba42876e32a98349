#pragma once

#include <QString>

class Statement;

// Which targets an export copies out of the target table.
struct ExportRows {
    enum class Which {
        AllTargets,            // every target of every plan
        TargetsWithFeedback,   // every target with feedback (反馈合计 >= 1), of every plan
        PlanResponders,        // the targets with feedback of one plan
    };
    Which which = Which::AllTargets;
    QString planNo;   // the plan of PlanResponders

    static ExportRows allTargets(bool everyTarget);
    static ExportRows planResponders(const QString& planNo);

    // The query for the rows, in the order they were added, narrowed further by
    // `extraCondition` when one is given (its parameters are numbered from ?2 on);
    // bind() gives the query its own values.
    QString query(const QString& extraCondition = QString()) const;
    // The same rows' keys (rowid).
    QString keyQuery(const QString& extraCondition = QString()) const;
    QString countQuery() const;
    void bind(Statement& statement) const;
};
