#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Runs a library's reading of a file in a child process. A damaged file can make such a
// library loop for hours or crash; in a child it can do neither to the program: a child that
// dies, or sends nothing for a long time, ends the read with "file damaged".
//
// The child hands its results back as frames (a kind letter and bytes) through a pipe.
namespace IsolatedRun {

// What the child's work writes its frames to.
using SendFrame = std::function<void(char kind, const QByteArray& payload)>;
// What the parent does with each frame; answers false to stop the child (a cancel).
using TakeFrame = std::function<bool(char kind, const QByteArray& payload)>;

// Runs work(send) in a child process and hands every frame to take. A DbError thrown by the
// work reaches the caller with its message. Returns false when take stopped the run.
// Throws DbError naming path when the child could not run, died or stalled.
bool run(const QString& path, const std::function<void(const SendFrame& send)>& work, const TakeFrame& take);

// How long a child may send nothing before it is given up (20 seconds unless set).
void setStallLimit(qint64 milliseconds);

} // namespace IsolatedRun
