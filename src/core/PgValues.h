#pragma once

#include <QByteArray>
#include <QVariant>
#include <optional>

struct pg_result;

// Values to and from a PostgreSQL server, which takes and gives every value as text.
namespace PgValues {

// A value as the server takes it as a parameter; nullopt for Null. Throws DbError for a text
// holding a NUL character, which a server text cannot hold.
std::optional<QByteArray> parameter(const QVariant& value);
// The server's type for a value bound as a parameter: numbers and dates say what they are, so a
// value stands anywhere (also where the statement alone would not tell its type); texts are left
// to the server (0), which reads them as the column they meet.
unsigned int typeOf(const QVariant& value);
// A text given as UTF-8, as the server takes it; throws DbError as above.
QByteArray textParameter(QByteArray utf8);

// The value of a row's column: Null, qint64, double, QString or QByteArray, by the column's type.
QVariant valueAt(const pg_result* rows, int row, int column);

// Whether valueAt gives the column's values as texts.
bool isTextColumn(const pg_result* rows, int column);

} // namespace PgValues
