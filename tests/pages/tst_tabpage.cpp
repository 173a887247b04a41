#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "data/Constants.h"
#include "networks/VexaIdOverlay.h"
#include "pages/PageTimeBar.h"
#include "pages/SpectrumAnalysis.h"
#include "pages/TabPage2400.h"
#include "pages/TabPage900.h"
#include "pages/TavTabWidget.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallData.h"
#include "plots/WaterfallPlot.h"
#include "ui_MainWindow.h"
#include "widgets/RangeSlider.h"
#include "wifi/WifiModel.h"

#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QToolBar>
#include <algorithm>
#include <qwt_plot_canvas.h>
#include <qwt_plot_marker.h>

namespace {

RfSpectrumSample sweepAt(qint64 timestamp, qint8 value = -60, int size = 252)
{
    return RfSpectrumSample{timestamp, RfSpectrumScan(size, value), WifiScan()};
}

QStringList actionTexts(const QWidget *bar)
{
    QStringList texts;
    for (const QAction *action : bar->actions())
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

WifiScan accessPoints(const QString &name)
{
    WifiApInfo ap;
    ap.ssid = name;
    ap.bssid = QStringLiteral("02:00:00:00:00:01");
    ap.frequency = 2437;
    ap.width = 20;
    ap.rssi = -50;
    return {ap};
}

} // namespace

// The band pages' own arithmetic and wiring, on pages built with a main window for their
// actions.
class TestTabPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstSampleAndLiveWindow()
    {
        QuietMainWindow window;
        TabPage900 page(window.pageActions(), nullptr);
        const qint64 t0 = 1700000000000;
        page.addNewSpectrumSample(sweepAt(t0));
        QCOMPARE(page.meanSampleInterval(), 0.0);
        QCOMPARE(page.timeBar()->maximun(), 1);
        QCOMPARE(page.timeBar()->lowerValue(), 0);
        QCOMPARE(page.timeBar()->upperValue(), 1);
        QCOMPARE(page.elapsedLabel()->text(), QString("00:00:00"));
        QCOMPARE(page.waterfallPlot()->waterfallData()->sweepCount(), 1);

        // 500 ms apart: after 242 samples the first is 120500 ms older than the newest and
        // drops out; the second, exactly 120000 ms older, stays.
        for (int i = 1; i < 242; ++i)
            page.addNewSpectrumSample(sweepAt(t0 + 500 * i));
        QCOMPARE(page.firstVisibleIndex(), 1);
        QCOMPARE(page.timeBar()->lowerValue(), 1);
        QCOMPARE(page.timeBar()->intervalSize(), 241);
        QCOMPARE(page.waterfallPlot()->waterfallData()->sweepCount(), 241);
        QCOMPARE(page.elapsedLabel()->text(), QString("00:02:00"));
    }

    void runningMeanAndPanning()
    {
        QuietMainWindow window;
        TabPage900 page(window.pageActions(), nullptr);
        page.addNewSpectrumSample(sweepAt(0));
        page.addNewSpectrumSample(sweepAt(100));
        QCOMPARE(page.meanSampleInterval(), 100.0);
        page.addNewSpectrumSample(sweepAt(300));
        QVERIFY(qFuzzyCompare(page.meanSampleInterval(), 100.0 - 100.0 / 3 + 200.0 / 3));

        for (int i = 4; i <= 10; ++i)
            page.addNewSpectrumSample(sweepAt(i * 100));
        // Panned back by two samples: the range grows, the view stays.
        page.timeBar()->setLowerValue(0);
        page.timeBar()->setUpperValue(8);
        QSignalSpy moved(page.timeBar(), &RangeSlider::upperValueChanged);
        page.addNewSpectrumSample(sweepAt(1100));
        QCOMPARE(page.timeBar()->maximun(), 11);
        QCOMPARE(page.timeBar()->upperValue(), 8);
        QCOMPARE(moved.count(), 0);
        // Back at the end, the view follows again.
        page.timeBar()->setUpperValue(11);
        page.addNewSpectrumSample(sweepAt(1200));
        QCOMPARE(page.timeBar()->upperValue(), 12);
    }

