#pragma once

#include "StoreFailure.h"

#include <QString>
#include <stdexcept>

// The one error type of the record store: it carries the database's own description,
// in the program's language, ready to be shown to the user by a window handler, and the kind
// of failure, the same on a file and on a server.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& description, StoreFailure kind = StoreFailure::Other)
        : std::runtime_error(description.toStdString()), description_(description), kind_(kind) {}

    // A failure of `kind` told in the kind's own words, the engine's after them in brackets.
    static DbError of(StoreFailure kind, const QString& detail = QString())
    {
        return DbError(StoreFailures::message(kind, detail), kind);
    }

    const QString& description() const { return description_; }
    StoreFailure kind() const { return kind_; }

private:
    QString description_;
    StoreFailure kind_ = StoreFailure::Other;
};
