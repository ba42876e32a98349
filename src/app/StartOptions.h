#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the program: start on a database, print the usage or the
// version, or copy one database into another; or a mistake, to be told with the usage.
struct StartOptions {
    enum class Action { Run, Help, Version, CopyDatabase, BadUsage };

    Action action = Action::Run;
    QString database;    // --database: the file or server to open; empty for the usual one
    QString copyFrom;    // --copy-database <from> <to>
    QString copyTo;
    QString mistake;     // for BadUsage: what is wrong, in the user's language

    // `arguments` as the program got them, its own name first. Qt's options (-platform,
    // -style, ...) are let through for QApplication.
    static StartOptions parse(const QStringList& arguments);

    // Overwrites the program's own arguments where an address holds a password, with the
    // address without it, so that `ps` does not show the password while the program runs.
    // Called once the arguments are read.
    static void hidePasswords(int argc, char** argv);

    static QString usage();
    // The usage's last line: where the default database is for this program and user.
    static QString defaultDatabaseLine(const QString& path);
    static QString versionText();
};
