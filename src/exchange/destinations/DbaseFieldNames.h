#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// Field names of a dBase table: at most 10 bytes in the file's code page (GBK), unique
// without regard to letter case. A name that fits is kept as it is. A longer one is cut
// after its last whole character within 10 bytes; when that cut name is taken already,
// it is cut shorter and "~2", "~3", ... is added, the first free one.
namespace DbaseFieldNames {

constexpr int MaxBytes = 10;

// The names in GBK bytes, in the order given.
QList<QByteArray> fitted(const QStringList& names);

// A name in the file's code page, GBK; a character GBK does not have becomes "?".
QByteArray encode(const QString& text);

} // namespace DbaseFieldNames
