#include "NativeWifi.h"

#include "Nl80211.h"
#include "WifiLog.h"
#include "data/Constants.h"
#include "sim/SimulatedAir.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <optional>

namespace {

// The simulated air, set by the program's simulation option; read by scans on the thread pool.
QMutex g_airMutex;
std::optional<SimulatedAir> g_air;

std::optional<SimulatedAir> simulatedAir()
{
    QMutexLocker lock(&g_airMutex);
    return g_air;
}

} // namespace

NativeWifi *NativeWifi::instance()
{
    static NativeWifi notifier;
    return &notifier;
}

bool NativeWifi::available()
{
    if (isSimulating())
        return true;
    Nl80211 nl80211;
    return nl80211.isOpen() && !nl80211.stationInterfaces().isEmpty();
}

WifiScan NativeWifi::scan()
{
    if (const std::optional<SimulatedAir> air = simulatedAir())
        return simulatedScan(*air, QDateTime::currentMSecsSinceEpoch());

    WifiScan results;
    Nl80211 nl80211;
    if (!nl80211.isOpen()) {
        // Scans come every few seconds; say it once.
        static std::atomic<bool> told{false};
        if (!told.exchange(true))
            qCDebug(lcWifi) << "The kernel has no nl80211 (no wireless driver): no Wi-Fi scans";
        return results;
    }
    const QList<int> interfaces = nl80211.stationInterfaces();
    for (int ifindex : interfaces) {
        // A refused request (unprivileged, or a scan already running) still leaves the results
        // that the desktop's network service scanned last.
        nl80211.triggerScan(ifindex);
        results += nl80211.scanResults(ifindex);
    }
    return results;
}

void NativeWifi::setSimulatedAir(const SimulatedAir &air)
{
    {
        QMutexLocker lock(&g_airMutex);
        g_air = air;
    }
    emit instance()->availabilityChanged();
}

void NativeWifi::clearSimulatedAir()
{
    {
        QMutexLocker lock(&g_airMutex);
        g_air.reset();
    }
    emit instance()->availabilityChanged();
}

bool NativeWifi::isSimulating()
{
    QMutexLocker lock(&g_airMutex);
    return g_air.has_value();
}

WifiScan NativeWifi::simulatedScan(const SimulatedAir &air, qint64 msecsSinceEpoch)
{
    WifiScan results;
    const QList<SimulatedAccessPoint> &accessPoints = air.accessPoints();
    for (int i = 0; i < accessPoints.size(); ++i) {
        const SimulatedAccessPoint &ap = accessPoints.at(i);
        if (channelFrequency(ap.channel) == 0)
            continue;
        results.append(
            makeAccessPoint(ap.bssid, ap.ssid, air.scannedRssi(i, msecsSinceEpoch), ap.channel));
    }
    return results;
}

QColor NativeWifi::bssidColor(const QString &bssid)
{
    const QByteArray digest
        = QCryptographicHash::hash(bssid.toLocal8Bit(), QCryptographicHash::Md5);
    // Each digest byte counts as a signed value; a negative sum wraps around as an unsigned
    // 32-bit number before the remainder is taken. Stored recordings hold the colours this
    // gives, so the arithmetic stays exactly as it is.
    quint32 h = 0;
    for (const char byte : digest)
        h = (h + quint32(qint32(qint8(byte)))) % 300u;
    const int hue = h <= 219 ? int(h) : int(h) + 60;
    return QColor::fromHsv(hue, 255, 255, 255);
}

int NativeWifi::channelFrequency(int channel)
{
    if (channel < 1 || channel > 14)
        return 0;
    return int(Constants::k_wifiChannelFreq.at(channel));
}

int NativeWifi::frequencyChannel(int mhz)
{
    return Constants::k_wifiFreqChannel.value(double(mhz), 0);
}

WifiApInfo NativeWifi::makeAccessPoint(const QString &bssid, const QString &ssid, int rssi,
                                       int channel)
{
    WifiApInfo ap;
    ap.bssid = bssid;
    ap.ssid = ssid;
    ap.rssi = rssi;
    ap.frequency = channelFrequency(channel);
    ap.width = 20; // the outline is drawn for a 20 MHz channel, whatever the network uses
    ap.color = bssidColor(bssid);
    return ap;
}

WifiScan nativeScan()
{
    return NativeWifi::scan();
}
