#pragma once

#include <QSettings>
#include <QString>

// What the program remembers between runs (window places, the folders last used): the
// user's settings of organisation "Marquel", application "Marquel". Opened where they are
// used; QSettings shares one cache among them.
class MarquelSettings : public QSettings {
public:
    MarquelSettings() : QSettings(QStringLiteral("Marquel"), QStringLiteral("Marquel")) {}
};
