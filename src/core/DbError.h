#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the record store: it carries the database's own description,
// in the program's language, ready to be shown to the user by a window handler.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& description, int engineCode = 0)
        : std::runtime_error(description.toStdString()), description_(description), engineCode_(engineCode) {}

    const QString& description() const { return description_; }
    // What kind of failure the engine reported, as SQLite's primary result code (SQLITE_BUSY,
    // SQLITE_READONLY, SQLITE_FULL, SQLITE_CONSTRAINT, SQLITE_MISMATCH …) on every engine; 0 otherwise.
    int engineCode() const { return engineCode_; }

private:
    QString description_;
    int engineCode_ = 0;
};
