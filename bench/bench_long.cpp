// A show day: a 12-hour 2.4 GHz recording at the link's rate (941 760 sweeps a second 21.8
// apart, no access points), written sample by sample with the framework's data stream as an
// independent writer would, then:
//
// 1. quorvex-tarn info on it: time and the tool's peak resident memory;
// 2. the real window at 1600 x 900: Open to the first paint, the resident memory the
//    playback page grew by per sweep, the whole history on the time bar drawn, and jumps to
//    two-minute stretches drawn (median of 20);
// 3. a live 2.4 GHz page fed sweeps directly (no serial link) up to --live-sweeps (100 000):
//    the resident memory per held sweep, and the GUI time of one sweep with its two-minute
//    window drawn, early (a short history) and late (the long one);
// 4. the reading alone into a history, for comparison with the window's Open;
// 5. quorvex-tarn report (a site-survey PDF) of a two-minute recording and of the long one.
//
// Options: --hours N (12), --live-sweeps N (100000), --keep FILE (keep the recording there).

#include "BenchEnvironment.h"
#include "BenchLoop.h"
#include "ProcessProbe.h"
#include "SyntheticSweeps.h"
#include "app/MainWindow.h"
#include "app/ProjectInfoDialog.h"
#include "app/SilentPrompts.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "pages/TabPage2400.h"
#include "pages/TavTabWidget.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "ui_MainWindow.h"
#include "widgets/RangeSlider.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr qint64 k_start = 1765180800000; // 2025-12-08T08:00:00Z
constexpr double k_sweepMs = 1000.0 / 21.8;

// The layout of a recording, written field by field without the program's writer.
bool writeRecording(const QString &path, int sweeps)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_5_15);
    out << 2400.0 << 2500.0 << qint32(0) << -100.0 << -30.0 << qint32(0);
    out << qint32(sweeps);
    SyntheticSweeps generator(501, 12, k_start, 46);
    const QList<RfSpectrumSample> cycle = generator.take(4096);
    for (int i = 0; i < sweeps; ++i) {
        const RfSpectrumScan &scan = cycle.at(i % cycle.size()).scan;
        out << qint64(k_start + qint64(i * k_sweepMs)) << qint32(scan.size());
        out.writeRawData(reinterpret_cast<const char *>(scan.constData()), scan.size());
        out << qint32(0);
    }
    out << qint32(1);
    out << QDateTime::fromMSecsSinceEpoch(k_start + 3600000) << QStringLiteral("Doors open");
    out << qint32(0);
    for (int i = 0; i < 4; ++i)
        out << QString();
    return out.status() == QDataStream::Ok;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// A change, and the page's plot in view drawn at once (not at the next frame the page paces
