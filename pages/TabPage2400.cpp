#include "TabPage2400.h"

#include "PageActions.h"
#include "data/Constants.h"
#include "networks/VexaIdOverlay.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "widgets/RangeSlider.h"
#include "wifi/WifiList.h"

#include <QMenu>
#include <QTimer>

TabPage2400::TabPage2400(const PageActions &actions, QWidget *parent, bool surveyWifi)
    : TabPage(actions, parent)
    , m_actions(actions)
{
    vexaIdOverlay()->setBand(&TabPage2400::inBand);
    setBandIntervals(Constants::k_2400ScanParams);
    addChannelAxis();
    if (!surveyWifi)
        return;
    onWifiAvailableChanged(m_wifiScanner.wifiAvailable());
    connect(&m_wifiScanner, &WifiScanHelper::wifiAvailableChanged, this,
            &TabPage2400::onWifiAvailableChanged);
}

TabPage2400::TabPage2400(RfSpectrumHistory hist, const PageActions &actions, QWidget *parent)
    : TabPage(std::move(hist), actions, parent)
    , m_actions(actions)
{
    vexaIdOverlay()->setBand(&TabPage2400::inBand);
    // The channel axis first, so the tool bar reads the same as on the live page.
    addChannelAxis();
    const SampleStore &samples = history().samples;
    if (samples.isEmpty() || samples.accessPoints(samples.size() - 1).isEmpty())
        return;
    addWifiActions();
    loadWifiHistoryToList();
    connect(wifiList(), &WifiList::newNetworksToDraw, this, &TabPage2400::updateWifisToDraw,
            Qt::UniqueConnection);
    connect(timeBar(), &RangeSlider::upperValueChanged, this,
            [this](qint64 upper) { showStoredWifis(upper); });
}

WifiList *TabPage2400::wifiList() const
{
    return m_actions.wifiList;
}

void TabPage2400::addChannelAxis()
{
    spectroPlot()->enableAxis(QwtPlot::xTop);
    waterfallPlot()->enableAxis(QwtPlot::xTop);
    connect(m_actions.toggleChannels, &QAction::triggered, this,
            &TabPage2400::onActionToggleChannelsToggled);
    networksMenu()->insertAction(m_actions.vexaIds, m_actions.toggleChannels);
    networksMenu()->insertSeparator(m_actions.vexaIds);
}

void TabPage2400::addWifiActions()
{
    if (m_showWifiAction)
        return;
    m_showWifiAction = m_actions.showWifi;
    m_wifiListAction = m_actions.toggleWifiList;
    networksMenu()->addSeparator();
    networksMenu()->addAction(m_showWifiAction);
    networksMenu()->addAction(m_wifiListAction);
    connect(m_showWifiAction, &QAction::toggled, this, &TabPage2400::onActionShowWifiToggled,
            Qt::UniqueConnection);
}

void TabPage2400::onWifiAvailableChanged(bool avail)
{
    if (!avail)
        return;
    // A repeated announcement restarts the survey; the actions and connections exist once.
    addWifiActions();
    connect(&m_wifiScanner, &WifiScanHelper::scanDone, this, &TabPage2400::onWifiScanDone,
            Qt::UniqueConnection);
    m_wifiScanTimer.start();
    connect(wifiList(), &WifiList::newNetworksToDraw, this, &TabPage2400::updateWifisToDraw,
            Qt::UniqueConnection);
    connect(timeBar(), &RangeSlider::upperValueChanged, this, &TabPage2400::setCurrentWifisToList,
            Qt::UniqueConnection);
    m_surveyOn = true;
    if (surveyWanted()) {
        m_surveying = true;
        m_wifiScanner.startScan();
    }
}

bool TabPage2400::surveyWanted() const
{
    // A result is kept with the newest sweep: while none arrive, there is nothing to keep it.
    return m_lastSweep.isValid() && m_lastSweep.elapsed() < 2 * Constants::k_wifiScanInterval;
}

void TabPage2400::onWifiScanDone(WifiScan results)
{
    setNewestWifi(results);
    // The survey rests while no sweeps arrive; the next sweep wakes it.
    if (!surveyWanted()) {
        m_surveying = false;
        return;
    }

    const qint64 elapsed
        = m_wifiScanTimer.isValid() ? m_wifiScanTimer.elapsed() : Constants::k_wifiScanInterval + 1;
    if (elapsed > Constants::k_wifiScanInterval) {
        m_wifiScanTimer.restart();
        m_wifiScanner.startScan();
    } else {
        QTimer::singleShot(int(Constants::k_wifiScanInterval - elapsed), &m_wifiScanner,
                           &WifiScanHelper::startScan);
    }
}

void TabPage2400::onNewSpecScan(qint64 timeStamp, RfSpectrumScan spectrum)
{
    // Every sample carries the most recent Wi-Fi scan result, shared with the sample before.
    const SampleStore &samples = history().samples;
    const WifiScan aps = samples.isEmpty() ? WifiScan() : samples.accessPoints(samples.size() - 1);
    addNewSpectrumSample(RfSpectrumSample{timeStamp, std::move(spectrum), aps});
    m_lastSweep.start();
    if (m_surveyOn && !m_surveying) {
        m_surveying = true;
        m_wifiScanTimer.restart();
        m_wifiScanner.startScan();
    }
}

void TabPage2400::showStoredWifis(qint64 upper)
{
    if (upper >= 1 && upper <= history().samples.size())
        wifiList()->updateList(history().samples.accessPoints(int(upper - 1)));
}

void TabPage2400::setCurrentWifisToList()
{
    if (!history().samples.isEmpty())
        showStoredWifis(timeBar()->upperValue());
}

void TabPage2400::loadWifiHistoryToList()
{
    wifiList()->clearList();
    wifiList()->loadHistory(history());
}

void TabPage2400::updateWifisToDraw(WifiScan networks)
{
    if (!m_showWifiAction || !m_showWifiAction->isChecked())
        return;
    spectroPlot()->setWifiData(networks);
    spectroPlot()->replot();
}

void TabPage2400::onActionShowWifiToggled(bool checked)
{
    if (!isVisible())
        return;
    if (!checked || history().samples.isEmpty()) {
        spectroPlot()->clearWifiData();
        spectroPlot()->replot();
    } else {
        setCurrentWifisToList();
    }
}

void TabPage2400::showEvent(QShowEvent *event)
{
    TabPage::showEvent(event);
    followChannelAction();
    loadWifiHistoryToList();
    if (!m_showWifiAction || !isVisible())
        return;
    if (!m_showWifiAction->isChecked() || history().samples.isEmpty())
        spectroPlot()->clearWifiData();
    else
        setCurrentWifisToList();
}

void TabPage2400::onActionToggleChannelsToggled()
{
    // Every 2.4 GHz page hears the one action; the page in front flips it (once), the others
    // follow its text when they are shown.
    if (!isVisible())
        return;
    QAction *action = m_actions.toggleChannels;
    if (action->text() == tr("Wi-Fi Chan.")) {
        action->setText(tr("ZigBee Chan."));
        spectroPlot()->setWifiZigBee(true);
    } else {
        action->setText(tr("Wi-Fi Chan."));
        spectroPlot()->setWifiZigBee(false);
    }
    spectroPlot()->replot();
}

void TabPage2400::followChannelAction()
{
    const bool zigBee = m_actions.toggleChannels->text() == tr("ZigBee Chan.");
    spectroPlot()->setWifiZigBee(zigBee);
}
