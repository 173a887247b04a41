// The real main window end to end: the live 2.4 GHz page in front at 1600 x 900, fed by the
// simulated analyzer on a pseudo-terminal through the real serial port and communication
// thread.
//
// 1. Throttling off, sweep time 0: the program's own pipeline sets the pace. Once the
//    two-minute window is full it reports the sweeps per second sustained and the GUI thread's
//    time per sweep (delivery of the sweep: history and data update of both plots; window
//    repaints: rendering), and over at least 10000 held sweeps the resident memory per sweep.
//    Then it writes screenshots of the spectrogram and the waterfall.
//    The scan's journal: the GUI thread's time per sweep for it (queueing the sweep for the
//    journal's own thread, timed over the sweeps held) and the bytes per sweep on disk.
// 2. Throttling on (the link's 115200 baud), sweep time 0: the process's processor share with
//    the window full.
//
// Options: --fill-seconds N (how long the window takes to fill, 120 by default),
// --measure-seconds N (30), --held-sweeps N (10000), --screenshots DIR (the working folder).

#include "BenchEnvironment.h"
#include "BenchLoop.h"
#include "ProcessProbe.h"
#include "app/MainWindow.h"
#include "app/ProjectInfoDialog.h"
#include "app/SilentPrompts.h"
#include "data/Constants.h"
#include "data/HistoryJournal.h"
#include "networks/VexaIdPanel.h"
#include "networks/VexaIdTableView.h"
#include "pages/TabPage.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_MainWindow.h"
#include "widgets/AppStyle.h"
#include "wifi/NativeWifi.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMap>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <unistd.h>

namespace {

// Times the GUI thread's work by what it delivers: a sweep handed over by the communication
// thread (a queued call to the session controller, which routes it to the page) and a repaint
// of the main window (the plots' rendering).
class BenchApp : public QApplication
{
public:
    using QApplication::QApplication;

    QObject *comms = nullptr;
    QWidget *window = nullptr;
    qint64 sweepNs = 0;
    qint64 paintNs = 0;
    int sweepEvents = 0;
    int paints = 0;

    void resetCounters()
    {
        sweepNs = paintNs = 0;
        sweepEvents = paints = 0;
    }

