#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

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

// The fastest run of each piece of work, the pieces taking turns for `rounds`
// rounds: a spell in which the machine is slow then falls on all of them
// alike instead of on the whole of one, whose ratio to the others it would skew.
inline std::vector<double> bestOfEach(int rounds, const std::vector<std::function<void()>> &works)
{
    std::vector<double> best(works.size(), 1e300);
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < works.size(); ++i)
            best[i] = std::min(best[i], bestOf(1, works[i]));
    return best;
}
