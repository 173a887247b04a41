#include "QuorvexTest.h"
#include "wifi/NativeWifi.h"
#include "wifi/Nl80211.h"

#include <QDir>

#include <linux/nl80211.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

#include <memory>

Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(std::optional<quint32>)

namespace {

// Messages are built as the kernel sends them, with libnl's own attribute functions.
struct MsgDeleter
{
    void operator()(nl_msg *msg) const { nlmsg_free(msg); }
};
using Msg = std::unique_ptr<nl_msg, MsgDeleter>;

constexpr int k_family = 28; // any family id: the parser does not look at it

Msg newMessage(quint8 command)
{
    Msg msg(nlmsg_alloc());
    genlmsg_put(msg.get(), 0, 1, k_family, 0, NLM_F_MULTI, command, 0);
    return msg;
}

struct Bss
{
    QByteArray bssid = QByteArray::fromHex("a42bb0c17e10");
    int frequency = 2437;
    std::optional<int> signalMbm = -6550;
    std::optional<QByteArray> ies; // information elements
    std::optional<QByteArray> beaconIes;
};

QByteArray ssidElement(const QByteArray &ssid)
{
    return QByteArray(1, '\0') + char(ssid.size()) + ssid;
}

Msg scanMessage(const Bss &bss, quint8 command = NL80211_CMD_NEW_SCAN_RESULTS)
{
    Msg msg = newMessage(command);
    nla_put_u32(msg.get(), NL80211_ATTR_IFINDEX, 3);
    nlattr *nest = nla_nest_start(msg.get(), NL80211_ATTR_BSS);
    nla_put(msg.get(), NL80211_BSS_BSSID, bss.bssid.size(), bss.bssid.constData());
    nla_put_u32(msg.get(), NL80211_BSS_FREQUENCY, quint32(bss.frequency));
    if (bss.signalMbm)
        nla_put_u32(msg.get(), NL80211_BSS_SIGNAL_MBM, quint32(qint32(*bss.signalMbm)));
    if (bss.ies)
        nla_put(msg.get(), NL80211_BSS_INFORMATION_ELEMENTS, bss.ies->size(), bss.ies->constData());
    if (bss.beaconIes)
        nla_put(msg.get(), NL80211_BSS_BEACON_IES, bss.beaconIes->size(),
                bss.beaconIes->constData());
    nla_nest_end(msg.get(), nest);
    return msg;
}

Msg interfaceMessage(std::optional<int> ifindex, std::optional<quint32> iftype)
{
    Msg msg = newMessage(NL80211_CMD_NEW_INTERFACE);
    if (ifindex)
        nla_put_u32(msg.get(), NL80211_ATTR_IFINDEX, quint32(*ifindex));
    nla_put_string(msg.get(), NL80211_ATTR_IFNAME, "wlan0");
    if (iftype)
        nla_put_u32(msg.get(), NL80211_ATTR_IFTYPE, *iftype);
    return msg;
}

bool machineHasWifi()
{
    return !QDir(QStringLiteral("/sys/class/ieee80211"))
                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                .isEmpty();
}

} // namespace

class TestNl80211 : public QObject
{
    Q_OBJECT

private slots:
    void scanResultFrequency_data();
    void scanResultFrequency();
    void scanResultRecord();
    void ssid_data();
    void ssid();
    void signal_data();
    void signal();
    void unusableMessagesDropped_data();
    void unusableMessagesDropped();
    void stationInterface_data();
    void stationInterface();
    void thisMachine();
};

void TestNl80211::scanResultFrequency_data()
{
    QTest::addColumn<int>("kernelMhz");
    QTest::addColumn<int>("frequency"); // 0: not listed

    QTest::newRow("channel 1") << 2412 << 2412;
    QTest::newRow("channel 6") << 2437 << 2437;
    QTest::newRow("channel 13") << 2472 << 2472;
    QTest::newRow("channel 14") << 2484 << 2484;
    QTest::newRow("channel 0") << 2407 << 0;
    QTest::newRow("channel 15") << 2489 << 0;
    QTest::newRow("between channels") << 2413 << 0;
    QTest::newRow("5 GHz channel 36") << 5180 << 0;
    QTest::newRow("6 GHz") << 5955 << 0;
}

