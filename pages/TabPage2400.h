#pragma once

#include "PageActions.h"
#include "TabPage.h"
#include "wifi/WifiScanHelper.h"

#include <QElapsedTimer>

class QAction;
class WifiList;

// The page of the 2400-2500 MHz band: VEXA IDs from 24000 on, a Wi-Fi or ZigBee channel axis,
// and the Wi-Fi survey. While its sweeps arrive, a live page scans the access points the
// computer hears about every four seconds, stores the latest result with every sample, lists
// them in the main window's Wi-Fi list and outlines the ones the list selects on the
// spectrogram; while none arrive, it scans nothing. A playback page shows the access points
// stored in its recording.
class TabPage2400 : public TabPage
{
    Q_OBJECT

public:
    // The lowest VEXA ID of the band's networks.
    static constexpr int k_minVexaId = 24000;

    // A live page; one fed by a remote sensor does not survey this computer's Wi-Fi.
    TabPage2400(const PageActions &actions, QWidget *parent, bool surveyWifi = true);
    TabPage2400(RfSpectrumHistory hist, const PageActions &actions, QWidget *parent);

    static bool inBand(int vexaId) { return vexaId >= k_minVexaId; }

    WifiScanHelper *wifiScanner() { return &m_wifiScanner; }
    QAction *showWifiAction() const { return m_showWifiAction; }
    QAction *wifiListAction() const { return m_wifiListAction; }

    void loadWifiHistoryToList();
    void setCurrentWifisToList();

public Q_SLOTS:
    void onNewSpecScan(qint64 timeStamp, RfSpectrumScan spectrum) override;
    void onActionToggleChannelsToggled();
    void onWifiAvailableChanged(bool avail);
    void onWifiScanDone(WifiScan results);
    void onActionShowWifiToggled(bool checked);
    void updateWifisToDraw(WifiScan networks);

protected:
    void showEvent(QShowEvent *event) override;

private:
    WifiList *wifiList() const;
    // The channel axis on top of both displays and its action in the tool bar, before the
    // VEXA ID action.
    void addChannelAxis();
    // The channel axis the action's text names.
    void followChannelAction();
    // The Show Wi-Fi and Wi-Fi List actions into the tool bar, once.
    void addWifiActions();
    // The access points stored with the newest visible sample (upper value `upper`) to the list.
    void showStoredWifis(qint64 upper);
    // Whether sweeps arrived lately, for the survey's results to be stored with.
    bool surveyWanted() const;

    const PageActions m_actions;
    WifiScanHelper m_wifiScanner;
    QElapsedTimer m_wifiScanTimer;
    QElapsedTimer m_lastSweep;
    // Wi-Fi can be scanned; a scan runs or is scheduled.
    bool m_surveyOn = false;
    bool m_surveying = false;
    QAction *m_showWifiAction = nullptr;
    QAction *m_wifiListAction = nullptr;
};
