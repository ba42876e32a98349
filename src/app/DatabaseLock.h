#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Keeps other copies of the program away from a database file while this one uses it: a lock
// file beside the database. The lock of a copy that crashed is taken over.
class DatabaseLock {
public:
    // Throws DbError when another copy holds the database or no lock can be made.
    explicit DatabaseLock(const QString& databasePath);
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

private:
    std::unique_ptr<QLockFile> lock_;
};
