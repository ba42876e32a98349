#include "TargetTable.h"

#include "core/Connection.h"
#include "core/SqlText.h"
#include "core/Transaction.h"

namespace TargetTable {

QString targetsWithFeedbackOf(const QString& planNo)
{
    return TargetsWithFeedback + QStringLiteral(" And ") + SqlText::equals(QStringLiteral("序号"), planNo);
}

QString deleteTargetsOf(const QString& planNo)
{
    return QStringLiteral("Delete * From clientTableInfo Where ") + SqlText::equals(QStringLiteral("序号"), planNo);
}

std::optional<QString> searchFilter(const QString& fieldName, const QString& answer)
{
    if (fieldName == QStringLiteral("序号"))
        return SqlText::equals(fieldName, answer);
    if (fieldName == QStringLiteral("营销对象"))
        return SqlText::contains(fieldName, answer);
    return std::nullopt;
}

int deleteTargets(Connection& connection, const QString& deleteStatement)
{
    Transaction transaction(connection);
    const int deleted = connection.execute(deleteStatement);
    transaction.commit();
    return deleted;
}

} // namespace TargetTable
