#pragma once

#include <QSettings>
#include <QString>

// Where the program keeps what it remembers between runs (window places, the folders
// last used): the user's settings of organisation "Marquel", application "Marquel".
namespace ProgramSettings {

inline QString organisation() { return QStringLiteral("Marquel"); }
inline QString application() { return QStringLiteral("Marquel"); }

} // namespace ProgramSettings

// The program's settings, opened where they are used (QSettings shares one cache).
class MarquelSettings : public QSettings {
public:
    MarquelSettings() : QSettings(ProgramSettings::organisation(), ProgramSettings::application()) {}
};
