#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>

// The fastest of `runs` runs of work, in milliseconds: the other runs are what
// the shared machine took away.
inline double bestOf(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}
