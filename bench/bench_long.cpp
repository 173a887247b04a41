// A show day: a 12-hour 2.4 GHz recording at the link's rate (941 760 sweeps a second 21.8
// apart, no access points, and now and then a carrier over the quiet top of the band for a
// minute or so), written sample by sample with the framework's data stream as an independent
// writer would, then:
//
// 0. the file's bytes read once from the cache (`cat FILE > /dev/null`, median of three): the
//    yardstick of the readings below, each also given as a multiple of it;
// 1. quorvex-tarn info on it: time (median of three) and the tool's peak resident memory;
// 2. the real window at 1600 x 900: Open to the first paint, the resident memory the
//    playback page grew by per sweep, the whole history on the time bar drawn, and jumps to
//    two-minute stretches drawn (median of 20);
// 3. a live 2.4 GHz page fed sweeps directly (no serial link) up to --live-sweeps (100 000):
//    the resident memory per held sweep, and the GUI time of one sweep with its two-minute
//    window drawn, early (a short history) and late (the long one);
// 4. the reading alone into a history, for comparison with the window's Open;
// 5. the events of the recording: the search alone, Find Events in the window's events panel,
//    and quorvex-tarn events; and the GUI time the watch takes of a live sweep.
// 6. quorvex-tarn report (a site-survey PDF) of a two-minute recording and of the long one.
//
// Options: --hours N (12), --live-sweeps N (100000), --keep FILE (keep the recording there),
// --shot FILE (a picture of the window with the events found, the first one chosen).

#include "BenchEnvironment.h"
#include "BenchLoop.h"
#include "ProcessProbe.h"
#include "SyntheticSweeps.h"
#include "app/EventsPanel.h"
#include "app/MainWindow.h"
#include "app/ProjectInfoDialog.h"
#include "app/ShowWatch.h"
#include "app/SilentPrompts.h"
#include "app/WatchPanel.h"
#include "data/EventFinder.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "pages/TabPage2400.h"
#include "pages/TavTabWidget.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "ui_MainWindow.h"
#include "widgets/AppStyle.h"
#include "widgets/RangeSlider.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDataStream>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr qint64 k_start = 1765180800000; // 2025-12-08T08:00:00Z
constexpr double k_sweepMs = 1000.0 / 21.8;

// A carrier of the show day: sweeps [from, to) over frequency steps first ... last.
struct Carrier
{
    int from;
    int to;
    int first;
    int last;
    qint8 level;
};

