#pragma once

#include "BoundSql.h"
#include "FieldTest.h"

#include <QString>

// How the program's statements name things and test values. Statements are written once, in
// SQL both engines take; a value never becomes part of a statement's text, it is bound.
namespace SqlText {

// A table or field name quoted, every " doubled: any name, whatever it holds, stays one name
// and keeps its letter case on both engines.
QString quoteName(const QString& name);

// Conditions whose value is bound into `statement`: "field" = ?N, "field" LIKE ?N (anywhere).
QString equals(BoundSql& statement, const QString& field, const QVariant& value);
QString contains(BoundSql& statement, const QString& field, const QString& text);

// The tests joined by AND, each value bound into `statement`; empty when there is none.
QString condition(BoundSql& statement, const FieldTests& tests);

} // namespace SqlText
