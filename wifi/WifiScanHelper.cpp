#include "WifiScanHelper.h"

#include "NativeWifi.h"
#include "WifiLog.h"

#include <QtConcurrent>

WifiScanHelper::WifiScanHelper(QObject *parent)
    : QObject(parent)
    , m_scan(nativeScan)
{
    // Nobody listens yet: the owner reads wifiAvailable() right after building the scanner.
    m_wifiAvailable = NativeWifi::available();
    connect(NativeWifi::instance(), &NativeWifi::availabilityChanged, this,
            &WifiScanHelper::checkAvailability);
    connect(&m_watcher, &QFutureWatcher<WifiScan>::finished, this, &WifiScanHelper::onScanFinished);
}

void WifiScanHelper::setScanFunction(ScanFunction scan)
{
    m_scan = std::move(scan);
}

void WifiScanHelper::setWifiAvailable(bool avail)
{
    if (avail == m_wifiAvailable)
        return;
    m_wifiAvailable = avail;
    emit wifiAvailableChanged(avail);
}

void WifiScanHelper::startScan()
{
    if (m_watcher.isRunning())
        return;
    // The task owns a copy of the scan function, so a scanner destroyed meanwhile leaves it
    // nothing dangling.
    m_watcher.setFuture(QtConcurrent::run(m_scan));
}

void WifiScanHelper::onScanFinished()
{
    qCDebug(lcWifi) << "Scan Finished!";
    const WifiScan results = m_watcher.future().result();
    for (const WifiApInfo &ap : results)
        qCDebug(lcWifi).noquote() << ap.bssid << ap.ssid << ap.rssi << ap.frequency << ap.width;
    emit scanDone(results);
    checkAvailability();
}

void WifiScanHelper::checkAvailability()
{
    setWifiAvailable(NativeWifi::available());
}
