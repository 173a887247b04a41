#include "QuietAir.h"
#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "app/EventsPanel.h"
#include "app/ShowWatch.h"
#include "app/WatchPanel.h"
#include "data/Constants.h"
#include "data/FrequencyAxis.h"
#include "data/HistoryJournal.h"
#include "data/JournalReader.h"
#include "data/RecordingFile.h"
#include "networks/VexaIdPanel.h"
#include "networks/VexaIdTableView.h"
#include "pages/PeakPanel.h"
#include "pages/SpectrumAnalysis.h"
#include "pages/TabPage.h"
#include "pages/TabPage2400.h"
#include "pages/TavTabWidget.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_MainWindow.h"
#include "widgets/RangeSlider.h"
#include "wifi/NativeWifi.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolBar>
#include <QTreeWidget>
#include <qwt_plot_canvas.h>
#include <qwt_plot_shapeitem.h>
#include <qwt_plot_zoneitem.h>

namespace {

void clickToolBarAction(QToolBar *toolBar, QAction *action)
{
    QWidget *button = toolBar->widgetForAction(action);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void clickBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// A click on the cell of a VEXA ID in the panel's grid.
void clickVexaId(VexaIdPanel *panel, int id)
{
    QTableView *view = panel->tableView();
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        for (int column = 0; column < view->model()->columnCount(); ++column) {
            const QModelIndex index = view->model()->index(row, column);
            if (index.data().toInt() == id) {
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                  view->visualRect(index).center());
                return;
            }
        }
    }
    QFAIL("no such VEXA ID in the grid");
}

