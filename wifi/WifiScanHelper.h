#pragma once

#include "data/WifiApInfo.h"

#include <QFutureWatcher>
#include <QObject>

#include <functional>

// Runs Wi-Fi scans in the background, one at a time, on the process-wide thread pool and hands
// each result back on its own thread as scanDone(). Also tells whether Wi-Fi can be scanned:
// checked when it is built, after every scan and whenever the platform layer announces a
// change. It has no timer; its owner paces the scans.
class WifiScanHelper : public QObject
{
    Q_OBJECT

public:
    using ScanFunction = std::function<WifiScan()>;

    explicit WifiScanHelper(QObject *parent = nullptr);

    bool wifiAvailable() const { return m_wifiAvailable; }

    // Replaces the source of the scans (nativeScan by default). The function runs on a thread
    // of the pool and must share nothing with the caller.
    void setScanFunction(ScanFunction scan);

    bool isScanning() const { return m_watcher.isRunning(); }

public slots:
    void setWifiAvailable(bool avail);
    // Starts a scan unless one is still running; a request made meanwhile is dropped.
    void startScan();
    void onScanFinished();

signals:
    void wifiAvailableChanged(bool avail);
    void scanDone(WifiScan results);

private:
    void checkAvailability();

    bool m_wifiAvailable = false;
    QFutureWatcher<WifiScan> m_watcher;
    ScanFunction m_scan;
};
