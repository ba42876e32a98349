#pragma once

#include <QByteArray>
#include <QString>

// Reading a file's bytes for the readers, with the reader's own messages on failure.
namespace SourceFileBytes {

// The file's first bytes (at most maxBytes); empty when it cannot be read.
QByteArray head(const QString& path, qint64 maxBytes);

// The whole file. Throws DbError (missing, cannot be opened).
QByteArray all(const QString& path);

} // namespace SourceFileBytes
