#pragma once

#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <unistd.h>

// What the benchmarks read off their own process: processor time (all threads, or per thread
// name), resident memory and the heap in use.
class ProcessProbe
{
public:
    static double processCpuMs()
    {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
    }

    // The heap a live history takes per sweep it holds, as bench_window measures it: what the
    // heap holds beyond it belongs to something else.
    static constexpr double k_historyHeapPerSweep = 495.0;

    // Bytes the heap has handed out and not taken back.
    static qint64 heapInUse() { return qint64(mallinfo2().uordblks); }

    static qint64 residentBytes()
    {
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (!statm.open(QIODevice::ReadOnly))
            return 0;
        const QList<QByteArray> fields = statm.readAll().split(' ');
        return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
    }

    // Processor time of each thread, ms, by thread name (threads of one name summed).
    static QMap<QString, double> threadCpuMs()
    {
        QMap<QString, double> times;
        const double tick = 1000.0 / double(sysconf(_SC_CLK_TCK));
        const QStringList tasks
            = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &task : tasks) {
            QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
            QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(task));
            if (!comm.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
                continue;
            const QString name = QString::fromUtf8(comm.readAll().trimmed());
            const QByteArray line = stat.readAll();
            // The fields after the name in parentheses: utime and stime are the 12th and 13th.
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 12)
                times[name] += (fields.at(11).toDouble() + fields.at(12).toDouble()) * tick;
        }
        return times;
    }

    // Each thread's share of one core between two readings, those of 0.5 % and more.
    static void printThreadShares(const QMap<QString, double> &before,
                                  const QMap<QString, double> &after, double seconds)
    {
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            const double share = (it.value() - before.value(it.key())) / (seconds * 10.0);
            if (share >= 0.5)
                std::printf("    thread %-20s %6.1f %%\n", qPrintable(it.key()), share);
        }
    }
};
