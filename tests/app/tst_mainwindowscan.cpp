#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "SimLog.h"
#include "app/ProjectInfoDialog.h"
#include "data/Constants.h"
#include "data/RecordingFile.h"
#include "networks/VexaIdOverlay.h"
#include "networks/VexaIdPanel.h"
#include "pages/TabPage2400.h"
#include "pages/TabPage900.h"
#include "pages/TavTabWidget.h"
#include "plots/SpectroPlot.h"
#include "plots/SpectrogramData.h"
#include "plots/WaterfallData.h"
#include "plots/WaterfallPlot.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_MainWindow.h"
#include "wifi/NativeWifi.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QStatusBar>

namespace {

bool allOf(const RfSpectrumScan &scan, qint8 value)
{
    return std::all_of(scan.begin(), scan.end(), [value](qint8 v) { return v == value; });
}

} // namespace

// The whole window against the simulated analyzer on a pseudo-terminal: the start-up connects,
// the connection scans, sweeps reach the page in front, and band switches and Stop / Scan keep
// the session going.
class TestMainWindowScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { NativeWifi::clearSimulatedAir(); }

    void liveSession()
    {
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        NativeWifi::setSimulatedAir(sim.air());
        SimLog simLog(sim);

        QuietMainWindow window;
        window.resize(1200, 700);
        window.show();
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        Ui::MainWindow *ui = window.getUi();
        auto *page2400 = static_cast<TabPage2400 *>(window.page(0));
        auto *page900 = static_cast<TabPage900 *>(window.page(1));
        QVERIFY(!ui->actionRecord->isEnabled());

        // Start-up connects, the connection scans the band in front.
        QTRY_VERIFY_WITH_TIMEOUT(window.deviceComms()->scanning(), 10000);
        QVERIFY(!ui->actionConnect->isEnabled());
        QVERIFY(!ui->actionDisconnect->isEnabled());
        QVERIFY(!ui->actionRecord->isEnabled());
        QVERIFY(ui->actionStop->isEnabled());
        QVERIFY(!ui->actionOpen->isEnabled());
        QVERIFY(page2400->isEnabled() && page900->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(page2400->history().samples.size() >= 5, 10000);
        QCOMPARE(page2400->history().samples.columns(), 501);
        QVERIFY(!page2400->spectroPlot()->densityData()->valueMatrix().isEmpty());
        QVERIFY(page2400->waterfallPlot()->waterfallData()->sweepCount() > 0);
        // The project dialog opens beside the running scan while no project is named.
        QVERIFY(window.projectInfoDialog()->isVisible());
        // The Wi-Fi survey's access points reach the samples, the list and the spectrogram.
        QTRY_VERIFY_WITH_TIMEOUT(!page2400->history()
                                      .samples.accessPoints(page2400->history().samples.size() - 1)
                                      .isEmpty(),
                                 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!page2400->spectroPlot()->wifiCurves().isEmpty(), 5000);

        // Recommend ranks the site's plans and draws the quietest.
        VexaIdPanel *panel = ui->dockWidgetContentsVexaIds;
        ui->actionVarsa_VexaIds->setChecked(true);
        QTest::mouseClick(panel->recommendBox(), Qt::LeftButton, {},
                          QPoint(8, panel->recommendBox()->height() / 2));
        QTRY_VERIFY(panel->recommendedId() >= 24000);
        QVERIFY(page2400->vexaIdOverlay()->selectedIds().contains(panel->recommendedId()));
        panel->recommendBox()->setChecked(false);

        // Routing: a 900 MHz sweep while 2.4 GHz is in front is dropped; the offset of -ampl
        // saturates instead of wrapping.
        DeviceComms *comms = window.deviceComms();
        int count = page2400->history().samples.size();
        emit comms->rfsaGetSpecNoInitDone(QDateTime::currentMSecsSinceEpoch(),
                                          RfSpectrumScan(252, -60));
        QCOMPARE(page2400->history().samples.size(), count);
        window.parseArgs({"quorvex", "-ampl", "-20"}, nullptr);
        emit comms->rfsaGetSpecNoInitDone(QDateTime::currentMSecsSinceEpoch(),
                                          RfSpectrumScan(501, -120));
        QCOMPARE(page2400->history().samples.size(), count + 1);
        QVERIFY(
            allOf(page2400->history().samples.scan(page2400->history().samples.size() - 1), -128));
        window.parseArgs({"quorvex", "-ampl", "20"}, nullptr);
        emit comms->rfsaGetSpecNoInitDone(QDateTime::currentMSecsSinceEpoch(),
                                          RfSpectrumScan(501, 120));
        QVERIFY(
            allOf(page2400->history().samples.scan(page2400->history().samples.size() - 1), 127));
        window.parseArgs({"quorvex", "-ampl", "0"}, nullptr);

        // To 900 MHz while scanning: the scan stops, and 750 ms later the 900 MHz scan starts,
        // with the command line's RBW as Scan would set it up.
        window.parseArgs({"quorvex", "-rbw", "50"}, nullptr);
        QElapsedTimer switched;
        switched.start();
        const qint64 switchedAt = simLog.clock.elapsed();
        ui->tabWidget->setCurrentIndex(1);
        QVERIFY(!ui->tabWidget->isTabEnabled(0));
        QTRY_VERIFY_WITH_TIMEOUT(simLog.bandCommand(1) >= 0, 5000);
        QVERIFY(simLog.entries.at(simLog.bandCommand(1)).ms - switchedAt >= 700);
        QTRY_VERIFY(simLog.command(SimCodes::k_setRbw, simLog.bandCommand(1)) >= 0);
        QCOMPARE(
            simLog.entries.at(simLog.command(SimCodes::k_setRbw, simLog.bandCommand(1))).payload,
            QByteArray(1, char(50)));
        QTRY_VERIFY_WITH_TIMEOUT(page900->history().samples.size() >= 3, 10000);
        QCOMPARE(page900->history().samples.columns(), 252);
        QVERIFY(ui->tabWidget->isTabEnabled(0));

        // Back to 2.4 GHz: its history is padded with floor sweeps up to the present.
        const QList<RfSpectrumSample> before = page2400->history().samples.toList();
        ui->tabWidget->setCurrentIndex(0);
        const qint64 afterSwitch = QDateTime::currentMSecsSinceEpoch();
        const QList<RfSpectrumSample> padded = page2400->history().samples.toList();
        QVERIFY(padded.size() > before.size());
        for (int i = before.size(); i < padded.size(); ++i) {
            QVERIFY(allOf(padded.at(i).scan, -128));
            QVERIFY(padded.at(i).timestamp > before.constLast().timestamp);
            QVERIFY(padded.at(i).timestamp <= afterSwitch);
        }
        QTRY_VERIFY_WITH_TIMEOUT(page2400->history().samples.size() > padded.size() + 2, 10000);

        // A recording opened while scanning waits in a disabled tab; the page in front stays.
        RfSpectrumHistory recording;
        recording.freqInterval = QwtInterval(902.0, 928.0);
        recording.rssiInterval = QwtInterval(-100.0, -30.0);
        QTemporaryDir dir;
        QString error;
        QVERIFY(RecordingFile::save(dir.filePath("earlier.tarn"), recording, &error));
        QFile earlier(dir.filePath("earlier.tarn"));
        QVERIFY(window.openFile(earlier));
        QCOMPARE(ui->tabWidget->count(), 3);
        QVERIFY(!ui->tabWidget->isTabEnabled(2));
        QCOMPARE(ui->tabWidget->currentIndex(), 0);

        // A recording tab in front while scanning: the scan stops and none starts.
        ui->tabWidget->addTab(new TabPage900(recording, window.pageActions(), nullptr),
                              "recording");
        const int commandsBefore = simLog.entries.size();
        ui->tabWidget->setCurrentIndex(3);
        QTRY_VERIFY(!comms->scanning());
        QTest::qWait(1200);
        for (int i = commandsBefore; i < simLog.entries.size(); ++i)
            QVERIFY(simLog.entries.at(i).code != SimCodes::k_setFBand);

        // Back on the live page, Space scans and Space stops; Stop asks whether to save,
        // except in QC mode.
        ui->tabWidget->setCurrentIndex(0);
        // The project named, Scan no longer opens the dialog over the window.
        window.projectInfoDialog()->setData({"Hall", "", "", ""});
        window.projectInfoDialog()->accept();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_Space);
        QTRY_VERIFY(comms->scanning());
        QVERIFY(!ui->tabWidget->isTabEnabled(2));
        QTest::keyClick(&window, Qt::Key_Space);
        QCOMPARE(window.prompts->questions, QStringList{"Do you want to save the recording?"});
        // A sweep the stopped scan still hands over stays out of the stopped recording.
        count = page2400->history().samples.size();
        emit comms->rfsaGetSpecNoInitDone(QDateTime::currentMSecsSinceEpoch(),
                                          RfSpectrumScan(501, -60));
        QCOMPARE(page2400->history().samples.size(), count);
        QVERIFY(ui->actionDisconnect->isEnabled() && ui->actionOpen->isEnabled());
        QVERIFY(ui->tabWidget->isTabEnabled(2));
        QTRY_VERIFY(!comms->scanning());
        QVERIFY(ui->actionRecord->isEnabled() && !ui->actionStop->isEnabled());
        // Once the stopped scan has ended, a single sweep (such as the debug console asks for)
        // reaches the page again.
        count = page2400->history().samples.size();
        emit comms->rfsaGetSpecNoInitDone(QDateTime::currentMSecsSinceEpoch(),
                                          RfSpectrumScan(501, -60));
        QCOMPARE(page2400->history().samples.size(), count + 1);
        window.parseArgs({"quorvex", "-qc"}, nullptr);
        // A live page fed by another source (a remote sensor's): its tab stays enabled while
        // the analyzer scans, and in front it leaves the analyzer's scan as it is: the sweeps
        // go on reaching the live page of the band scanned.
        auto *remote = new TabPage900(window.pageActions(), nullptr);
        ui->tabWidget->addTab(remote, "remote");
        ui->actionRecord->trigger();
        QTRY_VERIFY(comms->scanning());
        QVERIFY(!ui->tabWidget->isTabEnabled(2));
        QVERIFY(ui->tabWidget->isTabEnabled(ui->tabWidget->indexOf(remote)));
        ui->tabWidget->setCurrentWidget(remote);
        count = page2400->history().samples.size();
        QTRY_VERIFY(page2400->history().samples.size() > count + 5);
        QVERIFY(comms->scanning());
        QVERIFY(remote->history().samples.isEmpty());
        ui->actionStop->trigger();
        QCOMPARE(window.prompts->questions.size(), 1);
        QVERIFY(window.prompts->criticals.isEmpty());
    }

    // A slow analyzer on the real link rate: the sweep asked for before a Stop still arrives
    // after it. Stop with Scan right behind, and a band switch, keep scanning without an error,
    // and the page after them holds only sweeps asked for after them.
    void stopAndSwitchDuringSlowSweeps()
    {
        SimulatedAnalyzerSettings settings;
        settings.throttle = true;
        settings.sweepTime2400Ms = 900;
        settings.sweepTime900Ms = 900;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        SimLog simLog(sim);

        QuietMainWindow window;
        window.show();
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        Ui::MainWindow *ui = window.getUi();
        DeviceComms *comms = window.deviceComms();
        TabPage *page2400 = window.page(0);
        TabPage *page900 = window.page(1);
        QTRY_VERIFY_WITH_TIMEOUT(page2400->history().samples.size() >= 1, 15000);

        // Just after a sweep the next one is on its way: Stop, and Scan 20 ms later.
        const int seen = page2400->history().samples.size();
        QTRY_VERIFY_WITH_TIMEOUT(page2400->history().samples.size() > seen, 5000);
        ui->actionStop->trigger();
        const int stoppedAt = simLog.entries.size();
        QTest::qWait(20);
        QTRY_VERIFY(ui->actionRecord->isEnabled());
        ui->actionRecord->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(page2400->history().samples.size() >= 3, 15000);
        int setup = simLog.bandCommand(2, stoppedAt);
        QVERIFY(setup >= 0);
        QVERIFY(page2400->history().samples.size() <= simLog.sweepsAfter(setup));
        QVERIFY(comms->scanning());

        // A band switch while the next sweep is on its way.
        const int before = page2400->history().samples.size();
        QTRY_VERIFY_WITH_TIMEOUT(page2400->history().samples.size() > before, 5000);
        const int switchedAt = simLog.entries.size();
        ui->tabWidget->setCurrentIndex(1);
        QTRY_VERIFY_WITH_TIMEOUT(page900->history().samples.size() >= 2, 15000);
        setup = simLog.bandCommand(1, switchedAt);
        QVERIFY(setup >= 0);
        QVERIFY(page900->history().samples.size() <= simLog.sweepsAfter(setup));
        for (int i = 0; i < page900->history().samples.size(); ++i)
            QCOMPARE(page900->history().samples.length(i), 252);
        QVERIFY(comms->scanning());
        QVERIFY(comms->connected());
        QVERIFY(window.prompts->criticals.isEmpty());
    }

    // An analyzer that stops sending half-way through a sweep, still attached: the scan keeps
    // running, the status bar says how long no data has come, and the word goes with the
    // sweeps. Then it is unplugged.
    void stalledAndLostAnalyzer()
    {
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        QuietMainWindow window;
        window.show();
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        TabPage *page2400 = window.page(0);
        QTRY_VERIFY_WITH_TIMEOUT(page2400->history().samples.size() >= 3, 15000);
        QStatusBar *status = window.statusBar();
        const QString noData = QStringLiteral("No data from the analyzer for ");

        // The next sweep stops after its first data frame for nine seconds.
        sim.setStall(1, 9000);
        QElapsedTimer since;
        since.start();
        QTest::qWait(300);
        sim.setStall(0, 0);
        QTRY_VERIFY_WITH_TIMEOUT(status->currentMessage().startsWith(noData), 6000);
        QVERIFY(since.elapsed() >= 4000);
        const int held = page2400->history().samples.size();
        QTRY_COMPARE_WITH_TIMEOUT(status->currentMessage(), noData + "7 s", 4000);
        QVERIFY(window.deviceComms()->scanning());
        QCOMPARE(page2400->history().samples.size(), held);

        QTRY_VERIFY_WITH_TIMEOUT(!status->currentMessage().startsWith(noData), 8000);
        QTRY_VERIFY_WITH_TIMEOUT(page2400->history().samples.size() > held + 2, 5000);
        QVERIFY(!status->currentMessage().startsWith(noData));
        QVERIFY(window.prompts->criticals.isEmpty());

        // The analyzer unplugged mid-scan: the session ends with its message, and the
        // recordings can be opened again as after Stop.
        sim.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!window.deviceComms()->connected(), 10000);
        QVERIFY(!window.prompts->criticals.isEmpty());
        QVERIFY(window.getUi()->actionOpen->isEnabled());
        QVERIFY(window.getUi()->actionConnect->isEnabled());
        QVERIFY(!status->currentMessage().startsWith(noData));
    }
};

QUORVEX_TEST_MAIN(TestMainWindowScan)
#include "tst_mainwindowscan.moc"
