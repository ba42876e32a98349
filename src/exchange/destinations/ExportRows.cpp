#include "ExportRows.h"

#include "core/FieldInfo.h"
#include "core/SqlText.h"
#include "core/Statement.h"

namespace {

const QString TargetTable = QStringLiteral("clientTableInfo");

QString selection(ExportRows::Which which)
{
    switch (which) {
    case ExportRows::Which::AllTargets:
    case ExportRows::Which::WholeTable:
        return QString();
    case ExportRows::Which::TargetsWithFeedback:
        return QStringLiteral("\"反馈合计\" >= 1");
    case ExportRows::Which::PlanResponders:
        return QStringLiteral("\"序号\" = ?1 AND \"反馈合计\" >= 1");
    }
    return QString();
}

QString condition(ExportRows::Which which, const QString& extraCondition)
{
    QString conditions = selection(which);
    if (!extraCondition.isEmpty())
        conditions += (conditions.isEmpty() ? QString() : QStringLiteral(" AND ")) + extraCondition;
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions;
}

} // namespace

ExportRows ExportRows::allTargets(bool everyTarget)
{
    return {everyTarget ? Which::AllTargets : Which::TargetsWithFeedback, QString()};
}

ExportRows ExportRows::planResponders(const QString& planNo)
{
    return {Which::PlanResponders, planNo};
}

ExportRows ExportRows::wholeTable(const QString& tableName)
{
    return {Which::WholeTable, QString(), tableName};
}

QString ExportRows::table() const
{
    return which == Which::WholeTable ? tableName : TargetTable;
}

QString ExportRows::query(const QStringList& columns, const QString& extraCondition) const
{
    return QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
        + SqlText::quoteName(table()) + condition(which, extraCondition) + QStringLiteral(" ORDER BY rowid");
}

QStringList ExportRows::quotedNames(const QList<FieldInfo>& fields)
{
    QStringList names;
    for (const FieldInfo& field : fields)
        names << SqlText::quoteName(field.name);
    return names;
}

QString ExportRows::keyQuery(const QString& extraCondition) const
{
    return QStringLiteral("SELECT rowid FROM ") + SqlText::quoteName(table()) + condition(which, extraCondition)
        + QStringLiteral(" ORDER BY rowid");
}

QString ExportRows::countQuery() const
{
    return QStringLiteral("SELECT count(*) FROM ") + SqlText::quoteName(table()) + condition(which, QString());
}

int ExportRows::parameterCount() const
{
    return which == Which::PlanResponders ? 1 : 0;
}

void ExportRows::bind(Statement& statement) const
{
    if (which == Which::PlanResponders)
        statement.bind(1, planNo);
}
