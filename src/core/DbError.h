#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the record store: it carries the database's own description,
// in the program's language, ready to be shown to the user by a window handler.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& description)
        : std::runtime_error(description.toStdString()), description_(description) {}

    const QString& description() const { return description_; }

private:
    QString description_;
};
