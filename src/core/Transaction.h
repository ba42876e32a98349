#pragma once

#include <QString>

class Connection;

// Writes that belong together: everything between the guard's start and commit() is
// stored as one, and rolled back when the guard goes out of scope without commit()
// (a failure or an exception). Guards nest; the outermost one holds the database's write
// lock from its start to its end.
class Transaction {
public:
    // When the outermost guard takes the write lock: at its start, or only when lock() is
    // called, so that loading many rows no other writer depends on makes no one wait. A file
    // takes it at the start all the same. What the guard read before lock() may have changed.
    enum class Lock { AtStart, Later };
    explicit Transaction(Connection& connection, Lock lock = Lock::AtStart);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    // Takes the write lock of an outermost guard begun with Lock::Later; does nothing otherwise.
    void lock();

private:
    Connection& connection_;
    QString savepoint_;
    bool open_ = true;
    bool outermost_ = false;
    bool lockLater_ = false;
};
