#include "DatabaseChoice.h"

#include "core/Connection.h"
#include "core/ServerAddress.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString SettingsKey = QStringLiteral("database");

QSettings programSettings()
{
    return QSettings(QStringLiteral("Marquel"), QStringLiteral("Marquel"));
}

QString absoluteFile(const QString& path)
{
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();   // empty while the file is missing
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}

} // namespace

bool DatabaseChoice::isSameFile(const QString& location, const QString& programDatabase)
{
    return !Connection::isServerLocation(location) && absoluteFile(location) == absoluteFile(programDatabase);
}

QString DatabaseChoice::withoutPassword(const QString& location)
{
    if (!Connection::isServerLocation(location))
        return location;
    return ServerAddress::withoutPassword(location);
}

DatabaseChoice DatabaseChoice::decide(const QString& given, const QString& remembered, const QString& programDatabase)
{
    DatabaseChoice choice;
    choice.location = programDatabase;
    if (!given.isEmpty()) {
        // A file named relative to where the program was started must open from anywhere later.
        choice.location = Connection::isServerLocation(given) ? given : absoluteFile(given);
        choice.isProgramDatabase = isSameFile(given, programDatabase);
        choice.memory = choice.isProgramDatabase ? Memory::Forget : Memory::Remember;
        if (choice.isProgramDatabase)
            choice.location = programDatabase;
    } else if (!remembered.isEmpty()) {
        choice.location = remembered;
        choice.isProgramDatabase = isSameFile(remembered, programDatabase);
    }
    return choice;
}

QString DatabaseChoice::rememberedLocation()
{
    return programSettings().value(SettingsKey).toString();
}

void DatabaseChoice::keepInSettings(const QString& openedLocation) const
{
    QSettings settings = programSettings();
    if (memory == Memory::Remember)
        settings.setValue(SettingsKey, withoutPassword(openedLocation));
    else if (memory == Memory::Forget)
        settings.remove(SettingsKey);
}
