#include "Transaction.h"

#include "Connection.h"
#include "DbError.h"
#include "Statement.h"

#include <sqlite3.h>

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
    // The outermost guard takes the write lock at once, so what it reads is what it
    // writes on: another writer (a second copy of the program) waits until it ends.
    if (connection_.transactionDepth_ == 0) {
        if (connection_.isReadOnly())
            throw DbError(Connection::readOnlyRefusal(), SQLITE_READONLY);
        run(connection_, QStringLiteral("BEGIN IMMEDIATE"));
        outermost_ = true;
    }
    try {
        run(connection_, QStringLiteral("SAVEPOINT ") + savepoint_);
    } catch (const DbError&) {
        if (outermost_)
            run(connection_, QStringLiteral("ROLLBACK"));
        throw;
    }
    ++connection_.transactionDepth_;
}

Transaction::~Transaction()
{
    if (!open_)
        return;
    try {
        if (outermost_) {
            run(connection_, QStringLiteral("ROLLBACK"));
        } else {
            run(connection_, QStringLiteral("ROLLBACK TO ") + savepoint_);
            run(connection_, QStringLiteral("RELEASE ") + savepoint_);
        }
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
    if (outermost_)
        run(connection_, QStringLiteral("COMMIT"));
    open_ = false;
    --connection_.transactionDepth_;
}
