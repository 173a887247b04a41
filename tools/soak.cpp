// make soak: the whole window scanning the simulated analyzer at the link's rate for a set time
// while faults are injected on a schedule, each followed by what a user would do about it
// (Stop and Scan after a stall; Disconnect and Connect, or Connect after the error, otherwise).
// At the end it saves the page's recording and reads it back, and prints the sweeps received,
// the faults injected and recovered, memory and descriptors at the start and the end, and the
// sequences still alive. Exit status 0 when every fault was recovered, nothing leaked a
// descriptor or a sequence, and the recording read back equal.
//
// Options: --minutes N (10), --every S (30: seconds of clean scanning before each fault).

#include "app/MainWindow.h"
#include "app/ProjectInfoDialog.h"
#include "bench/BenchEnvironment.h"
#include "bench/BenchLoop.h"
#include "bench/ProcessProbe.h"
#include "comms/SequenceWorker.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_MainWindow.h"
#include "widgets/UserPrompts.h"
#include "wifi/NativeWifi.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

// Answers like a user at the bench: no to saving after Stop, the recording's path when asked
// for one, and every message noted.
class SoakPrompts : public UserPrompts
{
public:
    QStringList messages;
    QString savePath;

    void critical(QWidget *, const QString &, const QString &text) override { note(text); }
    void information(QWidget *, const QString &, const QString &text) override { note(text); }
    void warning(QWidget *, const QString &, const QString &text) override { note(text); }
    bool question(QWidget *, const QString &, const QString &) override { return false; }
    bool chooseItem(QWidget *, const QString &, const QString &, const QStringList &,
                    QString *) override
    {
        return false;
    }
    QUrl saveFileUrl(QWidget *, const QString &, const QString &, const QString &) override
    {
        return savePath.isEmpty() ? QUrl() : QUrl::fromLocalFile(savePath);
    }
    QUrl openFileUrl(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }

private:
    void note(const QString &text)
    {
        messages.append(text);
        std::printf("    message: %s\n", qPrintable(text));
    }
};

// The open descriptors and what each names.
QMap<QString, QString> openDescriptors()
{
    QMap<QString, QString> fds;
    const QDir dir(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : dir.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System))
        fds.insert(fd, QFile::symLinkTarget(dir.filePath(fd)));
    return fds;
}

// The process's threads by name, with how many of each.
QMap<QString, int> threadNames()
{
    QMap<QString, int> names;
    const QDir dir(QStringLiteral("/proc/self/task"));
    for (const QString &task : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(dir.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly))
            ++names[QString::fromUtf8(comm.readAll().trimmed())];
    }
    return names;
}

struct Fault
{
    const char *name;
    std::function<void(SimulatedAnalyzer &)> inject;
    std::function<void(SimulatedAnalyzer &)> clear;
    bool stall;
};

} // namespace

