// The debug console open during a long scan at the link's rate (115200 baud, sweep time 0):
// thousands of frame lines a minute. Every minute it prints the process's resident memory, the
// lines the console holds, the sweeps per second and the event loop's worst lateness (a
// 20 ms timer's delay: how long the GUI can be kept from answering the user).
//
// Options: --minutes N (10), --screenshot FILE (the console beside the window, at the end).

#include "BenchEnvironment.h"
#include "BenchLoop.h"
#include "ProcessProbe.h"
#include "app/MainWindow.h"
#include "app/ProjectInfoDialog.h"
#include "app/SilentPrompts.h"
#include "pages/TabPage.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_DebugWindow.h"
#include "ui_MainWindow.h"
#include "widgets/AppStyle.h"
#include "widgets/DebugWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QPainter>
#include <cstdio>

int main(int argc, char **argv)
{
    const BenchEnvironment environment;
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int appArgc = 1;
    QApplication app(appArgc, argv);
    BenchEnvironment::initApplication();
    AppStyle::apply(app);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"minutes", "Length of the scan.", "n", "10"});
    parser.addOption({"screenshot", "Picture of the console beside the window.", "file"});
    parser.process(args);
    const int minutes = parser.value("minutes").toInt();

    SimulatedAnalyzerSettings settings;
    settings.throttle = true;
    settings.sweepTime2400Ms = 0;
    SimulatedAnalyzer sim(settings);
    if (!sim.start())
        return 1;
    MainWindow window;
    window.setUserPrompts(std::make_unique<SilentPrompts>());
    window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
    window.setGeometry(0, 0, 1100, 700);
    window.show();
    window.parseArgs({"quorvex", "-debug"}, nullptr);
    DebugWindow *console = window.debugWindow();
    BenchLoop::waitFor([&] { return window.deviceComms()->scanning(); }, 20000);
    if (!window.deviceComms()->scanning()) {
        std::fprintf(stderr, "The window did not start scanning\n");
        return 1;
    }
    window.projectInfoDialog()->hide();

    // The event loop's lateness: a 20 ms timer that notes how late it fires.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 worstLateMs = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { worstLateMs = qMax(worstLateMs, sinceTick.restart() - 20); });
    tick.start(20);

    TabPage *page = window.page(0);
    // The heap beside the resident memory: the page's history grows by every sweep, so the
    // console's share is what the heap holds beyond it.
    const qint64 heapStart = ProcessProbe::heapInUse();
    const int heldStart = page->history().samples.size();
    std::printf("minute  resident MB  heap MB  heap beyond history MB  console lines  sweeps/s  "
                "GUI thread %%  worst lateness ms\n");
    for (int minute = 1; minute <= minutes; ++minute) {
        const int sweepsBefore = page->history().samples.size();
        const QMap<QString, double> threadsBefore = ProcessProbe::threadCpuMs();
        worstLateMs = 0;
        BenchLoop::runFor(60000);
        const QMap<QString, double> threads = ProcessProbe::threadCpuMs();
        const QString gui = QFileInfo(QCoreApplication::applicationFilePath()).fileName().left(15);
        const qint64 heap = ProcessProbe::heapInUse();
        const double historyBytes
            = (page->history().samples.size() - heldStart) * ProcessProbe::k_historyHeapPerSweep;
        std::printf("%6d  %11.1f  %7.1f  %22.1f  %13d  %8.1f  %12.1f  %17lld\n", minute,
                    ProcessProbe::residentBytes() / 1e6, heap / 1e6,
                    (heap - heapStart - historyBytes) / 1e6,
                    console->getUi()->logText->document()->blockCount(),
                    (page->history().samples.size() - sweepsBefore) / 60.0,
                    (threads.value(gui) - threadsBefore.value(gui)) / 600.0, worstLateMs);
        std::fflush(stdout);
    }

    if (parser.isSet("screenshot")) {
        // Both windows as they stand on the screen, side by side.
        const QPixmap main = window.grab();
        const QPixmap side = console->grab();
        QPixmap both(console->x() + side.width(), qMax(main.height(), side.height()));
        both.fill(Qt::black);
        QPainter painter(&both);
        painter.drawPixmap(0, 0, main);
        painter.drawPixmap(console->x(), 0, side);
        painter.end();
        both.save(parser.value("screenshot"));
    }
    window.getUi()->actionStop->trigger();
    BenchLoop::waitFor([&] { return !window.deviceComms()->scanning(); }, 5000);
    window.deviceComms()->terminateCommsThread();
    return 0;
}
