#pragma once

#include <QString>

// Every statement text the program prepares passes here, with the engine it goes to. Nothing
// listens in the program itself; the tests listen, to try each statement on the other engine too.
namespace StatementLog {

using Recorder = void (*)(bool onServer, const QString& statement);

// Called from any thread that prepares statements; nullptr stops the recording.
void setRecorder(Recorder recorder);
void note(bool onServer, const QString& statement);

} // namespace StatementLog