int main(int argc, char **argv)
{
    const BenchEnvironment environment;
    QApplication app(argc, argv);
    BenchEnvironment::initApplication();

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"minutes", "Length of the soak.", "n", "10"});
    parser.addOption({"every", "Seconds of clean scanning before each fault.", "s", "30"});
    parser.process(app);
    const qint64 totalMs = qint64(parser.value("minutes").toDouble() * 60000.0);
    const int everyMs = qMax(1, parser.value("every").toInt()) * 1000;

    SimulatedAnalyzerSettings settings;
    settings.throttle = true;
    settings.sweepTime2400Ms = 0;
    SimulatedAnalyzer sim(settings);
    if (!sim.start()) {
        std::fprintf(stderr, "No simulated analyzer: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    NativeWifi::setSimulatedAir(sim.air());

    auto *prompts = new SoakPrompts;
    MainWindow window;
    window.setUserPrompts(std::unique_ptr<UserPrompts>(prompts));
    window.resize(1600, 900);
    window.show();
    Ui::MainWindow *ui = window.getUi();
    DeviceComms *comms = window.deviceComms();
    TabPage *page = window.page(0);
    qint64 sweeps = 0;
    QObject::connect(comms, &DeviceComms::rfsaGetSpecNoInitDone, [&sweeps] { ++sweeps; });

    // A scan started by Connect or Scan: its project question is put away, and a few sweeps
    // show it runs.
    auto scanRuns = [&](int timeoutMs) {
        const bool scanning = BenchLoop::waitFor([&] { return comms->scanning(); }, timeoutMs);
        window.projectInfoDialog()->hide();
        const int before = page->history().samples.size();
        return scanning
            && BenchLoop::waitFor([&] { return page->history().samples.size() >= before + 3; },
                                  10000);
    };

    window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
    if (!scanRuns(20000)) {
        std::fprintf(stderr, "The window did not start scanning\n");
        return 1;
    }
    BenchLoop::runFor(2000);
    const qint64 residentStart = ProcessProbe::residentBytes();
    const qint64 heapStart = ProcessProbe::heapInUse();
    const QMap<QString, QString> fdsStart = openDescriptors();
    const QMap<QString, int> threadsStart = threadNames();
    const int heldStart = page->history().samples.size();
    // The heap the history does not explain, at the start and after each fault.
    auto heapBeyondHistory = [&] {
        return ProcessProbe::heapInUse()
            - (page->history().samples.size() - heldStart) * ProcessProbe::k_historyHeapPerSweep;
    };
    const double beyondStart = heapBeyondHistory();

    const QList<Fault> faults = {
        {"dropped acknowledgement", [](SimulatedAnalyzer &s) { s.dropAcknowledgements(1); },
         [](SimulatedAnalyzer &s) { s.dropAcknowledgements(0); }, false},
        {"CRC corruption", [](SimulatedAnalyzer &s) { s.setCorruptCrcEvery(40); },
         [](SimulatedAnalyzer &s) { s.setCorruptCrcEvery(0); }, false},
        {"garbage", [](SimulatedAnalyzer &s) { s.setGarbageEvery(60); },
         [](SimulatedAnalyzer &s) { s.setGarbageEvery(0); }, false},
        {"stall", [](SimulatedAnalyzer &s) { s.setStall(1, 7000); },
         [](SimulatedAnalyzer &s) { s.setStall(0, 0); }, true},
        {"hang-up and return", [](SimulatedAnalyzer &s) { s.hangUp(); },
         [](SimulatedAnalyzer &s) { s.plugIn(); }, false},
    };

    QElapsedTimer clock;
    clock.start();
    int injected = 0;
    int recovered = 0;
    std::printf("minute  fault                     messages  heap beyond history MB  recovered\n");
    while (clock.elapsed() + everyMs < totalMs) {
        BenchLoop::runFor(everyMs);
        const Fault &fault = faults.at(injected % faults.size());
        ++injected;
        const int messagesBefore = prompts->messages.size();
        fault.inject(sim);
        bool ok = false;
        const char *how = "";
        if (fault.stall) {
            // The stall shows in the status bar; the user stops and scans again.
            QTimer::singleShot(300, [&] { fault.clear(sim); });
            const bool shown = BenchLoop::waitFor(
                [&] { return window.statusBar()->currentMessage().startsWith("No data"); }, 7000);
            ui->actionStop->trigger();
            BenchLoop::waitFor([&] { return !comms->scanning() && !comms->busy(); }, 15000);
            BenchLoop::runFor(1000);
            ui->actionRecord->trigger();
            ok = shown && scanRuns(20000);
            if (shown && !ok && !comms->connected()) {
                // The set-up met the rest of the stalled sweep and gave up: connect again.
                BenchLoop::waitFor([&] { return !comms->busy(); }, 15000);
                ui->actionConnect->trigger();
                ok = scanRuns(20000);
                how = "after Connect";
            }
        } else {
            // The fault has its effect (an error and a disconnect, or a sweep lost), then is
            // gone; the user connects again.
            BenchLoop::runFor(3000);
            fault.clear(sim);
            if (comms->connected()) {
                if (comms->scanning())
                    ui->actionStop->trigger();
                BenchLoop::waitFor([&] { return !comms->scanning() && !comms->busy(); }, 15000);
                if (comms->connected())
                    ui->actionDisconnect->trigger();
            }
            BenchLoop::waitFor([&] { return !comms->connected() && !comms->busy(); }, 15000);
            BenchLoop::runFor(500);
            ui->actionConnect->trigger();
            ok = scanRuns(20000);
        }
        recovered += ok ? 1 : 0;
        std::printf("%6.1f  %-24s  %8lld  %22.2f  %s %s\n", clock.elapsed() / 60000.0, fault.name,
                    qint64(prompts->messages.size() - messagesBefore), heapBeyondHistory() / 1e6,
                    ok ? "yes" : "NO", how);
        std::fflush(stdout);
    }
    BenchLoop::runFor(qMax<qint64>(0, totalMs - clock.elapsed()));

    const qint64 residentEnd = ProcessProbe::residentBytes();
    const qint64 heapEnd = ProcessProbe::heapInUse();
    const QMap<QString, QString> fdsEnd = openDescriptors();
    const QMap<QString, int> threadsEnd = threadNames();
    const int held = page->history().samples.size();
    const double beyondEnd = heapBeyondHistory();

    // The page's recording, saved and read back.
    ui->actionStop->trigger();
    BenchLoop::waitFor([&] { return !comms->scanning() && !comms->busy(); }, 15000);
    const int liveAfterStop = SequenceWorker::liveCount();
    QTemporaryDir saveDir;
    prompts->savePath = saveDir.filePath(QStringLiteral("soak.tarn"));
    ui->actionSave->trigger();
    QFile saved(prompts->savePath);
    RfSpectrumHistory reread;
    RecordingFile::Integrity integrity = RecordingFile::Integrity::Damaged;
    const QString why = RecordingFile::load(saved, reread, nullptr, &integrity);
    const bool recordingEqual
        = why.isEmpty() && integrity == RecordingFile::Integrity::Whole && reread == page->hist();

    ui->actionDisconnect->trigger();
    BenchLoop::waitFor([&] { return !comms->connected() && !comms->busy(); }, 15000);
    comms->terminateCommsThread();
    const int liveAtEnd = SequenceWorker::liveCount();

    std::printf("\nsweeps received            %lld (%.1f/s)\n", sweeps,
                sweeps * 1000.0 / qMax<qint64>(1, clock.elapsed()));
    std::printf("faults injected            %d\n", injected);
    std::printf("faults recovered           %d\n", recovered);
    std::printf("resident memory            %.1f MB at start, %.1f MB at end\n",
                residentStart / 1e6, residentEnd / 1e6);
    std::printf("heap in use                %.2f MB at start, %.2f MB at end\n", heapStart / 1e6,
                heapEnd / 1e6);
    std::printf("sweeps held                %d after the first connect, %d at the end (a Scan "
                "starts the history afresh)\n",
                heldStart, held);
    std::printf("heap growth                %.0f bytes per 1000 sweeps held more; beyond the "
                "history's %.0f bytes a sweep: %.2f MB\n",
                held != heldStart ? (heapEnd - heapStart) * 1000.0 / (held - heldStart) : 0.0,
                ProcessProbe::k_historyHeapPerSweep, (beyondEnd - beyondStart) / 1e6);
    std::printf("open descriptors           %d after the first connect, %d at the end\n",
                int(fdsStart.size()), int(fdsEnd.size()));
    for (auto it = fdsEnd.cbegin(); it != fdsEnd.cend(); ++it) {
        if (fdsStart.value(it.key()) != it.value())
            std::printf("    now open: %s -> %s\n", qPrintable(it.key()), qPrintable(it.value()));
    }
    for (auto it = fdsStart.cbegin(); it != fdsStart.cend(); ++it) {
        if (!fdsEnd.contains(it.key()))
            std::printf("    closed:   %s -> %s\n", qPrintable(it.key()), qPrintable(it.value()));
    }
    for (auto it = threadsEnd.cbegin(); it != threadsEnd.cend(); ++it) {
        if (threadsStart.value(it.key()) != it.value())
            std::printf("    threads named %s: %d after the first connect, %d at the end\n",
                        qPrintable(it.key()), threadsStart.value(it.key()), it.value());
    }
    std::printf("live sequences             %d after the last Stop, %d at the end\n", liveAfterStop,
                liveAtEnd);
    std::printf("recording                  %d sweeps saved and read back: %s\n",
                reread.samples.size(), recordingEqual ? "equal" : qPrintable("NOT equal " + why));

    // Every thread with an event loop holds an event descriptor, and the framework's thread
    // pool starts and ends its threads as the rendering needs them: event descriptors may
    // differ by as many as the threads do, every other kind must be as many as before.
    const auto others = [](const QMap<QString, QString> &fds) {
        QStringList targets;
        for (const QString &target : fds) {
            if (!target.contains(QLatin1String("[eventfd]")))
                targets.append(target);
        }
        targets.sort();
        return targets;
    };
    const auto threadCount = [](const QMap<QString, int> &threads) {
        int count = 0;
        for (const int n : threads)
            count += n;
        return count;
    };
    // (Counted, not compared: the analyzer's pseudo-terminal may come back under another
    // number after its unplug.)
    const bool descriptorsKept = others(fdsStart).size() == others(fdsEnd).size()
        && fdsEnd.size() - others(fdsEnd).size() - (fdsStart.size() - others(fdsStart).size())
            == threadCount(threadsEnd) - threadCount(threadsStart);
    std::printf("descriptors kept           %s\n",
                descriptorsKept ? "yes (event descriptors follow the threads)" : "NO");
    const bool passed = recovered == injected && descriptorsKept && liveAfterStop == 0
        && liveAtEnd == 0 && recordingEqual;
    std::printf("%s\n", passed ? "Soak passed." : "Soak FAILED.");
    return passed ? 0 : 1;
}
