#include "Transaction.h"

#include "Connection.h"
#include "DbError.h"

Transaction::Transaction(Connection& connection, Lock lock)
    : connection_(connection), savepoint_(QStringLiteral("marquel_%1").arg(++connection.savepointCounter_))
{
    // The outermost guard takes the write lock at once, so what it reads is what it
    // writes on: another writer (a second copy, another seat) waits until it ends.
    // Only a guard inside another one needs a savepoint: the outermost one undoes everything.
    if (connection_.transactionDepth_ == 0) {
        lockLater_ = lock == Lock::Later;
        if (lockLater_)
            connection_.beginWriteUnlocked();
        else
            connection_.beginWrite();
        outermost_ = true;
    } else {
        connection_.runOne(QStringLiteral("SAVEPOINT ") + savepoint_);
    }
    ++connection_.transactionDepth_;
}

Transaction::~Transaction()
{
    if (!open_)
        return;
    try {
        if (outermost_) {
            connection_.rollbackWrite();
        } else {
            connection_.runOne(QStringLiteral("ROLLBACK TO ") + savepoint_);
            connection_.runOne(QStringLiteral("RELEASE ") + savepoint_);
        }
    } catch (const DbError&) {
        // Nothing more can be done in a destructor; the engine has already undone the work.
    }
    --connection_.transactionDepth_;
    connection_.noteWrite();
}

void Transaction::lock()
{
    if (open_ && lockLater_) {
        connection_.takeWriteLock();
        lockLater_ = false;
    }
}

void Transaction::commit()
{
    if (!open_)
        return;
    if (outermost_) {
        lock();   // nothing is stored without the lock
        connection_.commitWrite();
    } else {
        connection_.runOne(QStringLiteral("RELEASE ") + savepoint_);
    }
    open_ = false;
    --connection_.transactionDepth_;
}
