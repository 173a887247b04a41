#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

// Runs the event loop for the benchmarks, sleeping while there is nothing to do, as the
// program's own loop does (a loop of processEvents() would keep the GUI thread busy itself).
class BenchLoop
{
public:
    // Until done() or the time-out; true when done() held.
    static bool waitFor(const std::function<bool()> &done, int timeoutMs = 600000)
    {
        QElapsedTimer timer;
        timer.start();
        if (done())
            return true;
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done() || timer.elapsed() >= timeoutMs)
                loop.quit();
        });
        poll.start(50);
        loop.exec();
        return done();
    }

    static void runFor(int ms)
    {
        waitFor([] { return false; }, ms);
    }

    // The value below which `share` (0 to 1) of the measured values lie; 0 for none.
    static double percentile(std::vector<qint64> values, double share)
    {
        if (values.empty())
            return 0.0;
        std::sort(values.begin(), values.end());
        return double(values[std::min(values.size() - 1, size_t(share * double(values.size())))]);
    }
};