// its redraws to), as a repaint of the window draws it.
double drawMs(QWidget &window, TabPage *page, const std::function<void()> &change)
{
    QElapsedTimer timer;
    timer.start();
    change();
    page->spectroPlot()->replot();
    page->waterfallPlot()->replot();
    window.repaint();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    const BenchEnvironment environment;
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int appArgc = 1;
    QApplication app(appArgc, argv);
    BenchEnvironment::initApplication();
    QFile style(QStringLiteral(":qdarkstyle/style.qss"));
    if (style.open(QIODevice::ReadOnly | QIODevice::Text))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"hours", "Length of the recording.", "h", "12"});
    parser.addOption({"live-sweeps", "Sweeps fed to the live page.", "n", "100000"});
    parser.addOption({"keep", "Keep the recording in this file.", "file"});
    parser.process(args);
    const int sweeps = int(parser.value("hours").toDouble() * 3600.0 * 21.8);
    const int liveSweeps = parser.value("live-sweeps").toInt();
    const QString path
        = parser.isSet("keep") ? parser.value("keep") : environment.filePath("show-day.tarn");

    std::printf("Writing a %s-hour 2.4 GHz recording, %d sweeps...\n",
                qPrintable(parser.value("hours")), sweeps);
    std::fflush(stdout);
    if (!writeRecording(path, sweeps)) {
        std::fprintf(stderr, "Cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("  %.0f MB\n", QFileInfo(path).size() / 1e6);

    // 1. quorvex-tarn info.
    {
        QElapsedTimer timer;
        timer.start();
        QProcess tarn;
        tarn.start(QStringLiteral(QUORVEX_TARN_BINARY), {QStringLiteral("info"), path});
        tarn.waitForFinished(600000);
        const double ms = timer.elapsed();
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        std::printf("\nquorvex-tarn info: %.0f ms (goal < 1000), peak resident %.1f MB, exit %d\n",
                    ms, usage.ru_maxrss / 1024.0, tarn.exitCode());
    }

    // 2. The recording in the window.
    MainWindow window;
    window.setUserPrompts(std::make_unique<SilentPrompts>());
    window.resize(1600, 900);
    window.show();
    BenchLoop::runFor(1500); // start-up: its Connect finds no analyzer
    window.projectInfoDialog()->hide();
    const qint64 rssBefore = ProcessProbe::residentBytes();
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!window.openFile(file)) {
        std::fprintf(stderr, "The window did not open the recording\n");
        return 1;
    }
    TabPage *page = window.page(window.tabWidget()->count() - 1);
    page->spectroPlot()->replot();
    window.repaint();
    const double openMs = timer.elapsed();
    const int held = page->history().samples.size();
    BenchLoop::runFor(500);
    const double grown = double(ProcessProbe::residentBytes() - rssBefore) / held;
    std::printf("\nOpen in the window (1600 x 900), %d sweeps:\n", held);
    std::printf("  open to the first paint:            %8.0f ms   (goal < 1500)\n", openMs);
    std::printf("  resident growth per held sweep:     %8.1f bytes   (goal <= 540)\n", grown);
    std::fflush(stdout);

    RangeSlider *bar = page->timeBar();
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> at(0, held - 2616);
    for (const char *view : {"spectrogram", "waterfall"}) {
        const double wholeMs = drawMs(window, page, [&] { page->setWholeHistory(true); });
        std::printf("  %-11s whole history drawn:   %8.0f ms   (goal < 300)\n", view, wholeMs);
        std::vector<double> jumps;
        for (int i = 0; i < 20; ++i) {
            const int first = at(rng);
            jumps.push_back(drawMs(window, page, [&] {
                page->setWholeHistory(false);
                bar->setLowerValue(first);
                bar->setUpperValue(first + 2616);
            }));
        }
        std::printf("  %-11s two-minute jump drawn: %8.1f ms   (median of 20; goal < 30)\n", view,
                    median(jumps));
        std::fflush(stdout);
        window.getUi()->actionToggle_View->trigger();
    }
    window.getUi()->actionToggle_View->trigger();

    // 3. A live page, fed directly.
    window.tabWidget()->setCurrentIndex(0);
    auto *live = static_cast<TabPage2400 *>(window.page(0));
    SyntheticSweeps live2400(501, 13, k_start, 46);
    const QList<RfSpectrumSample> cycle = live2400.take(4096);
    qint64 now = k_start;
    const auto feed = [&](int count) {
        for (int i = 0; i < count; ++i) {
            now += 46;
            live->onNewSpecScan(now, cycle.at(live->history().samples.size() % cycle.size()).scan);
        }
    };
    // The median of many sweeps: their data update alone, and with the window drawn.
    const auto sweepMs = [&](int samples, bool draw) {
        std::vector<double> times;
        for (int i = 0; i < samples; ++i) {
            if (draw) {
                times.push_back(drawMs(window, live, [&] { feed(1); }));
            } else {
                QElapsedTimer timer;
                timer.start();
                feed(1);
                times.push_back(timer.nsecsElapsed() / 1e6);
            }
        }
        return median(times);
    };
    feed(3000);
    const double earlyData = sweepMs(1000, false);
    const double early = sweepMs(500, true);
    const qint64 liveBefore = ProcessProbe::residentBytes();
    const int liveStart = live->history().samples.size();
    while (live->history().samples.size() < liveSweeps) {
        feed(2000);
        QCoreApplication::processEvents();
    }
    const double liveGrown = double(ProcessProbe::residentBytes() - liveBefore)
        / (live->history().samples.size() - liveStart);
    const double lateData = sweepMs(1000, false);
    const double late = sweepMs(500, true);
    std::printf("\nLive 2.4 GHz page, %d sweeps held:\n", int(live->history().samples.size()));
    std::printf("  resident growth per held sweep:     %8.1f bytes   (goal <= 540)\n", liveGrown);
    std::printf("  a sweep's data update:              %8.3f ms early, %.3f ms at %d sweeps\n",
                earlyData, lateData, int(live->history().samples.size()));
    std::printf("  a sweep with its window drawn:      %8.2f ms early, %.2f ms at %d sweeps\n",
                early, late, int(live->history().samples.size()));
    std::fflush(stdout);

    // 4. The reading alone, into the history.
    {
        QElapsedTimer timer;
        timer.start();
        RfSpectrumHistory read;
        QFile file(path);
        RecordingFile::load(file, read);
        std::printf("\nReading it into a history alone: %.0f ms\n", double(timer.elapsed()));
    }

    // 5. Reports.
    const QString twoMinutes = environment.filePath("two-minutes.tarn");
    writeRecording(twoMinutes, 2616);
    for (const QString &recording : {twoMinutes, path}) {
        QElapsedTimer timer;
        timer.start();
        QProcess tarn;
        tarn.start(QStringLiteral(QUORVEX_TARN_BINARY),
                   {QStringLiteral("report"), recording, QStringLiteral("-o"),
                    environment.filePath(QStringLiteral("report.pdf"))});
        tarn.waitForFinished(600000);
        std::printf("quorvex-tarn report, %s: %.0f ms (exit %d)\n",
                    recording == path ? "the long recording" : "two minutes",
                    double(timer.elapsed()), tarn.exitCode());
    }
    return 0;
}