void clickRow(QTreeWidget *list, int row)
{
    QTreeWidgetItem *item = list->topLevelItem(row);
    QVERIFY(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

// The first sweep from `from` on whose value at `column` is at least `level`.
int firstLoud(const SampleStore &samples, int from, int column, int level)
{
    for (int i = from; i < samples.size(); ++i) {
        if (samples.values(i)[column] >= level)
            return i;
    }
    return -1;
}

} // namespace

// The show watch and the events panel in the whole window.
class TestShowWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { NativeWifi::clearSimulatedAir(); }

    // At the window's smallest sensible size, 1280 x 720, with the events panel open beside a
    // live page that shows its peaks: every button of the page's tool bar is on it (none in
    // its overflow menu), and every event's whole text is shown, wrapped in its row.
    void fitsAt1280()
    {
        QuietMainWindow window;
        window.resize(1280, 720);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        TabPage *page = window.page(0);
        const QStringList texts{ShowWatch::raisedText("2440.0-2446.0 MHz", 0.38),
                                ShowWatch::clearedText("2440.0-2446.0 MHz", 0.04),
                                ShowWatch::unwatchedText("24240"), "Doors open"};
        for (int i = 0; i < texts.size(); ++i)
            page->placeTimeEvent(
                {QDateTime::fromMSecsSinceEpoch(QuietAir::k_start + 1000 * i), texts.at(i)});
        ShowWatch *watch = window.showWatch();
        clickToolBarAction(window.getUi()->toolBar, watch->eventsDock()->toggleViewAction());
        page->analysis()->peakTableAction()->setChecked(true);
        QVERIFY(page->analysis()->peakPanel()->isVisible());

        for (QAction *action : page->toolBar()->actions()) {
            if (!action->isSeparator())
                QTRY_VERIFY2(page->toolBar()->widgetForAction(action)->isVisible(),
                             qPrintable(action->text()));
        }
        QTreeWidget *list = watch->eventsPanel()->list();
        QCOMPARE(list->topLevelItemCount(), texts.size());
        for (int i = 0; i < texts.size(); ++i) {
            QTreeWidgetItem *item = list->topLevelItem(i);
            QCOMPARE(item->text(1), texts.at(i));
            // The height of the text wrapped at the column's width (less the style's margins).
            const int needed = list->fontMetrics()
                                   .boundingRect(QRect(0, 0, list->columnWidth(1) - 8, 10000),
                                                 Qt::TextWordWrap, texts.at(i))
                                   .height();
            QTRY_VERIFY2(list->visualItemRect(item).height() >= needed,
                         qPrintable(QString("%1 < %2: %3")
                                        .arg(list->visualItemRect(item).height())
                                        .arg(needed)
                                        .arg(texts.at(i))));
        }
        QVERIFY(list->fontMetrics().horizontalAdvance(texts.at(1)) > list->columnWidth(1));
    }

    // Against the simulated analyzer: a carrier comes and goes over the range of a VEXA ID
    // the user chose, and over a range dragged on the spectrogram.
    void watchAgainstTheAnalyzer()
    {
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        // Over 2474.6 ... 2478.6 MHz, inside 24240 (2472.2 ... 2481.1), where the simulated
        // site is quiet; off until the test switches it on.
        settings.carrierMHz = 2476.6;
        settings.carrierWidthMHz = 4.0;
        settings.carrierDbm = -50.0;
        settings.carrierOn = false;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());

        QuietMainWindow window;
        window.resize(1400, 800);
        window.show();
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        Ui::MainWindow *ui = window.getUi();
        ShowWatch *watch = window.showWatch();
        int beeps = 0;
        watch->setBeeper([&beeps] { ++beeps; });
        TabPage *page = window.page(0);
        QStringList asked;
        page->spectroPlot()->setPrompts({[&asked](QWidget *, const QString &, QString *) {
                                             asked << "text";
                                             return false;
                                         },
                                         [](const QString &, const QString &) { return false; }});

        // The watch on, over a two-second stretch, with a beep.
        clickToolBarAction(ui->toolBar, watch->watchDock()->toggleViewAction());
        QVERIFY(watch->watchDock()->isVisible());
        WatchPanel *panel = watch->watchPanel();
        clickBox(panel->onBox());
        clickBox(panel->beepBox());
        QVERIFY(panel->isOn() && panel->beeps());
        QTest::mouseClick(panel->stretchBox(), Qt::LeftButton);
        QTest::keyClick(panel->stretchBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(panel->stretchBox(), "2");
        QCOMPARE(panel->settings().stretchMs, qint64(2000));

        // 24240 chosen in its panel while the site is quiet there: no alert.
        ui->actionVarsa_VexaIds->setChecked(true);
        QTRY_VERIFY_WITH_TIMEOUT(page->history().samples.size() >= 5, 10000);
        clickVexaId(ui->dockWidgetContentsVexaIds, 24240);
        QCOMPARE(panel->keys(), QStringList{"24240"});
        const int chosenAt = page->history().samples.size();
        QTRY_VERIFY_WITH_TIMEOUT(page->history().samples.size() > chosenAt + 50, 15000);
        QVERIFY(watch->banner()->isHidden());
        QVERIFY(page->history().timeEvents.isEmpty());

        // The carrier comes: the alert and its event within the stretch.
        sim.setCarrierOn(true);
        QTRY_VERIFY_WITH_TIMEOUT(watch->banner()->isVisible(), 15000);
        const QRegularExpression raised("^Interference on 24240: \\d+ % busy$");
        QVERIFY2(raised.match(watch->banner()->text()).hasMatch(),
                 qPrintable(watch->banner()->text()));
        QCOMPARE(page->history().timeEvents.size(), 1);
        const TimeEvent alert = page->history().timeEvents.first();
        QVERIFY2(raised.match(alert.text).hasMatch(), qPrintable(alert.text));
        const SampleStore &samples = page->history().samples;
        const int carrierFrom = firstLoud(samples, chosenAt, 383, -56); // 2476.6 MHz
        QVERIFY(carrierFrom > 0);
        const qint64 after = alert.dateTime.toMSecsSinceEpoch() - samples.timestamp(carrierFrom);
        QVERIFY2(after >= 0 && after <= 2000, qPrintable(QString::number(after)));
        QVERIFY(!ui->tabWidget->tabIcon(0).isNull());
        QVERIFY(ui->tabWidget->tabIcon(1).isNull());
        QCOMPARE(beeps, 1);
        // Placed as the user's: on the waterfall, in the events panel and in the journal.
        QVERIFY(page->waterfallPlot()->timeEvents().contains(alert));
        // Opened beside the watch and the VEXA IDs, it comes to the front.
        clickToolBarAction(ui->toolBar, watch->eventsDock()->toggleViewAction());
        QVERIFY(!watch->eventsPanel()->visibleRegion().isEmpty());
        QCOMPARE(watch->eventsPanel()->list()->topLevelItemCount(), 1);
        QCOMPARE(watch->eventsPanel()->list()->topLevelItem(0)->text(1), alert.text);
        QVERIFY(page->journal());
        QTRY_VERIFY_WITH_TIMEOUT(
            JournalReader::read(page->journal()->path()).history.timeEvents.contains(alert), 5000);

        // The air quiets: the alert clears with an event of its own.
        sim.setCarrierOn(false);
        QTRY_VERIFY_WITH_TIMEOUT(watch->banner()->isHidden(), 15000);
        QCOMPARE(page->history().timeEvents.size(), 2);
        QVERIFY2(
            page->history().timeEvents.last().text.startsWith("Interference on 24240 cleared: "),
            qPrintable(page->history().timeEvents.last().text));
        QVERIFY(ui->tabWidget->tabIcon(0).isNull());

        // Again, and the ID deselected: the alert ends at once.
        sim.setCarrierOn(true);
        QTRY_VERIFY_WITH_TIMEOUT(watch->banner()->isVisible(), 15000);
        QCOMPARE(beeps, 2);
        ui->dockWidgetVexaIds->raise();
        clickVexaId(ui->dockWidgetContentsVexaIds, 24240);
        QVERIFY(watch->banner()->isHidden());
        QVERIFY(panel->keys().isEmpty());
        QCOMPARE(page->history().timeEvents.size(), 4);
        QCOMPARE(page->history().timeEvents.last().text,
                 QString("Interference on 24240: no longer watched"));
        sim.setCarrierOn(false);

        // A range of the user's own, dragged with Shift across the spectrogram; no label is
        // asked for.
        watch->watchDock()->raise();
        QwtPlot *plot = page->spectroPlot();
        const auto at = [plot](double mhz) {
            return QPoint(int(plot->transform(QwtPlot::xBottom, mhz)),
                          plot->canvas()->height() / 2);
        };
        QTest::mousePress(plot->canvas(), Qt::LeftButton, Qt::ShiftModifier, at(2474.0));
        for (const double mhz : {2476.5, 2479.0}) {
            // A move with the button held (QTest's own moves carry no button).
            QMouseEvent move(QEvent::MouseMove, at(mhz), plot->canvas()->mapToGlobal(at(mhz)),
                             Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
            QApplication::sendEvent(plot->canvas(), &move);
        }
        QTest::mouseRelease(plot->canvas(), Qt::LeftButton, Qt::ShiftModifier, at(2479.0));
        QVERIFY(asked.isEmpty());
        QCOMPARE(panel->keys().size(), 1);
        const QString dragged = panel->rangeList()->topLevelItem(0)->text(0);
        QVERIFY2(QRegularExpression("^247[34]\\.\\d-24(78\\.[89]|79\\.\\d) MHz$")
                     .match(dragged)
                     .hasMatch(),
                 qPrintable(dragged));
        QCOMPARE(plot->itemList(QwtPlotItem::Rtti_PlotZone).size(), 1);
        const int events = page->history().timeEvents.size();
        sim.setCarrierOn(true);
        QTRY_VERIFY_WITH_TIMEOUT(watch->banner()->isVisible(), 15000);
        QVERIFY(watch->banner()->text().startsWith("Interference on " + dragged + ": "));
        QCOMPARE(page->history().timeEvents.size(), events + 1);
        // Removed in the panel: no longer watched, and its shape goes.
        QVERIFY(!panel->removeButton()->isEnabled());
        clickRow(panel->rangeList(), 0);
        QVERIFY(panel->removeButton()->isEnabled());
        QTest::mouseClick(panel->removeButton(), Qt::LeftButton);
        QVERIFY(panel->keys().isEmpty());
        QVERIFY(watch->banner()->isHidden());
        QCOMPARE(page->history().timeEvents.last().text,
                 "Interference on " + dragged + ": no longer watched");
        QVERIFY(plot->itemList(QwtPlotItem::Rtti_PlotZone).isEmpty());
        QVERIFY(window.prompts->criticals.isEmpty());

        // The settings are the user's, remembered for the next run.
        const WatchPanel next;
        QVERIFY(next.isOn());
        QVERIFY(next.beeps());
        QCOMPARE(next.stretchBox()->value(), 2);
        QCOMPARE(next.thresholdBox()->value(), -80);
        QCOMPARE(next.limitBox()->value(), 20);
    }

    // Find Events on a recording: the events found beside its time events; a click on one
    // shows it on the waterfall.
    // The watch runs at every source of the band: a sensor's page that hears a watched VEXA ID
    // busy raises the alert under its own name, on its own page; a quiet one raises nothing.
    void watchAcrossSources()
    {
        QuietMainWindow window;
        ShowWatch *watch = window.showWatch();
        WatchPanel *panel = watch->watchPanel();
        panel->onBox()->setChecked(true);
        QVERIFY(panel->isOn());
        auto *north = new TabPage2400(window.pageActions(), nullptr, false);
        auto *south = new TabPage2400(window.pageActions(), nullptr, false);
        window.tabWidget()->addPage(north, "North stand 2.4 GHz");
        window.tabWidget()->addPage(south, "South stand 2.4 GHz");
        watch->addSource(north, "North stand", 2400);
        watch->setVexaIdWatched(24240, true);
        // A source that comes after the range was chosen watches it too.
        watch->addSource(south, "South stand", 2400);

        // Ten seconds at 20 sweeps a second; North hears the ID's whole range at -60 dBm in
        // every sweep, South hears the floor.
        const VexaIdDesc id = Constants::k_vexaIdMap.value(24240);
        const FrequencyAxis axis(Constants::k_2400ScanParams);
        for (int i = 0; i < 200; ++i) {
            RfSpectrumScan loud(501, -95);
            for (int c = 0; c < 501; ++c) {
                if (axis.megahertz(c) >= id.lowerEdge() && axis.megahertz(c) <= id.upperEdge())
                    loud[c] = -60;
            }
            const qint64 t = QuietAir::k_start + 50 * i;
            north->addNewSpectrumSample({t, loud, {}});
            south->addNewSpectrumSample({t, RfSpectrumScan(501, -95), {}});
        }
        const QString raised = ShowWatch::raisedText("24240 at North stand", 1.0);
        QCOMPARE(raised, QString("Interference on 24240 at North stand: 100 % busy"));
        QCOMPARE(watch->banner()->text(), raised);
        QCOMPARE(north->history().timeEvents.size(), 1);
        QCOMPARE(north->history().timeEvents.first().text, raised);
        QVERIFY(south->history().timeEvents.isEmpty());
        QVERIFY(window.page(0)->history().timeEvents.isEmpty());

        // No longer watched: North's alert ends with an event of its own; a closed sensor page
        // leaves the watch.
        delete south;
        watch->setVexaIdWatched(24240, false);
        QCOMPARE(north->history().timeEvents.size(), 2);
        QCOMPARE(north->history().timeEvents.last().text,
                 ShowWatch::unwatchedText("24240 at North stand"));
        QTRY_VERIFY(watch->banner()->isHidden());
    }

    void eventsPanel()
    {
        QuietAir air(3000);
        air.carrier(200, 219, 1000, 1300, -55);
        RfSpectrumHistory history = air.history();
        history.timeEvents << TimeEvent{QDateTime::fromMSecsSinceEpoch(air.time(2000)),
                                        "Doors open"};
        QTemporaryDir dir;
        const QString path = dir.filePath("show.tarn");
        QString error;
        QVERIFY(RecordingFile::save(path, history, &error));

        QuietMainWindow window;
        window.resize(1400, 800);
        window.show();
        QFile file(path);
        QVERIFY(window.openFile(file));
        Ui::MainWindow *ui = window.getUi();
        TabPage *page = window.page(2);
        QCOMPARE(ui->tabWidget->currentIndex(), 2);
        ShowWatch *watch = window.showWatch();
        EventsPanel *panel = watch->eventsPanel();
        clickToolBarAction(ui->toolBar, watch->eventsDock()->toggleViewAction());
        QCOMPARE(panel->page(), page);
        QTreeWidget *list = panel->list();
        QCOMPARE(list->topLevelItemCount(), 1);

        // A search cancelled finds nothing.
        window.prompts->cancelProgressAfter = 0;
        QTest::mouseClick(panel->findButton(), Qt::LeftButton);
        QCOMPARE(panel->statusLabel()->text(), QString("The search was cancelled."));
        QCOMPARE(list->topLevelItemCount(), 1);

        window.prompts->cancelProgressAfter = -1;
        window.prompts->progressUpdates = 0;
        QTest::mouseClick(panel->findButton(), Qt::LeftButton);
        QVERIFY(window.prompts->progressUpdates >= 2);
        QCOMPARE(list->topLevelItemCount(), 2);
        const QTreeWidgetItem *header = list->headerItem();
        QCOMPARE(header->columnCount(), 2);
        QCOMPARE((QStringList{header->text(0), header->text(1)}), (QStringList{"Time", "Event"}));
        const QTreeWidgetItem *found = list->topLevelItem(0);
        QCOMPARE(found->text(1),
                 QString("Turned busy: 2440.0-2443.8 MHz, peak -55 dBm, for 00:00:29"));
        QCOMPARE(list->topLevelItem(1)->text(1), QString("Doors open"));
        QCOMPARE(panel->statusLabel()->text(), QString("1 event found in 00:04:59 of sweeps."));

        // A click on the event: it is in view, on the waterfall, framed.
        QVERIFY(!page->showsWaterfall());
        clickRow(list, 0);
        const RangeSlider *bar = page->timeBar();
        const SampleStore &samples = page->history().samples;
        QVERIFY(samples.timestamp(int(bar->lowerValue())) <= air.time(1000));
        QVERIFY(samples.timestamp(int(bar->upperValue()) - 1) >= air.time(1299));
        QVERIFY(samples.timestamp(int(bar->upperValue()) - 1)
                    - samples.timestamp(int(bar->lowerValue()))
                >= 119000);
        QVERIFY(page->showsWaterfall());
        QCOMPARE(ui->actionToggle_View->text(), QString("Waterfall View"));
        const QwtPlotItemList marks = page->waterfallPlot()->itemList(QwtPlotItem::Rtti_PlotShape);
        QCOMPARE(marks.size(), 1);
        const QRectF mark = static_cast<QwtPlotShapeItem *>(marks.first())->boundingRect();
        QCOMPARE(mark.left(), 2439.9);
        QCOMPARE(mark.right(), 2443.9);
        QCOMPARE(qint64(mark.top()), air.time(1000));
        QCOMPARE(qint64(mark.bottom()), air.time(1299));

        // A time event: in view, and the mark goes.
        clickRow(list, 1);
        QVERIFY(samples.timestamp(int(bar->lowerValue())) <= air.time(2000));
        QVERIFY(samples.timestamp(int(bar->upperValue()) - 1) >= air.time(2000));
        QVERIFY(page->waterfallPlot()->itemList(QwtPlotItem::Rtti_PlotShape).isEmpty());

        // Back on a live page, its own events; the recording's tab closed, nothing is left.
        ui->tabWidget->setCurrentIndex(0);
        QCOMPARE(panel->page(), window.page(0));
        QCOMPARE(list->topLevelItemCount(), 0);
        ui->tabWidget->setCurrentIndex(2);
        QCOMPARE(list->topLevelItemCount(), 2);
        QMetaObject::invokeMethod(ui->tabWidget, "tabCloseRequested", Q_ARG(int, 2));
        QTRY_COMPARE(ui->tabWidget->count(), 2);
        QVERIFY(window.prompts->criticals.size() <= 1); // the start-up's Connect found nothing
    }
};

QUORVEX_TEST_MAIN(TestShowWatch)
#include "tst_showwatch.moc"
