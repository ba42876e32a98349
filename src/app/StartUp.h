#pragma once

#include <QString>

class F5;

// How the program starts: the splash first; its click opens the main window over the
// database in the program's folder, or, when that cannot be opened, says why and ends.
namespace StartUp {

F5* showSplash(const QString& appPath);

} // namespace StartUp
