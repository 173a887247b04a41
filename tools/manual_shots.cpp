// Takes the user manual's pictures from the real program: the main window against the built-in
// simulated analyzer, driven through its own actions. Run by tools/manual-screenshots, which
// writes them into resources/manual/images.

#include "app/EventsPanel.h"
#include "app/MainWindow.h"
#include "app/ProjectInfoDialog.h"
#include "app/ShowWatch.h"
#include "app/SilentPrompts.h"
#include "app/WatchPanel.h"
#include "bench/BenchEnvironment.h"
#include "data/AppVersion.h"
#include "data/RecordingFile.h"
#include "networks/VexaIdPanel.h"
#include "networks/VexaIdTableView.h"
#include "pages/SpectrumAnalysis.h"
#include "pages/SurveyReport.h"
#include "pages/TabPage.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_DebugWindow.h"
#include "ui_MainWindow.h"
#include "widgets/AppStyle.h"
#include "widgets/DebugWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <qwt_plot_canvas.h>

namespace {

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget *widget, const QString &dir, const QString &name)
{
    const bool ok = widget->grab().save(dir + QLatin1Char('/') + name);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(name));
    return ok;
}

// The mouse resting over a plot, so its read-out shows.
void hover(QwtPlot *plot, double x, double y)
{
    QWidget *canvas = plot->canvas();
    const QPointF at(plot->transform(QwtPlot::xBottom, x), plot->transform(QwtPlot::yLeft, y));
    QMouseEvent enter(QEvent::MouseMove, at, canvas->mapToGlobal(at.toPoint()), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &enter);
}

// The mouse gone from a plot: its read-out goes.
void leave(QwtPlot *plot)
{
    QEvent left(QEvent::Leave);
    QCoreApplication::sendEvent(plot->canvas(), &left);
}

// Nobody there to answer, except that a choice offered takes its first item (the recording to
// compare with).
class ShotPrompts : public SilentPrompts
{
public:
    bool chooseItem(QWidget *, const QString &, const QString &, const QStringList &items,
                    QString *choice) override
    {
        if (items.isEmpty())
            return false;
        *choice = items.first();
        return true;
    }
};

} // namespace

