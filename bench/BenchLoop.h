#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

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
};
