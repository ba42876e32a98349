#include "StatementLog.h"

#include <atomic>

namespace StatementLog {

namespace {
std::atomic<Recorder> recorder{nullptr};
}

void setRecorder(Recorder newRecorder)
{
    recorder = newRecorder;
}

void note(bool onServer, const QString& statement)
{
    if (const Recorder record = recorder.load())
        record(onServer, statement);
}

} // namespace StatementLog