// Every 47 minutes from the first half hour on, a carrier over part of 2476-2498 MHz (quiet in
// the synthetic site) for 20 to 90 seconds.
std::vector<Carrier> carriers(int sweeps)
{
    std::vector<Carrier> result;
    std::mt19937 rng(23);
    for (double minute = 30.0;; minute += 47.0) {
        const int from = int(minute * 60000.0 / k_sweepMs);
        const int length = int((20.0 + std::uniform_real_distribution<double>(0.0, 70.0)(rng))
                               * 1000.0 / k_sweepMs);
        if (from + length >= sweeps)
            break;
        const int first = 380 + int(rng() % 80);
        const int last = first + 10 + int(rng() % 20);
        result.push_back(
            {from, from + length, first, qMin(last, 490), qint8(-65 + int(rng() % 12))});
    }
    return result;
}

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
    const std::vector<Carrier> shown = carriers(sweeps);
    auto next = shown.begin();
    for (int i = 0; i < sweeps; ++i) {
        RfSpectrumScan scan = cycle.at(i % cycle.size()).scan;
        if (next != shown.end() && i >= next->to)
            ++next;
        if (next != shown.end() && i >= next->from) {
            for (int j = next->first; j <= next->last; ++j)
                scan[j] = qMax(scan[j], next->level);
        }
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
    AppStyle::apply(app);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"hours", "Length of the recording.", "h", "12"});
    parser.addOption({"live-sweeps", "Sweeps fed to the live page.", "n", "100000"});
    parser.addOption({"keep", "Keep the recording in this file.", "file"});
    parser.addOption({"shot", "A picture of the window with the events found.", "file"});
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
    std::printf("  %.0f MB, %d carriers that come and go\n", QFileInfo(path).size() / 1e6,
                int(carriers(sweeps).size()));

    // 0. The bytes alone, and 1. quorvex-tarn info: each the median of three runs.
    const auto runMs = [](const QString &program, const QStringList &arguments, int *exitCode) {
        std::vector<double> times;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            process.start(program, arguments);
            process.waitForFinished(600000);
            times.push_back(timer.nsecsElapsed() / 1e6);
            *exitCode = process.exitCode();
        }
        return median(times);
    };
    int exitCode = 0;
    const double catMs = runMs(QStringLiteral("cat"), {path}, &exitCode);
    std::printf("\nThe file's bytes read from the cache (cat): %.0f ms\n", catMs);
    const double infoMs
        = runMs(QStringLiteral(QUORVEX_TARN_BINARY), {QStringLiteral("info"), path}, &exitCode);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("quorvex-tarn info: %.0f ms, %.1f x the bytes (goal <= 5), peak resident %.1f MB, "
                "exit %d\n",
                infoMs, infoMs / catMs, usage.ru_maxrss / 1024.0, exitCode);

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
    std::printf("  open to the first paint:            %8.0f ms   (%.1f x the bytes; goal <= 10)\n",
                openMs, openMs / catMs);
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
    // The watch on, over three VEXA IDs (one 55 MHz wide) and a range dragged on the page.
    ShowWatch *watch = window.showWatch();
    watch->watchPanel()->onBox()->setChecked(true);
    for (const int id : {24240, 24140, 24310})
        watch->setVexaIdWatched(id, true);
    watch->addDraggedRange(live, 2440.0, 2446.0);
    // The watch's own share of a sweep's GUI time: its handling of the newest sweep, timed
    // alone after each sweep fed.
    const auto watchUs = [&](int samples) {
        std::vector<double> times;
        for (int i = 0; i < samples; ++i) {
            feed(1);
            QElapsedTimer timer;
            timer.start();
            watch->onSweepAdded(live);
            times.push_back(timer.nsecsElapsed() / 1e3);
        }
        return median(times);
    };
    feed(3000);
    const double earlyWatch = watchUs(1000);
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
    const double lateWatch = watchUs(1000);
    const double lateData = sweepMs(1000, false);
    const double late = sweepMs(500, true);
    std::printf("\nLive 2.4 GHz page, %d sweeps held:\n", int(live->history().samples.size()));
    std::printf("  resident growth per held sweep:     %8.1f bytes   (goal <= 540)\n", liveGrown);
    std::printf("  a sweep's data update:              %8.3f ms early, %.3f ms at %d sweeps\n",
                earlyData, lateData, int(live->history().samples.size()));
    std::printf("  a sweep with its window drawn:      %8.2f ms early, %.2f ms at %d sweeps\n",
                early, late, int(live->history().samples.size()));
    std::fflush(stdout);
    std::printf("  the watch's share of a sweep:       %8.1f us early, %.1f us at %d sweeps "
                "(4 ranges; goal well under 100)\n",
                earlyWatch, lateWatch, int(live->history().samples.size()));
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

    // 5. The events of the show day.
    {
        std::printf("\nEvents of the show day (%d carriers written):\n",
                    int(carriers(sweeps).size()));
        QElapsedTimer timer;
        timer.start();
        const QList<EventFinder::Event> found
            = EventFinder::find(page->history(), EventFinder::Options());
        std::printf("  the search alone:                   %8.0f ms, %d events\n",
                    double(timer.elapsed()), int(found.size()));
        std::fflush(stdout);

        window.tabWidget()->setCurrentIndex(window.tabWidget()->indexOf(page));
        watch->eventsDock()->toggleViewAction()->trigger();
        BenchLoop::runFor(300);
        timer.restart();
        watch->eventsPanel()->findButton()->click();
        QTreeWidget *list = watch->eventsPanel()->list();
        std::printf("  Find Events in the window:          %8.0f ms, %d rows with the time "
                    "event\n",
                    double(timer.elapsed()), list->topLevelItemCount());
        std::fflush(stdout);
        if (parser.isSet("shot")) {
            for (int row = 0; row < list->topLevelItemCount(); ++row) {
                if (list->topLevelItem(row)->text(1).startsWith(QStringLiteral("Turned busy"))) {
                    list->setCurrentItem(list->topLevelItem(row));
                    break;
                }
            }
            BenchLoop::runFor(500);
            window.grab().save(parser.value("shot"));
        }

        timer.restart();
        QProcess tarn;
        tarn.start(QStringLiteral(QUORVEX_TARN_BINARY), {QStringLiteral("events"), path});
        tarn.waitForFinished(600000);
        const QByteArray lines = tarn.readAllStandardOutput();
        std::printf("  quorvex-tarn events:                %8.0f ms, %d events, exit %d\n",
                    double(timer.elapsed()), int(lines.count(" MHz ")), tarn.exitCode());
        // Its first lines.
        const QList<QByteArray> first = lines.split('\n').mid(0, 8);
        for (const QByteArray &line : first)
            std::printf("    %s\n", line.constData());
    }

    // 6. Reports.
    std::printf("\nReports:\n");
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
        std::printf("  quorvex-tarn report, %s: %.0f ms (exit %d)\n",
                    recording == path ? "the long recording" : "two minutes",
                    double(timer.elapsed()), tarn.exitCode());
    }
    return 0;
}