void TestNl80211::scanResultFrequency()
{
    QFETCH(int, kernelMhz);
    QFETCH(int, frequency);
    Bss bss;
    bss.frequency = kernelMhz;
    const std::optional<WifiApInfo> ap = Nl80211::parseScanResult(scanMessage(bss).get());
    QCOMPARE(ap.has_value(), frequency != 0);
    if (ap)
        QCOMPARE(ap->frequency, frequency);
}

void TestNl80211::scanResultRecord()
{
    Bss bss;
    bss.ies = QByteArray::fromHex("010882848b960c121824") + ssidElement("Stage-Net");
    const std::optional<WifiApInfo> ap = Nl80211::parseScanResult(scanMessage(bss).get());
    QVERIFY(ap);
    QCOMPARE(ap->bssid, QStringLiteral("a4:2b:b0:c1:7e:10"));
    QCOMPARE(ap->ssid, QStringLiteral("Stage-Net"));
    QCOMPARE(ap->rssi, -65);
    QCOMPARE(ap->frequency, 2437);
    QCOMPARE(ap->width, 20);
    QCOMPARE(ap->color, NativeWifi::bssidColor(QStringLiteral("a4:2b:b0:c1:7e:10")));
}

void TestNl80211::ssid_data()
{
    QTest::addColumn<QByteArray>("ies");
    QTest::addColumn<bool>("beaconOnly");
    QTest::addColumn<QString>("ssid");

    const QByteArray rates = QByteArray::fromHex("010482848b96");
    QTest::newRow("first element") << ssidElement("FOH-Audio") + rates << false << "FOH-Audio";
    QTest::newRow("after other elements")
        << rates + ssidElement("Guest WiFi") << false << "Guest WiFi";
    QTest::newRow("UTF-8") << ssidElement("Bühne") << false << QStringLiteral("Bühne");
    QTest::newRow("hidden, empty") << ssidElement("") + rates << false << "";
    QTest::newRow("hidden, zero bytes") << ssidElement(QByteArray(9, '\0')) << false << "";
    QTest::newRow("no SSID element") << rates << false << "";
    QTest::newRow("no elements") << QByteArray() << false << "";
    QTest::newRow("element longer than the block")
        << QByteArray::fromHex("0020") + QByteArray("short") << false << "";
    QTest::newRow("truncated element before the SSID")
        << QByteArray::fromHex("01ff8284") + ssidElement("Box Office") << false << "";
    QTest::newRow("lone element id") << rates + QByteArray(1, '\0') << false << "";
    QTest::newRow("beacon elements only") << ssidElement("Catering") << true << "Catering";
}

void TestNl80211::ssid()
{
    QFETCH(QByteArray, ies);
    QFETCH(bool, beaconOnly);
    QFETCH(QString, ssid);
    Bss bss;
    (beaconOnly ? bss.beaconIes : bss.ies) = ies;
    const std::optional<WifiApInfo> ap = Nl80211::parseScanResult(scanMessage(bss).get());
    QVERIFY(ap);
    QCOMPARE(ap->ssid, ssid);
}

void TestNl80211::signal_data()
{
    QTest::addColumn<int>("mbm");
    QTest::addColumn<int>("rssi");

    QTest::newRow("-65.50 dBm") << -6550 << -65;
    QTest::newRow("-80 dBm") << -8000 << -80;
    QTest::newRow("-100.99 dBm") << -10099 << -100;
    QTest::newRow("-20 dBm") << -2000 << -20;
}

void TestNl80211::signal()
{
    QFETCH(int, mbm);
    QFETCH(int, rssi);
    Bss bss;
    bss.signalMbm = mbm;
    const std::optional<WifiApInfo> ap = Nl80211::parseScanResult(scanMessage(bss).get());
    QVERIFY(ap);
    QCOMPARE(ap->rssi, rssi);
}

