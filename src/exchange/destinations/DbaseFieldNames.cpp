#include "DbaseFieldNames.h"

#include "DbaseText.h"

#include <QSet>

namespace DbaseFieldNames {

QByteArray encode(const QString& text)
{
    return DbaseText::encode(text).bytes;
}

namespace {

// The longest start of `name`, in whole characters, that takes at most `limit` bytes.
QByteArray cutTo(const QString& name, int limit)
{
    QByteArray kept;
    for (int i = 0; i < name.size();) {
        const int length = name[i].isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QByteArray bytes = encode(name.mid(i, length));
        if (kept.size() + bytes.size() > limit)
            break;
        kept += bytes;
        i += length;
    }
    return kept;
}

QByteArray key(const QByteArray& name)
{
    return name.toUpper();
}

} // namespace

QList<QByteArray> fitted(const QStringList& names)
{
    QList<QByteArray> result;
    QSet<QByteArray> taken;
    for (const QString& name : names) {
        QByteArray candidate = cutTo(name, MaxBytes);
        for (int n = 2; taken.contains(key(candidate)) || candidate.isEmpty(); ++n) {
            const QByteArray suffix = "~" + QByteArray::number(n);
            candidate = cutTo(name, MaxBytes - int(suffix.size())) + suffix;
        }
        taken.insert(key(candidate));
        result.append(candidate);
    }
    return result;
}

} // namespace DbaseFieldNames
