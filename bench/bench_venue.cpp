// The window at a venue: N sensors (quorvex-sensor with the simulated analyzer at the link's
// rate, each a process of its own) publish to a real mosquitto on the loopback interface; the
// window in this process shows a page per sensor and the venue page of their band in front.
// Reports, over the measured stretch:
//   - the window's processor share (all its threads) and its GUI thread's,
//   - the time from a sweep's measurement (its time stamp) to the venue page drawn with it:
//     median and 99th percentile of the newest sweep of each source at each drawing,
//   - the heap the window took per sweep it came to hold, beside a single live page's figure.
// The sensors' own processor time is theirs, not the window's.
// Options: --sensors N (16), --seconds S (60), --warm-up S (15).

#include "BenchEnvironment.h"
#include "BenchLoop.h"
#include "MosquittoBroker.h"
#include "ProcessProbe.h"
#include "SensorProcess.h"
#include "app/MainWindow.h"
#include "app/SilentPrompts.h"
#include "app/VenuePages.h"
#include "app/VenueSources.h"
#include "pages/TabPage.h"
#include "pages/VenuePage.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <qwt_plot.h>
#include <vector>

namespace {

// At each drawing of the venue page: how old each source's newest sweep is, once per sweep.
class DrawingAges : public QObject
{
public:
    explicit DrawingAges(VenueSources *venue)
        : m_venue(venue)
    { }

    std::vector<qint64> ages;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            for (TabPage *page : m_venue->pages()) {
                const SampleStore &samples = page->history().samples;
                if (samples.isEmpty())
                    continue;
                const qint64 newest = samples.timestamp(samples.size() - 1);
                if (m_seen.value(page) != newest) {
                    m_seen.insert(page, newest);
                    ages.push_back(now - newest);
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    VenueSources *const m_venue;
    QHash<TabPage *, qint64> m_seen;
};

int heldSweeps(VenueSources *venue)
{
    int held = 0;
    for (TabPage *page : venue->pages())
        held += page->history().samples.size();
    return held;
}

} // namespace

int main(int argc, char **argv)
{
    const BenchEnvironment environment;
    QApplication app(argc, argv);
    BenchEnvironment::initApplication();
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"sensors", "How many sensors.", "n", "16"});
    parser.addOption({"seconds", "Length of the measured stretch.", "s", "60"});
    parser.addOption({"warm-up", "Time before it, for every page to fill.", "s", "15"});
    parser.process(app);
    const int count = std::max(1, parser.value("sensors").toInt());
    const int seconds = std::max(5, parser.value("seconds").toInt());
    const int warmUp = std::max(0, parser.value("warm-up").toInt());

    MosquittoBroker broker;
    if (!broker.start()) {
        std::printf("mosquitto does not start\n");
        return 1;
    }
    const QString url = QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port());
    QTemporaryDir dir;
    std::vector<std::unique_ptr<SensorProcess>> sensors;
    for (int i = 0; i < count; ++i) {
        auto sensor = std::make_unique<SensorProcess>();
        const QString id = QStringLiteral("s%1").arg(i + 1);
        if (!sensor->start({"--id", id, "--name", QStringLiteral("Position %1").arg(i + 1),
                            "--broker", url, "--data-dir", dir.filePath(id), "--sim",
                            QStringLiteral("--seed %1").arg(i + 1)})) {
            std::printf("quorvex-sensor does not start\n");
            return 1;
        }
        sensors.push_back(std::move(sensor));
    }
    for (const auto &sensor : sensors) {
        if (!sensor->waitForLog("scanning 2400 MHz", 60000)) {
            std::printf("a sensor does not scan:\n%s\n", qPrintable(sensor->log()));
            return 1;
        }
    }

    MainWindow window;
    window.setUserPrompts(std::make_unique<SilentPrompts>());
    // No analyzer of its own: the window is the venue's.
    window.deviceComms()->setPortSource([] { return DeviceComms::PortList(); });
    window.resize(1600, 900);
    window.show();
    window.parseArgs({"quorvex", "-venue", url}, nullptr);
    VenueSources *venue = window.venueSources();
    if (!BenchLoop::waitFor([&] { return venue->pages().size() >= count; }, 60000)) {
        std::printf("only %d of %d sensors have a page\n", int(venue->pages().size()), count);
        return 1;
    }
    VenuePage *page = window.venuePages()->show(2400);
    DrawingAges drawing(venue);
    page->tracePlot()->canvas()->installEventFilter(&drawing);
    BenchLoop::runFor(warmUp * 1000);

    drawing.ages.clear();
    const int heldBefore = heldSweeps(venue);
    const qint64 heapBefore = ProcessProbe::heapInUse();
    const double cpuBefore = ProcessProbe::processCpuMs();
    const QMap<QString, double> threadsBefore = ProcessProbe::threadCpuMs();
    QElapsedTimer measured;
    measured.start();
    BenchLoop::runFor(seconds * 1000);
    const double wallMs = double(measured.elapsed());
    const double cpuMs = ProcessProbe::processCpuMs() - cpuBefore;
    const QMap<QString, double> threadsAfter = ProcessProbe::threadCpuMs();
    const int added = heldSweeps(venue) - heldBefore;
    const qint64 heap = ProcessProbe::heapInUse() - heapBefore;

    // The GUI thread carries the program's name.
    const QString gui = QCoreApplication::applicationFilePath().section('/', -1).left(15);
    std::printf("%d sensors, %d s after %d s of warm-up: %d sweeps arrived (%.1f a second per "
                "sensor)\n",
                count, seconds, warmUp, added, added * 1000.0 / wallMs / count);
    std::printf("  the window's processor share: %.1f %% of a core (goal: 100 %% at most)\n",
                cpuMs * 100.0 / wallMs);
    for (auto it = threadsAfter.cbegin(); it != threadsAfter.cend(); ++it) {
        const double share = (it.value() - threadsBefore.value(it.key())) * 100.0 / wallMs;
        if (share >= 0.5 || it.key() == gui)
            std::printf("    thread %-16s %5.1f %%%s\n", qPrintable(it.key()), share,
                        it.key() == gui ? " (the GUI thread; goal: under 25 %)" : "");
    }
    std::printf("  measured to drawn on the venue page: median %.0f ms, 99th percentile %.0f ms, "
                "most %.0f ms (%zu sweeps; goal: 250 ms)\n",
                BenchLoop::percentile(drawing.ages, 0.5), BenchLoop::percentile(drawing.ages, 0.99),
                BenchLoop::percentile(drawing.ages, 1.0), drawing.ages.size());
    std::printf("  heap taken per sweep held: %.0f bytes (a single live page: %.0f)\n",
                added > 0 ? double(heap) / added : 0.0, ProcessProbe::k_historyHeapPerSweep);
    for (const auto &sensor : sensors)
        sensor->stop();
    return 0;
}
