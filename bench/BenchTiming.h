#pragma once

// How long a piece of work takes, for the benchmarks' figures.

#include <QElapsedTimer>

#include <functional>

inline double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}
