// quorvex-sensor at a venue's pace: the simulated analyzer at the link's rate (quorvex-sim, a
// process of its own, so that the sensor's processor time is its own), a real mosquitto on the
// loopback interface, and a viewer in this process. Reports
//   - the sensor's processor share (all its threads) while it scans and publishes live,
//   - the time from a sweep's arrival at the sensor (its time stamp) to its arrival at the
//     viewer: median and 99th percentile,
//   - the catch-up after the broker was away: the backlog, how long publishing it took, and
//     how many times faster than it was measured.
// Options: --seconds N (60: the live stretch), --outage-minutes M (10).

#include "MosquittoBroker.h"
#include "SensorProcess.h"
#include "SweepViewer.h"
#include "bench/BenchEnvironment.h"
#include "bench/BenchLoop.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// Processor time of a process, all its threads, ms.
double processCpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0.0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double tick = 1000.0 / double(sysconf(_SC_CLK_TCK));
    return fields.size() > 12 ? (fields.at(11).toDouble() + fields.at(12).toDouble()) * tick : 0.0;
}

bool waitFor(const std::function<bool()> &done, qint64 timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const BenchEnvironment environment;
    QCoreApplication app(argc, argv);
    BenchEnvironment::initApplication();
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"seconds", "Length of the live stretch.", "n", "60"});
    parser.addOption({"outage-minutes", "How long the broker is away.", "m", "10"});
    parser.process(app);
    const int seconds = std::max(5, parser.value("seconds").toInt());
    const double outageMinutes = std::max(0.1, parser.value("outage-minutes").toDouble());
    const QString sweepsTopic = QStringLiteral("quorvex/v1/bench/sweeps");

    MosquittoBroker broker;
    if (!broker.start()) {
        std::printf("mosquitto does not start\n");
        return 1;
    }
    // The simulated analyzer at the link's rate, in a process of its own.
    ChildProcess simulator;
    simulator.start(QStringLiteral(QUORVEX_SIM_PROGRAM), QStringList());
    if (!simulator.waitForReadyRead(10000)) {
        std::printf("quorvex-sim does not start\n");
        return 1;
    }
    const QString port = QString::fromUtf8(simulator.readLine()).trimmed();

    SweepViewer viewer;
    viewer.client().setPersistentSession(true);
    std::vector<qint64> latencies;
    QObject::connect(&viewer.client(), &MqttClient::messageReceived, &app,
                     [&](const QString &topic, const QByteArray &payload) {
                         if (topic != sweepsTopic || payload.size() < 24 + 8)
                             return;
                         const qint64 now = QDateTime::currentMSecsSinceEpoch();
                         const int count = int(SweepViewer::le(payload, 14, 2));
                         const int steps = int(SweepViewer::le(payload, 12, 2));
                         for (int i = 0; i < count; ++i)
                             latencies.push_back(
                                 now - qint64(SweepViewer::le(payload, 24 + i * (8 + steps), 8)));
                     });
    viewer.start(broker.port(), {sweepsTopic}, "bench-viewer");
    viewer.waitConnected();

    QTemporaryDir dir;
    SensorProcess sensor;
    sensor.start({"--id", "bench", "--broker",
                  QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()), "--data-dir",
                  dir.filePath("bench"), "--port", port});
    if (!waitFor([&] { return viewer.sweeps(sweepsTopic).size() >= 20; }, 60000)) {
        std::printf("no sweeps arrive:\n%s\n", qPrintable(sensor.log()));
        return 1;
    }

    // Live: processor share and latency.
    latencies.clear();
    const qint64 pid = sensor.processId();
    const int sweepsBefore = viewer.sweeps(sweepsTopic).size();
    const double cpuBefore = processCpuMs(pid);
    QElapsedTimer live;
    live.start();
    QTest::qWait(seconds * 1000);
    const double cpuMs = processCpuMs(pid) - cpuBefore;
    const double liveMs = double(live.elapsed());
    const int liveSweeps = viewer.sweeps(sweepsTopic).size() - sweepsBefore;
    std::printf("Live, %d s at the link's rate: %d sweeps (%.1f a second)\n", seconds, liveSweeps,
                liveSweeps * 1000.0 / liveMs);
    std::printf("  quorvex-sensor's processor share: %.2f %% of a core (goal: 5 %% at most)\n",
                cpuMs * 100.0 / liveMs);
    std::printf("  arrival at the sensor to arrival at the viewer: median %.0f ms, 99th percentile "
                "%.0f ms, most %.0f ms (%zu sweeps; goal: 250 ms)\n",
                BenchLoop::percentile(latencies, 0.5), BenchLoop::percentile(latencies, 0.99),
                BenchLoop::percentile(latencies, 1.0), latencies.size());

    // The broker away: the sweeps wait on disk, then go out.
    broker.stop();
    const qint64 outageMs = qint64(outageMinutes * 60000.0);
    std::printf("Broker away for %.1f minutes ...\n", outageMinutes);
    std::fflush(stdout);
    QTest::qWait(int(outageMs));
    const quint64 lastBefore = viewer.sweeps(sweepsTopic).lastKey();
    const double cpuAtReturn = processCpuMs(pid);
    QElapsedTimer catchUp;
    catchUp.start();
    broker.restart();
    // Caught up once the sweeps measured while it was away have all arrived.
    const qint64 returnedAt = QDateTime::currentMSecsSinceEpoch();
    waitFor(
        [&] {
            const auto sweeps = viewer.sweeps(sweepsTopic);
            return !sweeps.isEmpty() && sweeps.last().timestamp >= returnedAt;
        },
        3600000);
    const double catchUpMs = double(catchUp.elapsed());
    // The sensor's own account, from its reconnect to the broker's acknowledgement of the
    // backlog's last sweep (its event "Caught up ... in S s").
    waitFor([&] { return sensor.log().contains("Caught up"); }, 60000);
    const QRegularExpressionMatch caughtUp
        = QRegularExpression(QStringLiteral("Caught up after the broker was away: (\\d+) sweeps "
                                            "published in ([0-9.]+) s"))
              .match(sensor.log());
    const auto sweeps = viewer.sweeps(sweepsTopic);
    quint64 backlog = 0;
    for (auto it = sweeps.upperBound(lastBefore); it != sweeps.constEnd(); ++it)
        backlog += it.value().timestamp < returnedAt ? 1 : 0;
    std::printf("  backlog: %llu sweeps, all arrived %.1f s after the broker's return (the "
                "sensor's reconnect included): %.0f times faster than measured (goal: 20)\n",
                static_cast<unsigned long long>(backlog), catchUpMs / 1000.0,
                double(outageMs) / catchUpMs);
    std::printf("  the sensor's own account from its reconnect: %s sweeps published in %s s; its "
                "processor time meanwhile %.0f ms\n",
                qPrintable(caughtUp.captured(1)), qPrintable(caughtUp.captured(2)),
                processCpuMs(pid) - cpuAtReturn);
    std::printf("  every number once: %s (%d duplicates)\n",
                sweeps.lastKey() + 1 == quint64(sweeps.size()) ? "yes" : "NO", viewer.duplicates);
    sensor.stop();
    simulator.terminate();
    simulator.waitForFinished();
    return 0;
}
