// The spectrum displays' two costs per sweep: the data update of both plots over the visible
// window, and the rendering of each plot at full-screen size, each the literal / library way
// and the program's way, measured in the same run.

#include "LiteralSpectrogram.h"
#include "PlotImage.h"
#include "SyntheticSweeps.h"
#include "data/VexaIdAdvisor.h"
#include "plots/SpectroPlot.h"
#include "plots/TavPlotSpectrogram.h"
#include "plots/WaterfallPlot.h"
#include "resources/QuorvexResources.h"
#include "widgets/AppStyle.h"
#include "widgets/RangeSlider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <qwt_scale_map.h>
#include <vector>

namespace {

// Median time of one call, in milliseconds: repeated until about budgetMs have passed
// (at least minRuns times).
double medianMs(const std::function<void(int)> &run, double budgetMs = 1500.0, int minRuns = 5,
                int maxRuns = 2000)
{
    std::vector<double> times;
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < maxRuns && (i < minRuns || total.elapsed() < budgetMs); ++i) {
        QElapsedTimer timer;
        timer.start();
        run(i);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Processor time of the whole process (all its threads), ms.
double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void setUp(SpectroPlot &spectro, WaterfallPlot &waterfall, double fStart, double span)
{
    const QwtInterval freq(fStart, fStart + span);
    const QwtInterval rssi(-100.0, -30.0);
    spectro.setAxisScale(QwtPlot::xBottom, freq.minValue(), freq.maxValue());
    spectro.setDataInterval(Qt::XAxis, freq);
    spectro.setDataInterval(Qt::YAxis, rssi);
    waterfall.setAxisScale(QwtPlot::xBottom, freq.minValue(), freq.maxValue());
    waterfall.setDataInterval(Qt::XAxis, freq);
    waterfall.setDataInterval(Qt::ZAxis, rssi);
    // The size rendered: the waterfall shows up to a row per pixel of its canvas.
    for (QwtPlot *plot : {static_cast<QwtPlot *>(&spectro), static_cast<QwtPlot *>(&waterfall)}) {
        plot->resize(1920, 1000);
        plot->updateLayout();
    }
}

struct Band
{
    const char *name;
    int columns;
    double fStart;
    double span;
    int periodMs;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tavorin"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvex"));
    QuorvexResources::init();

