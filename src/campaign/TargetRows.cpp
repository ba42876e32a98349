#include "TargetRows.h"

#include "ProgramState.h"
#include "core/Connection.h"
#include "core/Statement.h"
#include "core/Transaction.h"

namespace TargetRows {

int count(Connection& connection)
{
    Statement statement(connection, QStringLiteral("SELECT COUNT(*) FROM \"clientTableInfo\""));
    statement.step();
    return int(statement.int64At(0));
}

int deleteAll(ProgramState& state)
{
    Transaction transaction(state.store());
    const int deleted = state.store().execute(QStringLiteral("DELETE FROM \"clientTableInfo\""));
    transaction.commit();
    state.announce({ChangeNotice::Table::Targets, QString()});
    return deleted;
}

} // namespace TargetRows
