#pragma once

#include "DatabaseChoice.h"

#include <QString>

class F5;

// How the program starts: the splash first; its click opens the main window over the chosen
// database (the one in the program's folder unless another was chosen), or, when that cannot
// be opened, says why and ends. A chosen database is remembered once it opened.
namespace StartUp {

// `dataFolder` holds the default database and the export database; `notice`, when given, is said
// once the main window is open (where a database made at this start is).
F5* showSplash(const QString& dataFolder, const DatabaseChoice& choice = {}, const QString& notice = {});

// Whether the program could not start (its database missing, unreadable or in use): it
// then ends with a status other than 0.
bool startFailed();

} // namespace StartUp
