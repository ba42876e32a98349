#pragma once

#include "BoundSql.h"

#include <QString>

// Every text literal the program embeds in a statement goes through these helpers,
// so an apostrophe, a percent sign or a bracket in a plan number, a name or a
// search text is data and never SQL.
namespace SqlText {

// 'text' with every ' doubled.
QString quote(const QString& text);

// A table or field name in brackets, for names that hold blanks or symbols.
QString bracketName(const QString& name);

// A table or field name as SQLite quotes it: "name", every " doubled. Any name, whatever
// it holds, stays one name.
QString quoteName(const QString& name);

// Conditions whose value is bound into `statement` rather than written into the text: any text,
// a NUL or an apostrophe included, is data. They come back the SQLite way, for the statement's
// text or for a recordset's find or filter.
QString equals(BoundSql& statement, const QString& field, const QVariant& value);      // "field" = ?N
QString contains(BoundSql& statement, const QString& field, const QString& text);      // "field" like ?N, anywhere
// The same as a condition of its own, for a recordset's find or filter.
BoundSql equalsCondition(const QString& field, const QVariant& value);
BoundSql containsCondition(const QString& field, const QString& text);

} // namespace SqlText
