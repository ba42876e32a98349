#pragma once

#include <QString>

// The folder last used for each kind of file while the program runs, so a file dialog
// opens where the user last found or wrote a file of that kind. The kind is told by the
// dialog's filter: the extensions it names ("所有文件|*.*|dbf文件|*.dbf" → "dbf").
namespace FileFolders {

QString kindOf(const QString& filter);

// The folder last used for that kind, when it still exists; "" otherwise.
QString lastFolder(const QString& kind);

// Remembers the folder of `chosenPath` for that kind.
void remember(const QString& kind, const QString& chosenPath);

// Forgets every folder (a test starts as a new run does).
void forgetAll();

} // namespace FileFolders