void TestNl80211::unusableMessagesDropped_data()
{
    QTest::addColumn<int>("variant");

    QTest::newRow("no signal level") << 0;
    QTest::newRow("short BSSID") << 1;
    QTest::newRow("other command") << 2;
    QTest::newRow("no BSS attribute") << 3;
    QTest::newRow("truncated frequency") << 4;
}

void TestNl80211::unusableMessagesDropped()
{
    QFETCH(int, variant);
    Bss bss;
    Msg msg;
    switch (variant) {
    case 0:
        bss.signalMbm.reset();
        msg = scanMessage(bss);
        break;
    case 1:
        bss.bssid.chop(1);
        msg = scanMessage(bss);
        break;
    case 2:
        msg = scanMessage(bss, NL80211_CMD_SCAN_ABORTED);
        break;
    case 3:
        msg = newMessage(NL80211_CMD_NEW_SCAN_RESULTS);
        nla_put_u32(msg.get(), NL80211_ATTR_IFINDEX, 3);
        break;
    case 4: {
        msg = newMessage(NL80211_CMD_NEW_SCAN_RESULTS);
        nlattr *nest = nla_nest_start(msg.get(), NL80211_ATTR_BSS);
        nla_put(msg.get(), NL80211_BSS_BSSID, 6, bss.bssid.constData());
        nla_put_u16(msg.get(), NL80211_BSS_FREQUENCY, 2437);
        nla_put_u32(msg.get(), NL80211_BSS_SIGNAL_MBM, quint32(-5000));
        nla_nest_end(msg.get(), nest);
        break;
    }
    }
    QVERIFY(!Nl80211::parseScanResult(msg.get()));
}

void TestNl80211::stationInterface_data()
{
    QTest::addColumn<std::optional<int>>("ifindex");
    QTest::addColumn<std::optional<quint32>>("iftype");
    QTest::addColumn<int>("expected"); // 0: not a station interface

    QTest::newRow("station") << std::optional<int>(4)
                             << std::optional<quint32>(NL80211_IFTYPE_STATION) << 4;
    QTest::newRow("access point") << std::optional<int>(4)
                                  << std::optional<quint32>(NL80211_IFTYPE_AP) << 0;
    QTest::newRow("monitor") << std::optional<int>(5)
                             << std::optional<quint32>(NL80211_IFTYPE_MONITOR) << 0;
    QTest::newRow("P2P device, no netdev")
        << std::optional<int>() << std::optional<quint32>(NL80211_IFTYPE_STATION) << 0;
    QTest::newRow("no type") << std::optional<int>(4) << std::optional<quint32>() << 0;
}

void TestNl80211::stationInterface()
{
    QFETCH(std::optional<int>, ifindex);
    QFETCH(std::optional<quint32>, iftype);
    QFETCH(int, expected);
    const std::optional<int> found
        = Nl80211::parseStationInterface(interfaceMessage(ifindex, iftype).get());
    QCOMPARE(found.value_or(0), expected);
    // A scan message is not an interface, nor the other way round.
    QVERIFY(!Nl80211::parseStationInterface(scanMessage(Bss()).get()));
    QVERIFY(!Nl80211::parseScanResult(interfaceMessage(ifindex, iftype).get()));
}

void TestNl80211::thisMachine()
{
    // Whatever the kernel offers, the calls answer and never hang or crash; without Wi-Fi
    // hardware they answer nothing.
    Nl80211 nl80211;
    const QList<int> interfaces = nl80211.stationInterfaces();
    if (machineHasWifi()) {
        for (int ifindex : interfaces) {
            const WifiScan scan = nl80211.scanResults(ifindex);
            for (const WifiApInfo &ap : scan)
                QVERIFY(NativeWifi::frequencyChannel(ap.frequency) != 0);
        }
        return;
    }
    QVERIFY(interfaces.isEmpty());
    QVERIFY(!nl80211.triggerScan(1));
    QVERIFY(nl80211.scanResults(1).isEmpty());
}

QUORVEX_TEST_GUILESS_MAIN(TestNl80211)
#include "tst_nl80211.moc"
