#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// A condition a window hands to the store for a search or a filter: a field, how it is tested,
// and the value. The store writes the SQL and binds the value, so whatever the user typed (an
// apostrophe, a percent sign, a NUL) is data and never part of a statement.
struct FieldTest {
    enum class Kind {
        Equals,     // the field's value is the value (texts compare without regard to letter case)
        Contains,   // the field's text holds the value's text anywhere
    };
    QString field;
    Kind kind = Kind::Equals;
    QVariant value;

    static FieldTest equals(const QString& field, const QVariant& value) { return {field, Kind::Equals, value}; }
    static FieldTest contains(const QString& field, const QString& text) { return {field, Kind::Contains, text}; }
    bool operator==(const FieldTest& other) const
    {
        return field == other.field && kind == other.kind && value == other.value;
    }
};

// Tests that must all hold. None: every row.
using FieldTests = QList<FieldTest>;
