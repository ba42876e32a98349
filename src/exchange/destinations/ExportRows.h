#pragma once

#include <QString>
#include <QStringList>

struct FieldInfo;

class Statement;

// Which targets an export copies out of the target table, or the whole of another table (a table
// the program made for the export, such as a computed analysis in a database of its own).
struct ExportRows {
    enum class Which {
        AllTargets,            // every target of every plan
        TargetsWithFeedback,   // every target with feedback (反馈合计 >= 1), of every plan
        PlanResponders,        // the targets with feedback of one plan
        WholeTable,            // every row of `tableName`
    };
    Which which = Which::AllTargets;
    QString planNo;   // the plan of PlanResponders
    QString tableName;   // the table of WholeTable

    static ExportRows allTargets(bool everyTarget);
    static ExportRows planResponders(const QString& planNo);
    static ExportRows wholeTable(const QString& tableName);

    // The table the rows come from.
    QString table() const;

    // The query for the rows' `columns` (quoted names), in the order they were added,
    // narrowed further by `extraCondition` when one is given (its parameters are numbered
    // after the query's own, from parameterCount() + 1 on: a server refuses a gap);
    // bind() gives the query its own values. The columns are named rather than
    // taken with "*": a server's table has its hidden row key among them.
    QString query(const QStringList& columns, const QString& extraCondition = QString()) const;
    static QStringList quotedNames(const QList<FieldInfo>& fields);
    // The same rows' keys (rowid).
    QString keyQuery(const QString& extraCondition = QString()) const;
    QString countQuery() const;
    int parameterCount() const;
    void bind(Statement& statement) const;
};