    void fillMissingHist()
    {
        QuietMainWindow window;
        TabPage900 page(window.pageActions(), nullptr);
        const qint64 now = 1700000000000;
        page.addNewSpectrumSample(sweepAt(now - 4000));
        page.addNewSpectrumSample(sweepAt(now - 3000));
        QCOMPARE(page.meanSampleInterval(), 1000.0);
        page.fillMissingHistUntil(now);
        const QList<RfSpectrumSample> samples = page.hist().samples.toList();
        // +1000 and +2000 only: a remaining gap equal to the mean ends the padding.
        QCOMPARE(samples.size(), 4);
        QCOMPARE(samples.at(2).timestamp, now - 2000);
        QCOMPARE(samples.at(3).timestamp, now - 1000);
        QCOMPARE(samples.at(3).scan, RfSpectrumScan(252, qint8(-128)));
        QVERIFY(samples.at(3).wifiAps.isEmpty());
        QCOMPARE(page.timeBar()->upperValue(), 4);

        // A mean under a millisecond (sweeps in one millisecond) adds nothing and ends.
        TabPage900 fast(window.pageActions(), nullptr);
        fast.addNewSpectrumSample(sweepAt(now - 60000));
        fast.addNewSpectrumSample(sweepAt(now - 60000));
        fast.addNewSpectrumSample(sweepAt(now - 59999));
        QVERIFY(fast.meanSampleInterval() > 0.0 && fast.meanSampleInterval() < 1.0);
        fast.fillMissingHistUntil(now);
        QCOMPARE(fast.hist().samples.size(), 3);

        // A computer that slept for ten hours (or a clock set forward): one filler marks the
        // gap, not a row for every second of it.
        page.fillMissingHistUntil(now + 10 * 3600 * 1000);
        QCOMPARE(page.hist().samples.size(), 5);
        QCOMPARE(page.hist().samples.timestamp(4), now);
        QVERIFY(page.hist().samples.isGapFiller(4));
        // The clock set back by an hour: the history's time still only runs forward, and the
        // sweeps after the step keep their spacing.
        page.addNewSpectrumSample(sweepAt(now - 3600 * 1000));
        page.addNewSpectrumSample(sweepAt(now - 3600 * 1000 + 1000));
        const SampleStore &after = page.hist().samples;
        QCOMPARE(after.timestamp(5), now);
        QCOMPARE(after.timestamp(6), now + 1000);
    }

    void elapsedText_data()
    {
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("59.999 s") << qint64(59999) << "00:00:59";
        QTest::newRow("25 h 3 min 4 s") << qint64((25 * 3600 + 3 * 60 + 4) * 1000) << "01:03:04";
    }

    void elapsedText()
    {
        QFETCH(qint64, elapsed);
        QFETCH(QString, text);
        QCOMPARE(PageTimeBar::elapsedText(elapsed), text);
    }

    void eventsAndLabelsIntoHistory()
    {
        QuietMainWindow window;
        TabPage900 page(window.pageActions(), nullptr);
        const TimeEvent event{QDateTime::currentDateTime(), "door"};
        emit page.waterfallPlot()->timeEventAdded(event);
        emit page.waterfallPlot()->timeEventAdded(event);
        emit page.waterfallPlot()->timeEventRemoved({event.dateTime, "other"});
        QCOMPARE(page.hist().timeEvents.size(), 2);
        emit page.waterfallPlot()->timeEventRemoved(event);
        QCOMPARE(page.hist().timeEvents, QList<TimeEvent>{event});

        const SpectroLabel label{QPointF(915.0, -60.0), "carrier"};
        emit page.spectroPlot()->spectroLabelAdded(label);
        emit page.spectroPlot()->spectroLabelRemoved({QPointF(915.0, -61.0), "carrier"});
        QCOMPARE(page.hist().labels, QList<SpectroLabel>{label});

        // Clearing starts a new run: samples, events and labels go, on the plots as well.
        page.addNewSpectrumSample(sweepAt(1000));
        page.spectroPlot()->setSpectroLabels({label});
        page.waterfallPlot()->setTimeEvents({event});
        page.clearHist();
        QVERIFY(page.hist().samples.isEmpty());
        QVERIFY(page.hist().labels.isEmpty());
        QVERIFY(page.hist().timeEvents.isEmpty());
        QVERIFY(page.spectroPlot()->spectroLabels().isEmpty());
        QVERIFY(page.waterfallPlot()->timeEvents().isEmpty());
        // The next sample draws at once, with the window starting at it.
        page.addNewSpectrumSample(sweepAt(2000));
        QCOMPARE(page.timeBar()->lowerValue(), 0);
        QCOMPARE(page.waterfallPlot()->waterfallData()->sweepCount(), 1);
    }

