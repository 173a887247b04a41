// Reading an hour's recording at the link's rate: 79200 sweeps of the 2.4 GHz band, about
// 41 MB. Times quorvex-tarn info (the installed program, as a whole process) and the program's
// Open up to the playback page on screen (its first paint), each the median of five runs.

#include "BenchEnvironment.h"
#include "SyntheticSweeps.h"
#include "app/MainWindow.h"
#include "app/SilentPrompts.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "plots/SpectroPlot.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int k_sweeps = 79200;
constexpr int k_runs = 5;

// Notes the first paint of a widget.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const BenchEnvironment environment;
    int appArgc = 1;
    QApplication app(appArgc, argv);
    Q_UNUSED(argc)
    BenchEnvironment::initApplication();

    RfSpectrumHistory hour;
    hour.freqInterval = QwtInterval(2400.0, 2500.0);
    hour.rssiInterval = QwtInterval(-100.0, -30.0);
    SyntheticSweeps sweeps(501, 3, 1765200000000, 45);
    for (int i = 0; i < k_sweeps; ++i)
        hour.samples.append(sweeps.next());
    const QString path = environment.filePath(QStringLiteral("hour.tarn"));
    QString error;
    if (!RecordingFile::save(path, hour, &error)) {
        std::fprintf(stderr, "Cannot write the recording: %s\n", qPrintable(error));
        return 1;
    }
    hour = RfSpectrumHistory();
    std::printf("Recording: %d sweeps, %.1f MB\n", k_sweeps, QFileInfo(path).size() / 1e6);

    std::vector<double> info;
    for (int run = 0; run < k_runs; ++run) {
        QProcess tarn;
        QElapsedTimer timer;
        timer.start();
        tarn.start(QStringLiteral(QUORVEX_TARN_BINARY), {QStringLiteral("info"), path});
        if (!tarn.waitForFinished(60000) || tarn.exitCode() != 0) {
            std::fprintf(stderr, "quorvex-tarn info failed: %s\n",
                         tarn.readAllStandardError().constData());
            return 1;
        }
        info.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("quorvex-tarn info:               %8.0f ms (median of %d)   (goal < 1000)\n",
                median(info), k_runs);

    MainWindow window;
    window.setUserPrompts(std::make_unique<SilentPrompts>());
    window.resize(1600, 900);
    window.show();
    QCoreApplication::processEvents();
    std::vector<double> open;
    for (int run = 0; run < k_runs; ++run) {
        QFile file(path);
        QElapsedTimer timer;
        timer.start();
        if (!window.openFile(file))
            return 1;
        TabPage *page = window.page(window.getUi()->tabWidget->count() - 1);
        PaintWatch watch;
        page->spectroPlot()->canvas()->installEventFilter(&watch);
        while (!watch.painted && timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        open.push_back(timer.nsecsElapsed() / 1e6);
        page->spectroPlot()->canvas()->removeEventFilter(&watch);
        emit window.getUi()->tabWidget->tabCloseRequested(window.getUi()->tabWidget->count() - 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("Open up to the playback page:    %8.0f ms (median of %d)   (goal < 1000)\n",
                median(open), k_runs);
    window.deviceComms()->terminateCommsThread();
    return 0;
}
