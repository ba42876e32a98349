#pragma once

#include <QString>

// Which database the program opens, and what it remembers of that choice for the next start.
// A database chosen with --database is remembered once it opened; the file beside the program
// is the one used when nothing else was ever chosen, and choosing it again forgets the other.
struct DatabaseChoice {
    enum class Memory { Keep, Remember, Forget };

    QString location;                // a file's absolute path, or a server's URI
    bool isProgramDatabase = true;   // the file beside the program
    Memory memory = Memory::Keep;

    // `given` is the --database argument (empty without it), `remembered` what the settings
    // hold, `programDatabase` the path of the file beside the program.
    static DatabaseChoice decide(const QString& given, const QString& remembered, const QString& programDatabase);

    // Whether `location` names the file beside the program (through any path to it).
    static bool isSameFile(const QString& location, const QString& programDatabase);
    // A server URI without its password (as user:password@ or as password=...): never stored,
    // never shown.
    static QString withoutPassword(const QString& location);

    // The settings (organisation and application "Marquel"): the only thing the program keeps.
    static QString rememberedLocation();
    // Once the database opened: remembers `openedLocation` (without any password) or forgets
    // the choice, as `memory` says.
    void keepInSettings(const QString& openedLocation) const;
};
