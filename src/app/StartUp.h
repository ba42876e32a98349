#pragma once

#include <QString>

class F5;

// How the program starts: the splash first; its click opens the main window over the
// database in the program's folder, or, when that cannot be opened, says why and ends.
namespace StartUp {

F5* showSplash(const QString& appPath);

// Whether the program could not start (its database missing, unreadable or in use): it
// then ends with a status other than 0.
bool startFailed();

} // namespace StartUp
