#include "FileFolders.h"

#include <QDir>
#include <QHash>
#include <QFileInfo>
#include <QStringList>

namespace FileFolders {

namespace {

// Kept while the program runs; nothing is stored, so each start begins without them.
QHash<QString, QString>& lastFolders()
{
    static QHash<QString, QString> folders;
    return folders;
}

} // namespace

QString kindOf(const QString& filter)
{
    QStringList extensions;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 1; i < parts.size(); i += 2) {
        for (const QString& pattern : parts[i].split(QLatin1Char(';'))) {
            const QString extension = pattern.trimmed().section(QLatin1Char('.'), 1).toLower();
            if (!extension.isEmpty() && extension != QLatin1String("*") && !extensions.contains(extension))
                extensions << extension;
        }
    }
    extensions.sort();
    return extensions.join(QLatin1Char('+'));
}

QString lastFolder(const QString& kind)
{
    const QString folder = lastFolders().value(kind);
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
}

void remember(const QString& kind, const QString& chosenPath)
{
    const QString folder = QFileInfo(chosenPath).absolutePath();
    if (!chosenPath.isEmpty())
        lastFolders().insert(kind, folder);
}

void forgetAll()
{
    lastFolders().clear();
}

} // namespace FileFolders
