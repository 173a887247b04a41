#include "QuorvexTest.h"
#include "sim/SimulatedAir.h"
#include "wifi/NativeWifi.h"
#include "wifi/WifiScanHelper.h"

#include <QDir>
#include <QSemaphore>
#include <QThreadPool>

#include <atomic>

namespace {

bool machineHasWifi()
{
    return !QDir(QStringLiteral("/sys/class/ieee80211"))
                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                .isEmpty();
}

// A scan that runs until the test lets it finish, and counts how often it ran.
struct GatedScan
{
    QSemaphore gate;
    std::atomic<int> runs{0};
    WifiScan results;

    WifiScanHelper::ScanFunction function()
    {
        return [this] {
            ++runs;
            gate.acquire();
            return results;
        };
    }
};

void drainPool()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}

} // namespace

class TestWifiScanHelper : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void availabilityAtConstruction();
    void setWifiAvailableSignalsChangesOnly();
    void followsTheSimulationSwitch();
    void secondStartWhileRunningIsDropped();
    void scansAgainOnceFinished();
    void scanDoneCarriesTheSimulatedAir();
    void destroyedWhileScanning();
    void withoutWifiHardware();
};

void TestWifiScanHelper::cleanup()
{
    NativeWifi::clearSimulatedAir();
    drainPool();
}

void TestWifiScanHelper::availabilityAtConstruction()
{
    NativeWifi::setSimulatedAir(SimulatedAir(1));
    WifiScanHelper simulated;
    QVERIFY(simulated.wifiAvailable());
    NativeWifi::clearSimulatedAir();
    QVERIFY(!simulated.wifiAvailable() || machineHasWifi());
}

void TestWifiScanHelper::setWifiAvailableSignalsChangesOnly()
{
    WifiScanHelper helper;
    helper.setWifiAvailable(false);
    QSignalSpy spy(&helper, &WifiScanHelper::wifiAvailableChanged);
    helper.setWifiAvailable(true);
    helper.setWifiAvailable(true);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(helper.wifiAvailable());
    helper.setWifiAvailable(false);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
}

void TestWifiScanHelper::followsTheSimulationSwitch()
{
    if (machineHasWifi())
        QSKIP("This machine has Wi-Fi hardware: it stays available without the simulation");
    WifiScanHelper helper;
    QVERIFY(!helper.wifiAvailable());
    QSignalSpy spy(&helper, &WifiScanHelper::wifiAvailableChanged);
    NativeWifi::setSimulatedAir(SimulatedAir(5));
    QCOMPARE(spy.count(), 1);
    QVERIFY(helper.wifiAvailable());
    NativeWifi::setSimulatedAir(SimulatedAir(6));
    QCOMPARE(spy.count(), 1);
    NativeWifi::clearSimulatedAir();
    QCOMPARE(spy.count(), 2);
    QVERIFY(!helper.wifiAvailable());
}

void TestWifiScanHelper::secondStartWhileRunningIsDropped()
{
    GatedScan scan;
    scan.results = NativeWifi::simulatedScan(SimulatedAir(2), 0);
    WifiScanHelper helper;
    helper.setScanFunction(scan.function());
    QSignalSpy done(&helper, &WifiScanHelper::scanDone);

    helper.startScan();
    QVERIFY(helper.isScanning());
    helper.startScan();
    scan.gate.release(2); // a second scan, had it been started, would not block either
    QVERIFY(done.wait());
    drainPool();
    QCOMPARE(scan.runs.load(), 1);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).value<WifiScan>(), scan.results);
}

void TestWifiScanHelper::scansAgainOnceFinished()
{
    GatedScan scan;
    WifiScanHelper helper;
    helper.setScanFunction(scan.function());
    QSignalSpy done(&helper, &WifiScanHelper::scanDone);
    scan.gate.release(2);
    helper.startScan();
    QVERIFY(done.wait());
    QVERIFY(!helper.isScanning());
    helper.startScan();
    QTRY_COMPARE(done.count(), 2);
    QCOMPARE(scan.runs.load(), 2);
    QVERIFY(done.at(1).at(0).value<WifiScan>().isEmpty());
}

void TestWifiScanHelper::scanDoneCarriesTheSimulatedAir()
{
    const SimulatedAir air(11);
    NativeWifi::setSimulatedAir(air);
    WifiScanHelper helper;
    QSignalSpy availability(&helper, &WifiScanHelper::wifiAvailableChanged);
    QSignalSpy done(&helper, &WifiScanHelper::scanDone);
    helper.startScan();
    QVERIFY(done.wait());
    const WifiScan results = done.at(0).at(0).value<WifiScan>();
    QCOMPARE(results.size(), air.accessPoints().size());
    for (int i = 0; i < results.size(); ++i) {
        QCOMPARE(results.at(i).bssid, air.accessPoints().at(i).bssid);
        QCOMPARE(results.at(i).ssid, air.accessPoints().at(i).ssid);
    }
    // Still available after the scan: nothing to announce.
    QCOMPARE(availability.count(), 0);
}

void TestWifiScanHelper::destroyedWhileScanning()
{
    GatedScan scan;
    auto *helper = new WifiScanHelper;
    helper->setScanFunction(scan.function());
    helper->startScan();
    delete helper;
    scan.gate.release();
    drainPool();
    QCOMPARE(scan.runs.load(), 1);
}

void TestWifiScanHelper::withoutWifiHardware()
{
    if (machineHasWifi())
        QSKIP("This machine has Wi-Fi hardware");
    // The real scanner: unavailable, and a scan asked for anyway finds nothing.
    WifiScanHelper helper;
    QVERIFY(!helper.wifiAvailable());
    QSignalSpy availability(&helper, &WifiScanHelper::wifiAvailableChanged);
    QSignalSpy done(&helper, &WifiScanHelper::scanDone);
    helper.startScan();
    QVERIFY(done.wait());
    QVERIFY(done.at(0).at(0).value<WifiScan>().isEmpty());
    QCOMPARE(availability.count(), 0);
    QVERIFY(!helper.wifiAvailable());
}

QUORVEX_TEST_GUILESS_MAIN(TestWifiScanHelper)
#include "tst_wifiscanhelper.moc"
