#include "QuorvexTest.h"
#include "sim/SimulatedAir.h"
#include "wifi/NativeWifi.h"

#include <QDir>
#include <QRandomGenerator>

namespace {
bool machineHasWifi()
{
    return !QDir(QStringLiteral("/sys/class/ieee80211"))
                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                .isEmpty();
}
} // namespace

class TestNativeWifi : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void colourOfBssid_data();
    void colourOfBssid();
    void colourStableAndNeverBlueViolet();
    void channels_data();
    void channels();
    void simulatedAirIsScanned();
    void simulatedScanJitter();
    void switchAnnouncesAvailability();
    void withoutWifiHardware();
};

void TestNativeWifi::cleanup()
{
    NativeWifi::clearSimulatedAir();
}

void TestNativeWifi::colourOfBssid_data()
{
    QTest::addColumn<QString>("bssid");
    QTest::addColumn<int>("hue");

    // a4:2b:b0:c1:7e:10 has the digest 60 7a 51 fb a9 af bd 80 36 37 be 65 2a 25 a1 90. The
    // running sum goes 96, 218, 299, 294, 207, 126, 59; then 59 - 128 wraps to 2^32 - 69,
    // whose remainder is 127 (a true modulo would give 231); 181, 236, 170, 271, 13, 50;
    // 50 - 95 wraps to 151; 151 - 112 = 39.
    QTest::newRow("wrapping sum") << "a4:2b:b0:c1:7e:10" << 39;
    // Digest 4a 70 74 68 8e a4 a3 2c d2 57 f7 c6 72 d5 63 65 sums to 292, above 219: hue 352.
    QTest::newRow("shifted past blue-violet") << "00:11:22:33:44:55" << 352;
    // MD5 of nothing is d4 1d 8c d9 8f 00 b2 04 e9 80 09 98 ec f8 42 7e: hue 45.
    QTest::newRow("empty BSSID") << "" << 45;
}

void TestNativeWifi::colourOfBssid()
{
    QFETCH(QString, bssid);
    QFETCH(int, hue);
    QCOMPARE(NativeWifi::bssidColor(bssid), QColor::fromHsv(hue, 255, 255, 255));
}

void TestNativeWifi::colourStableAndNeverBlueViolet()
{
    QRandomGenerator rng(20240611);
    QSet<int> hues;
    for (int i = 0; i < 3000; ++i) {
        QStringList octets;
        for (int o = 0; o < 6; ++o)
            octets.append(QStringLiteral("%1").arg(rng.bounded(256), 2, 16, QLatin1Char('0')));
        const QString bssid = octets.join(QLatin1Char(':'));
        const QColor colour = NativeWifi::bssidColor(bssid);
        QCOMPARE(NativeWifi::bssidColor(bssid), colour);
        QVERIFY2(colour.hsvHue() < 220 || colour.hsvHue() > 279, qPrintable(bssid));
        QCOMPARE(colour.hsvSaturation(), 255);
        QCOMPARE(colour.value(), 255);
        QCOMPARE(colour.alpha(), 255);
        hues.insert(colour.hsvHue());
    }
    // The colours spread over the whole allowed circle, not a few hues.
    QVERIFY(hues.size() > 250);
}

void TestNativeWifi::channels_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("mhz");

    QTest::newRow("0") << 0 << 0;
    QTest::newRow("1") << 1 << 2412;
    QTest::newRow("6") << 6 << 2437;
    QTest::newRow("13") << 13 << 2472;
    QTest::newRow("14") << 14 << 2484;
    QTest::newRow("15") << 15 << 0;
    QTest::newRow("36") << 36 << 0;
    QTest::newRow("-1") << -1 << 0;
}

void TestNativeWifi::channels()
{
    QFETCH(int, channel);
    QFETCH(int, mhz);
    QCOMPARE(NativeWifi::channelFrequency(channel), mhz);
    if (mhz != 0)
        QCOMPARE(NativeWifi::frequencyChannel(mhz), channel);
}

void TestNativeWifi::simulatedAirIsScanned()
{
    const SimulatedAir air(42);
    QVERIFY(!air.accessPoints().isEmpty());
    NativeWifi::setSimulatedAir(air);
    QVERIFY(NativeWifi::isSimulating());
    QVERIFY(NativeWifi::available());

    const WifiScan scan = nativeScan();
    QCOMPARE(scan.size(), air.accessPoints().size());
    for (int i = 0; i < scan.size(); ++i) {
        const SimulatedAccessPoint &source = air.accessPoints().at(i);
        const WifiApInfo &ap = scan.at(i);
        QCOMPARE(ap.bssid, source.bssid);
        QCOMPARE(ap.ssid, source.ssid);
        QCOMPARE(ap.frequency, 2412 + 5 * (source.channel - 1));
        QCOMPARE(ap.width, 20);
        QCOMPARE(ap.color, NativeWifi::bssidColor(source.bssid));
        QVERIFY(qAbs(ap.rssi - source.rssi) <= 3);
    }

    NativeWifi::clearSimulatedAir();
    QVERIFY(!NativeWifi::isSimulating());
}

void TestNativeWifi::simulatedScanJitter()
{
    const SimulatedAir air(7);
    const qint64 t = 1700000000000;
    // Scans within one interval agree; over many intervals the levels move, within 3 dB.
    QCOMPARE(NativeWifi::simulatedScan(air, t), NativeWifi::simulatedScan(air, t));
    QCOMPARE(NativeWifi::simulatedScan(air, t), NativeWifi::simulatedScan(SimulatedAir(7), t));
    bool moved = false;
    const WifiScan first = NativeWifi::simulatedScan(air, t);
    for (int slot = 1; slot < 20; ++slot) {
        const WifiScan later = NativeWifi::simulatedScan(air, t + slot * 4000);
        QCOMPARE(later.size(), first.size());
        for (int i = 0; i < later.size(); ++i) {
            QCOMPARE(later.at(i).bssid, first.at(i).bssid);
            QVERIFY(qAbs(later.at(i).rssi - air.accessPoints().at(i).rssi) <= 3);
            moved = moved || later.at(i).rssi != first.at(i).rssi;
        }
    }
    QVERIFY(moved);
}

void TestNativeWifi::switchAnnouncesAvailability()
{
    QSignalSpy spy(NativeWifi::instance(), &NativeWifi::availabilityChanged);
    NativeWifi::setSimulatedAir(SimulatedAir(3));
    QCOMPARE(spy.count(), 1);
    QVERIFY(NativeWifi::available());
    NativeWifi::clearSimulatedAir();
    QCOMPARE(spy.count(), 2);
    if (!machineHasWifi())
        QVERIFY(!NativeWifi::available());
}

void TestNativeWifi::withoutWifiHardware()
{
    if (machineHasWifi())
        QSKIP("This machine has Wi-Fi hardware");
    QVERIFY(!NativeWifi::available());
    QVERIFY(nativeScan().isEmpty());
}

QUORVEX_TEST_GUILESS_MAIN(TestNativeWifi)
#include "tst_nativewifi.moc"
