#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_MainWindow.h"
#include "wifi/NativeWifi.h"

#include <QLabel>
#include <QStatusBar>

namespace {

QStringList statusLabels(const MainWindow &window)
{
    QStringList texts;
    for (const QLabel *label : window.statusBar()->findChildren<QLabel *>()) {
        if (label->text().contains(": v"))
            texts << label->text();
    }
    return texts;
}

SimulatedAnalyzerSettings fastSettings()
{
    SimulatedAnalyzerSettings settings;
    settings.throttle = false;
    return settings;
}

} // namespace

// The window's side of the session: finding the analyzer's port, connecting, following the
// controller's state, and the simulated analyzer of "-simulate".
class TestMainWindowSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noPortAtAll()
    {
        QuietMainWindow window;
        QCOMPARE(window.statusBar()->currentMessage(), QString("Ready to connect"));
        QVERIFY(!window.getUi()->actionDisconnect->isEnabled());
        QVERIFY(!window.getUi()->actionStop->isEnabled());
        QCOMPARE(statusLabels(window), (QStringList{"A: v1.0.0.9.0.281", "R: v---", "H: v---"}));
        // The start-up's Connect finds nothing and says so.
        QTRY_COMPARE(window.prompts->criticals, QStringList{"Unable to find any Quorvex device!"});
        QVERIFY(!window.deviceComms()->busy());
    }

    void oneAnalyzerPortConnectsAtStart()
    {
        SimulatedAnalyzer sim(fastSettings());
        QVERIFY(sim.start());
        QuietMainWindow window({{"ttyS0", ""}, {sim.portName(), "Quorvex"}});
        QSignalSpy connected(window.deviceComms(), &DeviceComms::connectedChanged);
        QVERIFY(connected.wait(5000));
        QVERIFY(window.prompts->choiceLists.isEmpty());
        QVERIFY(!window.getUi()->actionConnect->isEnabled());
        QTRY_COMPARE(statusLabels(window),
                     (QStringList{"A: v1.0.0.9.0.281", "R: v1.0.0.9.0.0", "H: v1.0.0.9.0.69"}));
        // The fresh connection scans at once; Disconnect waits for Stop.
        QTRY_VERIFY(window.deviceComms()->scanning());
        QVERIFY(!window.getUi()->actionDisconnect->isEnabled());
        window.getUi()->actionStop->trigger();
        QVERIFY(window.getUi()->actionDisconnect->isEnabled());
        QTRY_VERIFY(!window.deviceComms()->scanning());
        QTRY_VERIFY(window.statusBar()->currentMessage().isEmpty());

        window.getUi()->actionDisconnect->trigger();
        QVERIFY(connected.wait(5000));
        QCOMPARE(connected.last().at(0).toBool(), false);
        QCOMPARE(statusLabels(window), (QStringList{"A: v1.0.0.9.0.281", "R: v---", "H: v---"}));
        QVERIFY(window.getUi()->actionConnect->isEnabled());
        QVERIFY(window.prompts->criticals.isEmpty());
    }

    void severalPortsAsk()
    {
        SimulatedAnalyzer sim(fastSettings());
        QVERIFY(sim.start());
        const DeviceComms::PortList ports{
            {"ttyUSB0", "Quorvex"}, {"ttyS0", "16550A"}, {sim.portName(), "Quorvex"}};
        QuietMainWindow window(ports);
        // The start-up asks with every serial port; cancelled, nothing happens.
        QTRY_COMPARE(window.prompts->choiceLists.size(), 1);
        QCOMPARE(window.prompts->choiceLists.first(),
                 (QStringList{"ttyUSB0", "ttyS0", sim.portName()}));
        QVERIFY(!window.deviceComms()->busy());

        window.prompts->answer = sim.portName();
        QSignalSpy connected(window.deviceComms(), &DeviceComms::connectedChanged);
        window.getUi()->actionConnect->trigger();
        QVERIFY(connected.wait(5000));
        QCOMPARE(window.deviceComms()->portName(), sim.portName());
    }

    void otherPortsOnlyAreAllCandidates()
    {
        // No port describes itself as the analyzer: every port is a candidate.
        QuietMainWindow window({{"ttyS0", "16550A"}, {"ttyS1", "16550A"}});
        QTRY_COMPARE(window.prompts->choiceLists.size(), 1);
        QCOMPARE(window.prompts->choiceLists.first(), (QStringList{"ttyS0", "ttyS1"}));
    }

    void simulateOption()
    {
        QuietMainWindow window;
        QTRY_COMPARE(window.prompts->criticals.size(), 1); // the start-up's Connect
        window.parseArgs({"quorvex", "-simulate"}, nullptr);
        QVERIFY(window.simulator());
        QCOMPARE(window.portOverride(), window.simulator()->portName());
        QVERIFY(NativeWifi::isSimulating());
        QVERIFY(NativeWifi::available());
        // A second "-simulate" (a hand-off, say) keeps the running simulator; "-port" does not
        // take it over.
        SimulatedAnalyzer *sim = window.simulator();
        window.parseArgs({"quorvex", "-simulate", "-port", "ttyUSB7"}, nullptr);
        QCOMPARE(window.simulator(), sim);
        QCOMPARE(window.portOverride(), sim->portName());

        QSignalSpy connected(window.deviceComms(), &DeviceComms::connectedChanged);
        window.getUi()->actionConnect->trigger();
        QVERIFY(connected.wait(5000));
        QVERIFY(window.prompts->choiceLists.isEmpty());
        QCOMPARE(window.prompts->criticals.size(), 1);
    }

    void simulatedAirEndsWithTheWindow()
    {
        {
            QuietMainWindow window;
            window.parseArgs({"quorvex", "-simulate"}, nullptr);
            QVERIFY(NativeWifi::isSimulating());
        }
        QVERIFY(!NativeWifi::isSimulating());
    }

    void portOption()
    {
        SimulatedAnalyzer sim(fastSettings());
        QVERIFY(sim.start());
        // Two analyzer ports would be a question; the named port is taken without one.
        QuietMainWindow window({{"ttyS0", "Quorvex"}, {"ttyS1", "Quorvex"}});
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        QSignalSpy connected(window.deviceComms(), &DeviceComms::connectedChanged);
        QVERIFY(connected.wait(5000));
        QVERIFY(window.prompts->choiceLists.isEmpty());
        QCOMPARE(window.deviceComms()->portName(), sim.portName());
    }
};

QUORVEX_TEST_MAIN(TestMainWindowSession)
#include "tst_mainwindowsession.moc"