    bool notify(QObject *receiver, QEvent *event) override
    {
        const bool sweep = receiver == comms && event->type() == QEvent::MetaCall;
        const bool paint = receiver == window && event->type() == QEvent::UpdateRequest;
        if (!sweep && !paint)
            return QApplication::notify(receiver, event);
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        if (sweep) {
            sweepNs += timer.nsecsElapsed();
            ++sweepEvents;
        } else {
            paintNs += timer.nsecsElapsed();
            ++paints;
        }
        return result;
    }
};

bool windowFull(const TabPage *page)
{
    return page->firstVisibleIndex() > 0;
}

bool waitForScan(MainWindow &window)
{
    BenchLoop::waitFor([&] { return window.deviceComms()->scanning(); }, 20000);
    return window.deviceComms()->scanning();
}

void selectVexaId(MainWindow &window, int id)
{
    VexaIdPanel *panel = window.getUi()->dockWidgetContentsVexaIds;
    QAbstractItemModel *model = panel->tableView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            if (index.data().toInt() == id)
                panel->tableView()->selectionModel()->select(index, QItemSelectionModel::Select);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    const BenchEnvironment environment;
    // The window reads the application's arguments at start-up; it gets the program name
    // only, and the benchmark's options are read from the real command line.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int appArgc = 1;
    BenchApp app(appArgc, argv);
    BenchEnvironment::initApplication();
    AppStyle::apply(app);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"fill-seconds", "Time the window takes to fill.", "s", "120"});
    parser.addOption({"measure-seconds", "Measuring time of each figure.", "s", "30"});
    parser.addOption({"held-sweeps", "Sweeps over which memory growth is measured.", "n", "10000"});
    parser.addOption({"screenshots", "Folder of the screenshots.", "dir", QDir::currentPath()});
    parser.process(args);
    const int fillMs = parser.value("fill-seconds").toInt() * 1000;
    const int measureMs = parser.value("measure-seconds").toInt() * 1000;
    const int heldSweeps = parser.value("held-sweeps").toInt();
    const QString shots = parser.value("screenshots");

    SimulatedAnalyzerSettings fast;
    fast.throttle = false;
    fast.sweepTime2400Ms = 0;
    fast.sweepTime900Ms = 0;
    SimulatedAnalyzer fastSim(fast);
    NativeWifi::setSimulatedAir(fastSim.air());

    if (!fastSim.start()) {
        std::fprintf(stderr, "No simulated analyzer: %s\n", qPrintable(fastSim.errorString()));
        return 1;
    }
    MainWindow window;
    window.setUserPrompts(std::make_unique<SilentPrompts>());
    // Before the start-up runs, so its Connect takes this port.
    window.parseArgs({"quorvex", "-port", fastSim.portName()}, nullptr);
    window.resize(1600, 900);
    window.show();
    app.comms = window.deviceComms();
    app.window = &window;
    if (!waitForScan(window)) {
        std::fprintf(stderr, "The window did not start scanning the simulated analyzer\n");
        return 1;
    }
    window.projectInfoDialog()->hide();
    TabPage *page = window.page(0);

    // Memory per held sweep from the first thousand sweeps on, so start-up allocations and the
    // first raster sizes are behind.
    BenchLoop::waitFor([&] { return page->history().samples.size() >= 1000; });
    const qint64 rssStart = ProcessProbe::residentBytes();
    const qint64 heapStart = ProcessProbe::heapInUse();
    const int heldStart = page->history().samples.size();

    std::printf("Filling the two-minute window (throttling off, sweep time 0)...\n");
    std::fflush(stdout);
    QElapsedTimer fill;
    fill.start();
    BenchLoop::waitFor([&] { return windowFull(page) || fill.elapsed() > fillMs + 60000; });

    app.resetCounters();
    const int sweepsBefore = page->history().samples.size();
    const double cpuBefore = ProcessProbe::processCpuMs();
    const QMap<QString, double> threadsBefore = ProcessProbe::threadCpuMs();
    QElapsedTimer measure;
    measure.start();
    BenchLoop::runFor(measureMs);
    const double seconds = measure.elapsed() / 1000.0;
    const int sweeps = page->history().samples.size() - sweepsBefore;
    const double cpuShare = (ProcessProbe::processCpuMs() - cpuBefore) / (seconds * 1000.0);
    std::printf("\nPipeline pace, window full (%d sweeps in view):\n",
                int(page->history().samples.size() - page->firstVisibleIndex()));
    std::printf("  sweeps per second sustained:        %8.1f   (goal >= 44)\n", sweeps / seconds);
    std::printf("  GUI per sweep, history + data:      %8.2f ms\n",
                app.sweepEvents ? app.sweepNs / 1e6 / app.sweepEvents : 0.0);
    std::printf("  GUI per sweep, rendering:           %8.2f ms   (%d repaints, %.1f per second, "
                "%.2f ms each)\n",
                sweeps ? app.paintNs / 1e6 / sweeps : 0.0, app.paints, app.paints / seconds,
                app.paints ? app.paintNs / 1e6 / app.paints : 0.0);
    std::printf("  GUI thread busy:                    %8.1f %%\n",
                100.0 * (app.sweepNs + app.paintNs) / 1e9 / seconds);
    std::printf("  process CPU share:                  %8.1f %% of one core\n", 100.0 * cpuShare);
    ProcessProbe::printThreadShares(threadsBefore, ProcessProbe::threadCpuMs(), seconds);

    BenchLoop::waitFor([&] { return page->history().samples.size() >= heldStart + heldSweeps; });
    const int held = page->history().samples.size() - heldStart;
    const double perSweep = double(ProcessProbe::residentBytes() - rssStart) / held;
    std::printf("  memory per held sweep:              %8.0f bytes resident, %.0f bytes of heap, "
                "over %d sweeps   (goal <= 600)\n",
                perSweep, double(ProcessProbe::heapInUse() - heapStart) / held, held);

    // The journal: a second one, fed the sweeps the page holds as the page feeds its own,
    // times the queueing; the page's own tells the bytes on disk.
    {
        const SampleStore &held = page->history().samples;
        // The sweeps as the page receives them: records of their own.
        const int count = std::min(held.size(), 20000);
        const QList<RfSpectrumSample> samples = held.toList(held.size() - count);
        QTemporaryDir folder;
        HistoryJournal probe(folder.path());
        RfSpectrumHistory start;
        start.freqInterval = page->history().freqInterval;
        start.rssiInterval = page->history().rssiInterval;
        start.samples.append(samples.first());
        probe.begin(start, MainWindow::k_appVersion);
        QElapsedTimer queueing;
        queueing.start();
        for (const RfSpectrumSample &sample : samples)
            probe.appendSample(sample);
        const double msPerSweep = queueing.nsecsElapsed() / 1e6 / count;
        probe.flush();
        page->journal()->flush();
        const qint64 journalBytes = QFileInfo(page->journal()->path()).size();
        std::printf("  journal, GUI per sweep:             %8.4f ms   (goal <= 0.05, over %d "
                    "sweeps)\n",
                    msPerSweep, count);
        std::printf("  journal on disk per sweep:          %8.1f bytes   (%lld bytes, %d sweeps)\n",
                    double(journalBytes) / held.size(), journalBytes, held.size());
    }
    std::fflush(stdout);

    // Screenshots: Wi-Fi outlines and a VEXA ID on the spectrogram, then the waterfall.
    Ui::MainWindow *ui = window.getUi();
    ui->actionVarsa_VexaIds->setChecked(true);
    selectVexaId(window, 24120);
    BenchLoop::runFor(4500); // a Wi-Fi scan reaches the newest sample
    window.grab().save(shots + "/window-spectrogram-2400.png");
    ui->actionToggle_View->trigger();
    BenchLoop::runFor(500);
    window.grab().save(shots + "/window-waterfall-2400.png");
    ui->actionToggle_View->trigger();
    page->takeSnapshot().save(shots + "/snapshot-spectrogram-2400.png");
    std::printf("  screenshots in %s\n", qPrintable(shots));

    // The link's own rate.
    ui->actionStop->trigger();
    BenchLoop::waitFor([&] { return !window.deviceComms()->scanning(); }, 5000);
    ui->actionDisconnect->trigger();
    BenchLoop::waitFor([&] { return !window.deviceComms()->connected(); }, 5000);
    fastSim.stop();
    SimulatedAnalyzerSettings linkRate;
    linkRate.throttle = true;
    linkRate.sweepTime2400Ms = 0;
    linkRate.sweepTime900Ms = 0;
    SimulatedAnalyzer slowSim(linkRate);
    if (!slowSim.start()) {
        std::fprintf(stderr, "No simulated analyzer: %s\n", qPrintable(slowSim.errorString()));
        return 1;
    }
    window.parseArgs({"quorvex", "-port", slowSim.portName()}, nullptr);
    ui->actionConnect->trigger();
    if (!waitForScan(window)) {
        std::fprintf(stderr, "The window did not scan the throttled simulated analyzer\n");
        return 1;
    }
    std::printf("\nFilling the window at the link's rate (throttling on, sweep time 0)...\n");
    std::fflush(stdout);
    fill.restart();
    BenchLoop::waitFor([&] { return windowFull(page) || fill.elapsed() > fillMs + 60000; });
    app.resetCounters();
    const int linkBefore = page->history().samples.size();
    const double linkCpuBefore = ProcessProbe::processCpuMs();
    const QMap<QString, double> linkThreadsBefore = ProcessProbe::threadCpuMs();
    measure.restart();
    BenchLoop::runFor(measureMs);
    const double linkSeconds = measure.elapsed() / 1000.0;
    const int linkSweeps = page->history().samples.size() - linkBefore;
    std::printf("  sweeps per second:                  %8.1f\n", linkSweeps / linkSeconds);
    std::printf("  process CPU share:                  %8.1f %% of one core   (goal <= 50)\n",
                100.0 * (ProcessProbe::processCpuMs() - linkCpuBefore) / (linkSeconds * 1000.0));
    ProcessProbe::printThreadShares(linkThreadsBefore, ProcessProbe::threadCpuMs(), linkSeconds);
    std::printf("  GUI per sweep, history + data:      %8.2f ms, rendering %.2f ms\n",
                app.sweepEvents ? app.sweepNs / 1e6 / app.sweepEvents : 0.0,
                linkSweeps ? app.paintNs / 1e6 / linkSweeps : 0.0);
    std::fflush(stdout);

    // The session ends before the simulator does, as when the user quits.
    ui->actionStop->trigger();
    BenchLoop::waitFor([&] { return !window.deviceComms()->scanning(); }, 5000);
    window.deviceComms()->terminateCommsThread();
    NativeWifi::clearSimulatedAir();
    return 0;
}
