#pragma once

#include <QElapsedTimer>
#include <functional>

// The seconds a piece of work takes, as every benchmark measures it.
inline double seconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}