    void playbackPage()
    {
        QuietMainWindow window;
        RfSpectrumHistory history;
        history.freqInterval = QwtInterval(2400.0, 2500.0);
        history.rssiInterval = QwtInterval(-100.0, -30.0);
        const qint64 t0 = 1700000000000;
        for (int i = 0; i < 300; ++i)
            history.samples << sweepAt(t0 + 1000 * i, -70, 501);
        history.timeEvents << TimeEvent{QDateTime::fromMSecsSinceEpoch(t0 + 5000), "start"};
        history.labels << SpectroLabel{QPointF(2437.0, -50.0), "AP"};
        history.samples.setNewestAccessPoints(accessPoints("stored"));

        TabPage2400 page(history, window.pageActions(), nullptr);
        QVERIFY(page.isPlayback());
        // The newest two minutes: 121 samples a second apart.
        QCOMPARE(page.timeBar()->maximun(), 300);
        QCOMPARE(page.timeBar()->lowerValue(), 179);
        QCOMPARE(page.timeBar()->upperValue(), 300);
        QCOMPARE(page.waterfallPlot()->waterfallData()->sweepCount(), 121);
        QCOMPARE(page.elapsedLabel()->text(), QString("00:04:59"));
        QCOMPARE(page.spectroPlot()->axisScaleDiv(QwtPlot::xBottom).lowerBound(), 2400.0);
        QCOMPARE(page.waterfallPlot()->timeEvents().size(), 1);
        QCOMPARE(page.spectroPlot()->spectroLabels().size(), 1);
        // The stored events and labels are not reported back as new.
        QCOMPARE(page.hist(), history);
        QCOMPARE(actionTexts(page.toolBar()).join(", "),
                 QString("Snapshot, Report, |, Spectrogram View, Whole History, |, Max Hold, "
                         "Average, |, Networks"));
        QCOMPARE(actionTexts(page.networksMenu()).join(", "),
                 QString("Wi-Fi Chan., |, Varsa VEXA IDs, |, Show Wi-Fi, Wi-Fi List"));
        QCOMPARE(
            actionTexts(page.analysis()->toolBar()).join(", "),
            QString("Peak, Next Peak, Peaks, Reference, Export, Capture Max, Capture Average"));
        QCOMPARE(window.getUi()->dockWidgetContentsWifiList->model()->rowCount(), 1);
        // Panned to the start, the plots and the labels follow.
        page.timeBar()->setLowerValue(0);
        page.timeBar()->setUpperValue(121);
        QCOMPARE(page.waterfallPlot()->waterfallData()->sweepCount(), 121);
        QCOMPARE(page.waterfallPlot()->waterfallData()->interval(Qt::YAxis).minValue(), double(t0));
        QCOMPARE(page.elapsedLabel()->text(), QString("00:02:00"));
        // The whole history, and back to the two minutes that end where the view ended.
        page.wholeHistoryAction()->trigger();
        QCOMPARE(page.timeBar()->lowerValue(), 0);
        QCOMPARE(page.timeBar()->upperValue(), 300);
        QCOMPARE(page.waterfallPlot()->waterfallData()->sweepCount(), 300);
        QCOMPARE(page.elapsedLabel()->text(), QString("00:04:59"));
        page.wholeHistoryAction()->trigger();
        QCOMPARE(page.timeBar()->lowerValue(), 179);
        QCOMPARE(page.waterfallPlot()->waterfallData()->sweepCount(), 121);

        // Without access points in its last sample, no Wi-Fi actions.
        history.samples.setNewestAccessPoints(WifiScan());
        TabPage2400 plain(history, window.pageActions(), nullptr);
        QVERIFY(!plain.showWifiAction());
        QVERIFY(!actionTexts(plain.networksMenu()).contains("Show Wi-Fi"));

        // An empty recording shows nothing and leaves the window empty.
        TabPage900 empty(RfSpectrumHistory(), window.pageActions(), nullptr);
        QCOMPARE(empty.timeBar()->upperValue(), 0);
        QCOMPARE(empty.elapsedLabel()->text(), QString("00:00:00"));
    }