    // "bench_plots screenshots DIR": the plots fed with synthetic sweeps, as PNG files, to
    // look at.
    if (argc > 2 && QByteArray(argv[1]) == "screenshots") {
        const QString dir = QString::fromLocal8Bit(argv[2]);
        // The program's own dark style sheet, as the user sees the plots.
        AppStyle::apply(app);
        QList<RfSpectrumSample> history = SyntheticSweeps(501, 7).take(2640);
        // A gap while the other band was swept, as the page fills it.
        for (int i = 1500; i < 1560; ++i)
            history[i].scan.fill(-128);
        WifiScan aps;
        const QList<QColor> colors{QColor("#e6194b"), QColor("#3cb44b"), QColor("#4363d8")};
        const QStringList names{"Office", "Guest", ""};
        const int channels[] = {1, 6, 11};
        const int rssi[] = {-52, -64, -71};
        for (int i = 0; i < 3; ++i) {
            WifiApInfo ap;
            ap.ssid = names.at(i);
            ap.frequency = 2412 + 5 * (channels[i] - 1);
            ap.width = 20;
            ap.rssi = rssi[i];
            ap.color = colors.at(i);
            aps.append(ap);
        }
        SpectroPlot spectro;
        WaterfallPlot waterfall;
        setUp(spectro, waterfall, 2400.0, 100.0);
        spectro.enableAxis(QwtPlot::xTop);
        waterfall.enableAxis(QwtPlot::xTop);
        spectro.resize(1400, 800);
        waterfall.resize(1400, 800);
        waterfall.updateLayout();
        spectro.setData(history);
        waterfall.setData(history);
        spectro.grab().save(dir + "/plots-spectrogram.png");
        spectro.setWifiData(aps);
        spectro.setSpectroLabels(
            {{QPointF(2452.0, -56.0), "Microwave oven, on and off"},
             {QPointF(2470.0, -40.0), "A longer label that wraps at two hundred pixels of width"}});
        spectro.setWifiZigBee(true);
        spectro.replot();
        spectro.grab().save(dir + "/plots-spectrogram-wifi-labels.png");
        spectro.setFastRendering(false);
        spectro.replot();
        spectro.grab().save(dir + "/plots-spectrogram-library.png");
        waterfall.setTimeEvents(
            {{QDateTime::fromMSecsSinceEpoch(history.at(1000).timestamp), "Door opened"},
             {QDateTime::fromMSecsSinceEpoch(history.at(2200).timestamp), "Oven on"}});
        waterfall.replot();
        waterfall.grab().save(dir + "/plots-waterfall.png");
        waterfall.setFastRendering(false);
        waterfall.replot();
        waterfall.grab().save(dir + "/plots-waterfall-library.png");

        const QList<RfSpectrumSample> band900
            = SyntheticSweeps(252, 3, 1700000000000, 24).take(1200);
        SpectroPlot spectro900;
        WaterfallPlot waterfall900;
        setUp(spectro900, waterfall900, 902.0, 26.0);
        spectro900.resize(1000, 600);
        waterfall900.resize(1000, 600);
        waterfall900.updateLayout();
        spectro900.setData(band900);
        waterfall900.setData(band900);
        spectro900.grab().save(dir + "/plots-spectrogram-900.png");
        waterfall900.grab().save(dir + "/plots-waterfall-900.png");

        QWidget sliders;
        sliders.resize(600, 90);
        auto *timeBar = new RangeSlider(&sliders);
        timeBar->setGeometry(10, 10, 580, 20);
        timeBar->setRange(0, 2640);
        timeBar->setLowerValue(1200);
        timeBar->setUpperValue(1800);
        auto *handles = new RangeSlider(Qt::Horizontal, RangeSlider::DoubleHandles, &sliders);
        handles->setGeometry(10, 40, 580, 20);
        handles->setLowerValue(25);
        handles->setUpperValue(70);
        auto *disabled = new RangeSlider(Qt::Horizontal, RangeSlider::LeftHandle, &sliders);
        disabled->setGeometry(10, 65, 580, 20);
        disabled->setLowerValue(40);
        disabled->setEnabled(false);
        sliders.grab().scaled(1200, 180).save(dir + "/plots-rangeslider.png");
        return 0;
    }

    // "bench_plots render-loop N [spectrogram|waterfall]": only the fast rendering of the
    // plots, N times (for a profiler).
    if (argc > 2 && QByteArray(argv[1]) == "render-loop") {
        const QList<RfSpectrumSample> history = SyntheticSweeps(501, 7).take(2640);
        SpectroPlot spectro;
        WaterfallPlot waterfall;
        setUp(spectro, waterfall, 2400.0, 100.0);
        spectro.setData(history);
        waterfall.setData(history);
        const QByteArray which = argc > 3 ? QByteArray(argv[3]) : QByteArray();
        for (int i = 0; i < QByteArray(argv[2]).toInt(); ++i) {
            if (which != "waterfall")
                renderPlot(spectro, QSize(1920, 1000));
            if (which != "spectrogram")
                renderPlot(waterfall, QSize(1920, 1000));
        }
        return 0;
    }

    // "bench_plots data-loop N": only the spectrogram's data update, N sweeps (for a
    // profiler).
    if (argc > 2 && QByteArray(argv[1]) == "data-loop") {
        const SampleStore history = SampleStore::fromList(SyntheticSweeps(501, 7).take(2640 + 400));
        SpectroPlot spectro;
        WaterfallPlot waterfall;
        setUp(spectro, waterfall, 2400.0, 100.0);
        for (int i = 0; i < QByteArray(argv[2]).toInt(); ++i)
            spectro.setData(history, i % 400, i % 400 + 2640);
        return 0;
    }

    std::printf("Spectrum displays, %d threads for rendering. Times are medians in ms of wall\n"
                "time; the fast rendering's processor time (all threads, mean) beside it.\n"
                "The plots read the window in place in the page's store.\n\n",
                QThread::idealThreadCount());

