#pragma once

#include <QString>

// What went wrong in the record store, in the few kinds the program tells apart; a file and a
// server report the same kinds, so no caller needs to know which engine it talks to.
enum class StoreFailure {
    Other,           // a statement the store cannot run, a missing table or field, a wrong argument
    Busy,            // another program or seat holds the database for now: try again later
    ReadOnly,        // the file or the server takes no changes
    NoRight,         // the server's user lacks a right its administrator can grant
    RowChanged,      // the row was deleted or changed by another seat since it was read
    ValueRefused,    // a value the database does not take: a rule, a type, a NUL character, too long
    ConnectionLost,  // the server went away in the middle; nothing of that operation was saved
    DiskFull,
    DiskError,       // the disk failed or the file reached the largest size the system allows
    Damaged,         // not a database the program can read, or a damaged one
    CannotOpen,
};

namespace StoreFailures {

// The message a user reads for each kind, with the engine's own words (if any) after it in
// brackets: the one place these texts are written.
QString message(StoreFailure kind, const QString& detail = QString());

} // namespace StoreFailures
