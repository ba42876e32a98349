#pragma once

#include <QString>

class Connection;

// Writes that belong together: everything between the guard's start and commit() is
// stored as one, and rolled back when the guard goes out of scope without commit()
// (a failure or an exception). Guards nest; the outermost one holds the database's write
// lock from its start to its end.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Connection& connection_;
    QString savepoint_;
    bool open_ = true;
    bool outermost_ = false;
};
