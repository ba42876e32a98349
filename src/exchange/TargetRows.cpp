#include "TargetRows.h"

#include "core/Connection.h"
#include "core/Statement.h"
#include "core/Transaction.h"

namespace TargetRows {

int count(Connection& connection)
{
    Statement statement(connection.handle(), QStringLiteral("SELECT COUNT(*) FROM clientTableInfo"));
    statement.step();
    return int(statement.int64At(0));
}

int deleteAll(Connection& connection)
{
    Transaction transaction(connection);
    const int deleted = connection.execute(QStringLiteral("Delete * From clientTableInfo"));
    transaction.commit();
    return deleted;
}

} // namespace TargetRows
