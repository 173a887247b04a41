#include "TabPage2400.h"

#include "app/MainWindow.h"
#include "data/Constants.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "ui_MainWindow.h"
#include "widgets/RangeSlider.h"
#include "wifi/WifiList.h"

#include <QMenu>
#include <QTimer>

TabPage2400::TabPage2400(const MainWindow *mainWindow, QWidget *parent)
    : TabPage(mainWindow, parent)
    , m_mainWindow(mainWindow)
{
    setBandIntervals(Constants::k_2400ScanParams);
    addChannelAxis();
    onWifiAvailableChanged(m_wifiScanner.wifiAvailable());
    connect(&m_wifiScanner, &WifiScanHelper::wifiAvailableChanged, this,
            &TabPage2400::onWifiAvailableChanged);
}

TabPage2400::TabPage2400(RfSpectrumHistory hist, const MainWindow *mainWindow, QWidget *parent)
    : TabPage(std::move(hist), mainWindow, parent)
    , m_mainWindow(mainWindow)
{
    // The channel axis first, so the tool bar reads the same as on the live page.
    addChannelAxis();
    const SampleStore &samples = m_hist.samples;
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
    return m_mainWindow->getUi()->dockWidgetContentsWifiList;
}

void TabPage2400::addChannelAxis()
{
    spectroPlot()->enableAxis(QwtPlot::xTop);
    waterfallPlot()->enableAxis(QwtPlot::xTop);
    Ui::MainWindow *ui = m_mainWindow->getUi();
    connect(ui->actionToggle_Channels, &QAction::triggered, this,
            &TabPage2400::onActionToggleChannelsToggled);
    networksMenu()->insertAction(ui->actionVarsa_VexaIds, ui->actionToggle_Channels);
    networksMenu()->insertSeparator(ui->actionVarsa_VexaIds);
}

void TabPage2400::addWifiActions()
{
    if (m_showWifiAction)
        return;
    Ui::MainWindow *ui = m_mainWindow->getUi();
    m_showWifiAction = ui->actionShow_Wifi;
    m_wifiListAction = ui->actionToggle_Wifi_List;
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
    m_wifiScanner.startScan();
}

void TabPage2400::onWifiScanDone(WifiScan results)
{
    setNewestWifi(results);

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
    const SampleStore &samples = m_hist.samples;
    const WifiScan aps = samples.isEmpty() ? WifiScan() : samples.accessPoints(samples.size() - 1);
    addNewSpectrumSample(RfSpectrumSample{timeStamp, std::move(spectrum), aps});
}

void TabPage2400::showStoredWifis(qint64 upper)
{
    if (upper >= 1 && upper <= m_hist.samples.size())
        wifiList()->updateList(m_hist.samples.accessPoints(int(upper - 1)));
}

void TabPage2400::setCurrentWifisToList()
{
    if (!m_hist.samples.isEmpty())
        showStoredWifis(timeBar()->upperValue());
}

void TabPage2400::loadWifiHistoryToList()
{
    wifiList()->clearList();
    wifiList()->loadHistory(m_hist);
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
    if (!checked || m_hist.samples.isEmpty()) {
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
    if (!m_showWifiAction->isChecked() || m_hist.samples.isEmpty())
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
    QAction *action = m_mainWindow->getUi()->actionToggle_Channels;
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
    const bool zigBee = m_mainWindow->getUi()->actionToggle_Channels->text() == tr("ZigBee Chan.");
    spectroPlot()->setWifiZigBee(zigBee);
}

void TabPage2400::vexaIdSelection(QList<int> vexaIds)
{
    showVexaIdsOfBand(std::move(vexaIds), &TabPage2400::inBand);
}

void TabPage2400::vexaIdSelected(int vexaId)
{
    showVexaIdOfBand(vexaId, &TabPage2400::inBand);
}

void TabPage2400::vexaIdDeselected(int vexaId)
{
    hideVexaIdOfBand(vexaId, &TabPage2400::inBand);
}
