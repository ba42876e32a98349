#pragma once

#include <QString>

// Where the program's default database lives. A program whose folder can be written (a build
// folder, a copy on a USB stick) keeps it beside itself, as it always did. An installed program
// (/usr/bin, with its delivered databases under /usr/share/marquel) gives every user a database of
// their own, $XDG_DATA_HOME/Marquel/Tembra_Estimation.db, made from the delivered one at the
// user's first start. The export database and the lock file go beside the default database.
class DatabaseLocation {
public:
    // `programFolder` is the folder the program runs from; `userDataHome` the user's data folder
    // ($XDG_DATA_HOME, ~/.local/share); both absolute.
    static DatabaseLocation decide(const QString& programFolder, const QString& userDataHome);
    // The same for this program and this user.
    static DatabaseLocation forThisProgram();

    // The folder of the default database, the export database and the lock file.
    QString folder() const { return folder_; }
    QString mainDatabase() const;
    bool isBesideProgram() const { return besideProgram_; }

    // Makes the user's folder and their databases when missing: the default one copied from the
    // delivered database (built from the schema where none was delivered), the export database
    // empty. Returns true when the default database was made now. Throws DbError, leaving no
    // half-made database, when the folder or the files cannot be written.
    bool prepare() const;

    // What the program says once, at the start that made the user's database.
    QString madeNotice() const;

private:
    QString folder_;
    QString delivered_;   // the delivered database to copy; may be missing
    bool besideProgram_ = true;
};