    std::printf("Data update for one new sweep (window slides by one sweep)\n");
    std::printf("%-8s %7s | %12s %12s %9s | %12s %12s | %12s\n", "band", "window", "literal",
                "spectrogram", "ratio", "waterfall", "both plots", "full rebuild");
    const Band bands[] = {{"2.4 GHz", 501, 2400.0, 100.0, 45}, {"900 MHz", 252, 902.0, 26.0, 24}};
    const int windows[] = {1, 240, 2640, 5040};
    for (const Band &band : bands) {
        for (int window : windows) {
            const QList<RfSpectrumSample> list
                = SyntheticSweeps(band.columns, 7, 1700000000000, band.periodMs).take(window + 400);
            const SampleStore history = SampleStore::fromList(list);
            SpectroPlot spectro;
            WaterfallPlot waterfall;
            setUp(spectro, waterfall, band.fStart, band.span);

            const double literal = medianMs(
                [&](int i) {
                    volatile int sink
                        = LiteralSpectrogram::compute(list.mid(i % 400, window), -100, -30).top;
                    (void)sink;
                },
                3000.0, 3, 50);
            spectro.setData(history, 0, window);
            waterfall.setData(history, 0, window);
            int next = 1;
            const double spectroMs = medianMs([&](int) {
                spectro.setData(history, next % 400, next % 400 + window);
                ++next;
            });
            next = 1;
            const double waterfallMs = medianMs([&](int) {
                waterfall.setData(history, next % 400, next % 400 + window);
                ++next;
            });
            next = 1;
            const double bothMs = medianMs([&](int) {
                spectro.setData(history, next % 400, next % 400 + window);
                waterfall.setData(history, next % 400, next % 400 + window);
                ++next;
            });
            // A window that shares nothing with the last one is counted from scratch.
            const double rebuildMs = medianMs(
                [&](int i) {
                    const int first = i % 2 ? 0 : 400;
                    spectro.setData(history, first, first + window);
                },
                1000.0, 3, 200);
            std::printf("%-8s %7d | %12.3f %12.4f %8.0fx | %12.4f %12.4f | %12.3f\n", band.name,
                        window, literal, spectroMs, literal / spectroMs, waterfallMs, bothMs,
                        rebuildMs);
            std::fflush(stdout);
        }
    }

    std::printf("\nRendering one plot at 1920 x 1000, full 2.4 GHz window of 2640 sweeps\n");
    std::printf("%-22s | %12s %12s %9s | %14s\n", "plot", "library", "fast", "ratio",
                "fast, cpu time");
    const QList<RfSpectrumSample> history = SyntheticSweeps(501, 7).take(2640);
    SpectroPlot spectro;
    WaterfallPlot waterfall;
    setUp(spectro, waterfall, 2400.0, 100.0);
    spectro.setData(history);
    waterfall.setData(history);
    const QSize size(1920, 1000);
    const auto renderBoth
        = [&](const char *name, QwtPlot &plot, const std::function<void(bool)> &fast) {
              fast(false);
              const double library = medianMs([&](int) { renderPlot(plot, size); }, 3000.0, 5, 100);
              fast(true);
              int runs = 0;
              const double cpuBefore = processCpuMs();
              const double quick = medianMs(
                  [&](int) {
                      renderPlot(plot, size);
                      ++runs;
                  },
                  3000.0, 10, 400);
              const double cpu = (processCpuMs() - cpuBefore) / runs;
              std::printf("%-22s | %12.2f %12.2f %8.1fx | %14.2f\n", name, library, quick,
                          library / quick, cpu);
              std::fflush(stdout);
          };
    renderBoth("spectrogram (2 layers)", spectro, [&](bool on) { spectro.setFastRendering(on); });
    renderBoth("waterfall", waterfall, [&](bool on) { waterfall.setFastRendering(on); });

    // The VEXA ID advisor over a two-minute 2.4 GHz window at the link's rate (21.8 sweeps a
    // second), read in place in a longer history, as the panel ranks it with every sweep.
    RfSpectrumHistory survey;
    survey.freqInterval = QwtInterval(2400.0, 2500.0);
    survey.rssiInterval = QwtInterval(-100.0, -30.0);
    survey.samples = SampleStore::fromList(SyntheticSweeps(501, 11, 1700000000000, 46).take(6000));
    const int windowSweeps = 2616;
    const int start = survey.samples.size() - windowSweeps;
    int ranked = 0;
    const double advise = medianMs(
        [&](int) { ranked = VexaIdAdvisor::rank(survey, start, survey.samples.size()).size(); });
    std::printf(
        "\nVEXA ID advisor, %d IDs over a window of %d sweeps: %.3f ms (a frame: 16.7 ms)\n",
        ranked, windowSweeps, advise);
    return 0;
}
