#include "Transaction.h"

#include "Connection.h"
#include "DbError.h"
#include "Statement.h"

namespace {

void run(Connection& connection, const QString& sql)
{
    Statement statement(connection.handle(), sql);
    statement.step();
}

} // namespace

Transaction::Transaction(Connection& connection)
    : connection_(connection), savepoint_(QStringLiteral("marquel_%1").arg(++connection.savepointCounter_))
{
    run(connection_, QStringLiteral("SAVEPOINT ") + savepoint_);
    ++connection_.transactionDepth_;
}

Transaction::~Transaction()
{
    if (!open_)
        return;
    try {
        run(connection_, QStringLiteral("ROLLBACK TO ") + savepoint_);
        run(connection_, QStringLiteral("RELEASE ") + savepoint_);
    } catch (const DbError&) {
        // Nothing more can be done in a destructor; SQLite has already undone the work.
    }
    --connection_.transactionDepth_;
    connection_.noteWrite();
}

void Transaction::commit()
{
    if (!open_)
        return;
    run(connection_, QStringLiteral("RELEASE ") + savepoint_);
    open_ = false;
    --connection_.transactionDepth_;
}
