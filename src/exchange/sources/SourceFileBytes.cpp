#include "SourceFileBytes.h"

#include "SourceFileError.h"

#include <QFile>
#include <QFileInfo>

namespace SourceFileBytes {

QByteArray head(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxBytes);
}

QByteArray all(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw SourceFileError::missing(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SourceFileError::cannotOpen(path);
    return file.readAll();
}

} // namespace SourceFileBytes