int main(int argc, char **argv)
{
    // The window's size: the manual's 1280 x 760 unless another is given ("1600x900").
    const QStringList size = argc > 2 ? QString::fromLocal8Bit(argv[2]).split(QLatin1Char('x'))
                                      : QStringList{QStringLiteral("1280"), QStringLiteral("760")};
    const int width = size.value(0).toInt();
    const int height = size.value(1).toInt();
    if (argc < 2 || argc > 3 || size.size() != 2 || width < 640 || height < 480) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [WIDTHxHEIGHT]\n", argv[0]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const BenchEnvironment environment;
    int appArgc = 1;
    QApplication app(appArgc, argv);
    BenchEnvironment::initApplication();
    AppStyle::apply(app);

    MainWindow window;
    window.setUserPrompts(std::make_unique<ShotPrompts>());
    window.parseArgs({QStringLiteral("quorvex"), QStringLiteral("-simulate")}, nullptr);
    window.setGeometry(0, 0, width, height);
    window.show();
    runFor(3000);
    window.projectInfoDialog()->setData({QStringLiteral("Grand Hall"), QStringLiteral("GH-12"),
                                         QStringLiteral("Stage left"), QStringLiteral("R. Imre")});
    window.projectInfoDialog()->accept();
    Ui::MainWindow *ui = window.getUi();
    // A minute of the simulated site.
    runFor(60000);

    bool ok = true;
    TabPage *page = window.page(0);
    ok &= save(&window, out, QStringLiteral("window-2400.png"));
    hover(page->spectroPlot(), 2452.0, -62.0);
    ui->actionMax_Hold->setChecked(true);
    ui->actionAverage->setChecked(true);
    runFor(300);
    ok &= save(page->spectroPlot(), out, QStringLiteral("spectrogram.png"));
    ui->actionMax_Hold->setChecked(false);
    ui->actionAverage->setChecked(false);

    ui->actionToggle_Wifi_List->setChecked(true);
    runFor(4500);
    ok &= save(ui->dockWidgetWifiList, out, QStringLiteral("wifi-list.png"));
    ui->actionToggle_Wifi_List->setChecked(false);

    // Recommend over the window in view: the quietest plan selected and drawn.
    ui->actionVarsa_VexaIds->setChecked(true);
    ui->dockWidgetContentsVexaIds->recommendBox()->setChecked(true);
    runFor(1000);
    ok &= save(&window, out, QStringLiteral("vexa-ids.png"));
    ui->dockWidgetContentsVexaIds->recommendBox()->setChecked(false);

    // The watch over 24240, and a carrier that comes over it and goes again.
    ShowWatch *watch = window.showWatch();
    watch->watchPanel()->onBox()->setChecked(true);
    VexaIdPanel *vexaIds = ui->dockWidgetContentsVexaIds;
    for (int row = 0; row < vexaIds->model()->rowCount(); ++row) {
        for (int column = 0; column < vexaIds->model()->columnCount(); ++column) {
            const QModelIndex index = vexaIds->model()->index(row, column);
            if (index.data().toInt() == 24240)
                vexaIds->tableView()->selectionModel()->select(index, QItemSelectionModel::Select);
        }
    }
    ui->actionVarsa_VexaIds->setChecked(false);
    watch->watchDock()->toggleViewAction()->trigger();
    leave(page->spectroPlot());
    window.simulator()->setCarrier(2476.6, 4.0, -52.0);
    runFor(6000);
    ok &= save(&window, out, QStringLiteral("watch.png"));
    window.simulator()->setCarrierOn(false);
    runFor(14000);
    watch->watchDock()->toggleViewAction()->trigger();

    ui->actionToggle_View->trigger();
    page->waterfallPlot()->setTimeEvents(
        {{QDateTime::fromMSecsSinceEpoch(
              page->history().samples.timestamp(page->history().samples.size() / 2)),
          QStringLiteral("Oven switched on")}});
    hover(page->waterfallPlot(), 2440.0,
          double(page->history().samples.timestamp(page->history().samples.size() - 1) - 20000));
    runFor(500);
    ok &= save(page->waterfallPlot(), out, QStringLiteral("waterfall.png"));
    ui->actionToggle_View->trigger();

    // A recording of what was scanned, opened in a tab of its own.
    ui->actionStop->trigger();
    runFor(1000);
    const QString recording = environment.filePath(QStringLiteral("Grand Hall_2400MHz.tarn"));
    QString error;
    RecordingFile::save(recording, page->hist(), &error);
    QFile file(recording);
    window.openFile(file);
    runFor(500);
    ok &= save(&window, out, QStringLiteral("recording.png"));

    // Find Events on the recording, and the carrier's event shown on the waterfall.
    watch->eventsDock()->toggleViewAction()->trigger();
    watch->eventsPanel()->findButton()->click();
    QTreeWidget *events = watch->eventsPanel()->list();
    for (int row = 0; row < events->topLevelItemCount(); ++row) {
        if (events->topLevelItem(row)->text(1).startsWith(QStringLiteral("Turned busy"))) {
            events->setCurrentItem(events->topLevelItem(row));
            break;
        }
    }
    runFor(800);
    ok &= save(&window, out, QStringLiteral("events.png"));
    watch->eventsDock()->toggleViewAction()->trigger();

    // Its site-survey report, as a PDF; tools/manual-screenshots turns its first page into
    // the manual's picture.
    ok &= SurveyReport::write({page->hist(), {}, AppVersion::text()},
                              out + QStringLiteral("/report.pdf"), &error);

    // Markers on the recording: the three strongest peaks and the oven; the peak table beside
    // the plot. The events left the waterfall in front: the markers are on the spectrogram.
    if (window.page(2)->showsWaterfall())
        ui->actionToggle_View->trigger();
    SpectrumAnalysis *recorded = window.page(2)->analysis();
    ui->actionMax_Hold->setChecked(true);
    recorded->peakAction()->trigger();
    const QList<PeakSearch::Peak> peaks = recorded->peaks();
    for (int i = 1; i <= 2 && i < peaks.size(); ++i)
        recorded->placeMarker(recorded->axis().megahertz(peaks.at(i).step));
    recorded->placeMarker(2457.0);
    recorded->peakTableAction()->setChecked(true);
    runFor(500);
    ok &= save(&window, out, QStringLiteral("markers.png"));
    recorded->peakTableAction()->setChecked(false);

    // Half a minute more of the site live, compared with the recording: its Max Hold dashed,
    // the markers reading the difference.
    window.tabWidget()->setCurrentIndex(0);
    ui->actionRecord->trigger();
    runFor(30000);
    SpectrumAnalysis *live = page->analysis();
    live->compareWithAction()->trigger();
    live->peakAction()->trigger();
    live->placeMarker(2437.0);
    live->placeMarker(2457.0);
    leave(page->spectroPlot());
    runFor(500);
    ok &= save(&window, out, QStringLiteral("reference.png"));
    ui->actionStop->trigger();
    ui->actionMax_Hold->setChecked(false);
    runFor(1000);

    // The debug console after a few commands.
    window.parseArgs({QStringLiteral("quorvex"), QStringLiteral("-debug")}, nullptr);
    DebugWindow *console = window.debugWindow();
    console->resize(560, 700);
    for (QAbstractButton *button :
         {static_cast<QAbstractButton *>(console->getUi()->pbGetFwVer),
          static_cast<QAbstractButton *>(console->getUi()->pbGetDevVer),
          static_cast<QAbstractButton *>(console->getUi()->pbGet24RfParams),
          static_cast<QAbstractButton *>(console->getUi()->pbGetLastError)}) {
        button->click();
        runFor(600);
    }
    ok &= save(console, out, QStringLiteral("console.png"));

    window.deviceComms()->terminateCommsThread();
    return ok ? 0 : 1;
}