    void timeBarKeys_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("lower");
        // 300 sweeps a second apart; the window shows 121 of them (samples 179 to 299), so a
        // tenth of it is 12 samples.
        QTest::newRow("Left") << QList<int>{Qt::Key_Left} << 167;
        QTest::newRow("Left, Right") << QList<int>{Qt::Key_Left, Qt::Key_Right} << 179;
        QTest::newRow("Page Up") << QList<int>{Qt::Key_PageUp} << 58;
        QTest::newRow("Page Up twice, at the start")
            << QList<int>{Qt::Key_PageUp, Qt::Key_PageUp} << 0;
        QTest::newRow("Home, Page Down") << QList<int>{Qt::Key_Home, Qt::Key_PageDown} << 121;
        QTest::newRow("Home, End") << QList<int>{Qt::Key_Home, Qt::Key_End} << 179;
    }

    // The time bar takes the focus by Tab and moves the visible window by keys; the plots
    // follow.
    void timeBarKeys()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, lower);
        QuietMainWindow window;
        RfSpectrumHistory history;
        history.freqInterval = QwtInterval(902.0, 928.0);
        history.rssiInterval = QwtInterval(-100.0, -30.0);
        const qint64 t0 = 1700000000000;
        for (int i = 0; i < 300; ++i)
            history.samples << sweepAt(t0 + 1000 * i, -70, 252);
        TabPage900 page(history, window.pageActions(), nullptr);
        page.show();
        QVERIFY(page.timeBar()->focusPolicy() & Qt::TabFocus);
        for (int key : keys)
            QTest::keyClick(page.timeBar(), Qt::Key(key));
        QCOMPARE(page.timeBar()->lowerValue(), lower);
        QCOMPARE(page.timeBar()->intervalSize(), 121);
        QCOMPARE(page.waterfallPlot()->waterfallData()->interval(Qt::YAxis).minValue(),
                 double(t0 + 1000 * lower));
    }

    void wifiScansReachTheLastSample()
    {
        QuietMainWindow window;
        TabPage2400 page(window.pageActions(), nullptr);
        page.wifiScanner()->setScanFunction([] { return WifiScan(); });
        // A result with no sample to hold it is lost.
        page.onWifiScanDone(accessPoints("early"));
        page.onNewSpecScan(1000, RfSpectrumScan(501, -80));
        QVERIFY(page.hist().samples.accessPoints(0).isEmpty());
        page.onWifiScanDone(accessPoints("first"));
        page.onWifiScanDone(accessPoints("second"));
        page.onNewSpecScan(2000, RfSpectrumScan(501, -80));
        QCOMPARE(page.hist().samples.accessPoints(0).first().ssid, QString("second"));
        QCOMPARE(page.hist().samples.accessPoints(1).first().ssid, QString("second"));
        page.onWifiScanDone(accessPoints("third"));
        QCOMPARE(page.hist().samples.accessPoints(0).first().ssid, QString("second"));
        QCOMPARE(page.hist().samples.accessPoints(1).first().ssid, QString("third"));
    }

    void vexaIdsByBand()
    {
        QuietMainWindow window;
        TabPage900 page900(window.pageActions(), nullptr);
        TabPage2400 page2400(window.pageActions(), nullptr);
        const QList<int> ids{100, 9500, 9501, 24000};
        page900.vexaIdOverlay()->showVexaIds(ids);
        page2400.vexaIdOverlay()->showVexaIds(ids);
        QCOMPARE(page900.vexaIdOverlay()->selectedIds(), (QList<int>{100, 9500}));
        QCOMPARE(page2400.vexaIdOverlay()->selectedIds(), QList<int>{24000});
        // One ID at a time: each page takes only its band's.
        page900.vexaIdOverlay()->showVexaId(24100);
        page2400.vexaIdOverlay()->showVexaId(24100);
        QCOMPARE(page900.vexaIdOverlay()->selectedIds(), (QList<int>{100, 9500}));
        QCOMPARE(page2400.vexaIdOverlay()->selectedIds(), (QList<int>{24000, 24100}));
    }

    void togglesAndQcLine()
    {
        QuietMainWindow window;
        window.show();
        TabPage2400 *page = static_cast<TabPage2400 *>(window.page(0));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        page->toggleView();
        QCOMPARE(page->viewStack()->currentWidget(), page->waterfallPlot());
        page->toggleView();
        QCOMPARE(page->viewStack()->currentWidget(), page->spectroPlot());

        QAction *channels = window.getUi()->actionToggle_Channels;
        channels->trigger();
        QCOMPARE(channels->text(), QString("ZigBee Chan."));
        QCOMPARE(page->spectroPlot()->axisTitle(QwtPlot::xTop).text(), QString("ZigBee Channel"));
        channels->trigger();
        QCOMPARE(channels->text(), QString("Wi-Fi Chan."));
        QCOMPARE(page->spectroPlot()->axisTitle(QwtPlot::xTop).text(), QString("Wi-Fi Channel"));

        page->setQcMode();
        // The one line across the plot (the reference's caption is a marker without a line).
        QwtPlotItemList markers = page->spectroPlot()->itemList(QwtPlotItem::Rtti_PlotMarker);
        markers.erase(
            std::remove_if(markers.begin(), markers.end(),
                           [](const QwtPlotItem *item) {
                               return static_cast<const QwtPlotMarker *>(item)->lineStyle()
                                   == QwtPlotMarker::NoLine;
                           }),
            markers.end());
        QCOMPARE(markers.size(), 1);
        const auto *line = static_cast<const QwtPlotMarker *>(markers.first());
        QCOMPARE(line->yValue(), -40.0);
        QCOMPARE(line->lineStyle(), QwtPlotMarker::HLine);
        QCOMPARE(line->label().text(), QString("QC Pass Line"));
    }

    void snapshotWatermark()
    {
        QuietMainWindow window;
        TabPage900 page(window.pageActions(), nullptr);
        page.resize(900, 800);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        // Size the page so the spectrogram's canvas is 600 pixels high.
        QwtPlotCanvas *canvas = static_cast<QwtPlotCanvas *>(page.spectroPlot()->canvas());
        for (int i = 0; i < 5 && canvas->height() != 600; ++i) {
            page.resize(900, page.height() + 600 - canvas->height());
            QCoreApplication::processEvents();
        }
        QCOMPARE(canvas->height(), 600);

        const QImage plain
            = page.spectroPlot()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shot = page.takeSnapshot().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), plain.size());
        // The mark lies 5 pixels inside the canvas, 600 / 8 = 75 pixels high, at 15 % opacity:
        // white over the black canvas brightens by at most 0.15 * 255.
        QRect changed;
        int brightest = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const int diff = qGray(shot.pixel(x, y)) - qGray(plain.pixel(x, y));
                if (diff != 0)
                    changed |= QRect(x, y, 1, 1);
                brightest = qMax(brightest, diff);
            }
        }
        const QPoint origin = canvas->pos() + QPoint(5, 5);
        QVERIFY(!changed.isEmpty());
        QVERIFY(QRect(origin, QSize(338, 75)).contains(changed));
        QVERIFY2(changed.height() > 60, qPrintable(QString::number(changed.height())));
        QVERIFY(qAbs(brightest - 38) <= 2);
    }

    void tabWidths()
    {
        TavTabWidget tabs;
        tabs.resize(600, 400);
        for (int i = 0; i < 3; ++i)
            tabs.addTab(new QWidget, QString("tab %1").arg(i));
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        QCOMPARE(tabs.tabBar()->width(), 600);
        QCOMPARE(tabs.tabBar()->tabRect(0).width(), 198);
        QCOMPARE(tabs.tabBar()->tabRect(1).width(), 198);
        QCOMPARE(tabs.tabBar()->tabRect(2).width(), 200);
        delete tabs.widget(2);
        tabs.resize(1000, 400);
        QTRY_COMPARE(tabs.tabBar()->width(), 1000);
        QCOMPARE(tabs.tabBar()->tabRect(1).width(), 248);
    }
};

QUORVEX_TEST_MAIN(TestTabPage)
#include "tst_tabpage.moc"
