#include "ScanSession.h"

#include "AppLog.h"
#include "comms/DeviceComms.h"
#include "data/Constants.h"
#include "pages/TabPage.h"
#include "widgets/UserPrompts.h"

#include <QAction>
#include <QTabWidget>
#include <utility>

ScanSession::ScanSession(DeviceComms &comms, QTabWidget &tabs, const Actions &actions,
                         QObject *parent)
    : QObject(parent)
    , m_comms(comms)
    , m_tabs(tabs)
    , m_actions(actions)
{
    connect(&m_comms, &DeviceComms::connectedChanged, this, &ScanSession::onConnectedChanged);
    connect(&m_comms, &DeviceComms::scanningChanged, this, &ScanSession::onScanningChanged);
    connect(&m_comms, &DeviceComms::busyChanged, this, &ScanSession::onBusyChanged);
    m_bandSwitchTimer.setSingleShot(true);
    m_bandSwitchTimer.setInterval(k_bandSwitchRestartMs);
    connect(&m_bandSwitchTimer, &QTimer::timeout, this, &ScanSession::restartAfterBandSwitch);
    m_noDataTimer.setInterval(250);
    connect(&m_noDataTimer, &QTimer::timeout, this, &ScanSession::checkForMissingSweeps);
    // Nothing to scan with until an analyzer is connected; what the pages hold stays usable.
    m_actions.scan->setEnabled(false);
    m_actions.stop->setEnabled(false);
    m_actions.disconnect->setEnabled(false);
}

TabPage *ScanSession::livePage(int index) const
{
    return index == 0 || index == 1 ? qobject_cast<TabPage *>(m_tabs.widget(index)) : nullptr;
}

void ScanSession::setConnectAllowed(bool allowed)
{
    m_connectAllowed = allowed;
    m_actions.connect->setEnabled(allowed && !m_comms.connected());
}

qint8 ScanSession::offsetAmplitude(qint8 value, int offset)
{
    return qint8(qBound(-128, int(value) + offset, 127));
}

ScanParams ScanSession::paramsOf(int band) const
{
    const ScanParams params = band == 1 ? Constants::k_900ScanParams : Constants::k_2400ScanParams;
    return m_paramsFilter ? m_paramsFilter(params) : params;
}

void ScanSession::connectAnalyzer(const QString &port, bool debug, bool quietWhenNone)
{
    QString chosen = port;
    if (chosen.isEmpty()) {
        const DeviceComms::PortList ports = m_comms.ports();
        QStringList all;
        for (const auto &entry : ports)
            all.append(entry.first);
        QStringList candidates = debug
            ? all
            : DeviceComms::filteredPorts(ports, QString::fromLatin1(DeviceComms::k_productName));
        // Without a port that says it is the analyzer, any port is tried; not for a window
        // that has sources of its own elsewhere.
        if (candidates.isEmpty() && !quietWhenNone)
            candidates = all;
        if (candidates.isEmpty()) {
            if (quietWhenNone)
                emit statusMessage(tr("No Quorvex analyzer on this computer"));
            else if (m_prompts)
                m_prompts->critical(nullptr, tr("Error"), tr("Unable to find any Quorvex device!"));
            return;
        }
        if (candidates.size() == 1)
            chosen = candidates.first();
        else if (!m_prompts
                 || !m_prompts->chooseItem(m_tabs.window(), tr("Connect to device"),
                                           tr("Serial Port"), all, &chosen))
            return;
    }
    m_comms.setPortName(chosen);
    m_comms.connectToDevice(debug);
}

bool ScanSession::releaseUnsaved(const QList<TabPage *> &pages, const QString &why)
{
    // Every answer is collected first: a Cancel after a Discard keeps both histories.
    QList<TabPage *> discarded;
    for (TabPage *page : pages) {
        if (!page || !page->hasUnsavedChanges())
            continue;
        if (m_qcMode && (page == livePage(0) || page == livePage(1))) {
            discarded.append(page);
            continue;
        }
        const int sweeps = page->history().samples.size();
        const QString name = m_tabs.tabText(m_tabs.indexOf(page));
        const QString held = sweeps == 1
            ? tr("\u201c%1\u201d holds 1 sweep that is not saved.").arg(name)
            : tr("\u201c%1\u201d holds %2 sweeps that are not saved.")
                  .arg(name, QString::number(sweeps));
        const QString text = held + QLatin1Char(' ') + why + QLatin1Char(' ')
            + tr("Do you want to save it first?");
        const UserPrompts::UnsavedChoice choice = m_prompts
            ? m_prompts->askUnsaved(m_tabs.window(), tr("Unsaved Scan"), text)
            : UserPrompts::UnsavedChoice::Cancel;
        if (choice == UserPrompts::UnsavedChoice::Cancel)
            return false;
        if (choice == UserPrompts::UnsavedChoice::Save) {
            if (!m_saver || !m_saver(page))
                return false;
        } else {
            discarded.append(page);
        }
    }
    for (TabPage *page : qAsConst(discarded))
        page->journalKeeper()->discard();
    return true;
}

void ScanSession::scan()
{
    if (m_comms.scanning()) {
        m_actions.disconnect->setEnabled(false);
        m_actions.open->setEnabled(false);
        return;
    }
    // A recording in front: the live page of the band scanned last comes to the front.
    int band = m_tabs.currentIndex();
    if (band != 0 && band != 1) {
        band = m_lastBand;
        m_tabs.setCurrentIndex(band);
    }
    // Scan starts the band in front itself. A restart still pending from a band switch is
    // held while the question is open: left to fire, it would fill the pages with sweeps that
    // the answer then clears (or that a save has already missed).
    const bool restartPending = m_bandSwitchTimer.isActive();
    m_bandSwitchTimer.stop();
    if (!releaseUnsaved({livePage(0), livePage(1)}, tr("A new scan clears it."))) {
        if (restartPending && m_comms.connected() && !m_comms.scanning())
            m_bandSwitchTimer.start();
        return;
    }
    // The answers took their time: the link may have gone, or another scan begun.
    if (!m_comms.connected() || m_comms.scanning())
        return;
    m_actions.disconnect->setEnabled(false);
    m_actions.open->setEnabled(false);
    livePage(0)->clearHist();
    livePage(1)->clearHist();
    emit scanStarting();
    m_lastBand = band;
    m_comms.sendRfSetupAndScan(paramsOf(band));
    setRecordingTabsEnabled(false);
    emit scanStarted();
}

void ScanSession::stop()
{
    m_bandSwitchTimer.stop();
    if (m_comms.scanning())
        requestStopScanning();
    m_actions.disconnect->setEnabled(m_comms.connected());
    m_actions.open->setEnabled(true);
    for (int i = 0; i < m_tabs.count(); ++i)
        m_tabs.setTabEnabled(i, true);
    if (m_qcMode || !m_prompts)
        return;
    if (m_prompts->question(m_tabs.window(), tr("Recording stopped"),
                            tr("Do you want to save the recording?"))
        && m_saver)
        m_saver(qobject_cast<TabPage *>(m_tabs.currentWidget()));
}

void ScanSession::requestStopScanning()
{
    m_stopRequested = true;
    m_comms.requestStopScanning();
}

void ScanSession::onTabChanged(int index)
{
    TabPage *front = qobject_cast<TabPage *>(m_tabs.widget(index));
    if (!front)
        return;
    const bool live = index == 0 || index == 1;
    if (live)
        m_movedTo = -1;
    // A remote sensor's page in front leaves the analyzer's scan as it is.
    if (!live && !front->isPlayback())
        return;
    // A restart still pending from a switch a moment ago counts as a running scan: it is
    // moved on to the band now in front (a recording in front ends it).
    if (m_comms.scanning() || m_bandSwitchTimer.isActive()) {
        if (m_comms.scanning())
            requestStopScanning();
        // Only a live page has a gap to fill; a recording keeps what it holds.
        if (live)
            front->fillMissingHist();
        m_bandSwitchTimer.start();
    }
    if (m_comms.scanning() && live)
        m_tabs.setTabEnabled(index ^ 1, false);
}

bool ScanSession::isScanning() const
{
    return m_comms.scanning() || m_bandSwitchTimer.isActive();
}

bool ScanSession::moveScanTo(int index)
{
    if (index != 0 && index != 1)
        return false;
    if (!isScanning())
        return false;
    if (m_comms.scanning() && index == m_lastBand)
        return true;
    if (m_comms.scanning())
        requestStopScanning();
    livePage(index)->fillMissingHist();
    m_movedTo = index;
    m_bandSwitchTimer.start();
    return true;
}

void ScanSession::restartAfterBandSwitch()
{
    // The band of the live tab in front, or the one the scan was moved to from elsewhere.
    int index = m_tabs.currentIndex();
    if (index != 0 && index != 1)
        index = m_movedTo;
    m_movedTo = -1;
    if (index != 0 && index != 1)
        return;
    m_lastBand = index;
    m_comms.sendRfSetupAndScan(paramsOf(index));
}

void ScanSession::setRecordingTabsEnabled(bool enabled)
{
    // Only a played-back recording waits; a remote sensor's page stays live.
    for (int i = 2; i < m_tabs.count(); ++i) {
        const auto *page = qobject_cast<TabPage *>(m_tabs.widget(i));
        if (page && page->isPlayback())
            m_tabs.setTabEnabled(i, enabled);
    }
}

void ScanSession::onConnectedChanged(bool connected)
{
    m_actions.connect->setEnabled(!connected && m_connectAllowed);
    m_actions.disconnect->setEnabled(connected);
    m_actions.scan->setEnabled(connected && !m_comms.scanning());
    // A live tab that a band switch disabled is reachable again either way. The pages stay
    // usable without the analyzer: what they hold can be saved, snapshot and panned.
    m_tabs.setTabEnabled(0, true);
    m_tabs.setTabEnabled(1, true);
    if (!connected) {
        // A scan that a lost link ended leaves the recordings as Stop would.
        m_actions.open->setEnabled(true);
        setRecordingTabsEnabled(true);
        m_bandSwitchTimer.stop();
    }
}

void ScanSession::onScanningChanged(bool scanning)
{
    m_actions.stop->setEnabled(scanning);
    m_actions.scan->setEnabled(!scanning && m_comms.connected());
    // The scan now running sends its own sweeps from here on. Once a stopped scan has ended,
    // everything it sent has arrived (its sweeps come before its end), so what comes next, a
    // single sweep asked for from the debug console, say, is taken again.
    m_stopRequested = false;
    if (scanning) {
        m_sinceLastSweep.start();
        m_noDataTimer.start();
    } else {
        m_noDataTimer.stop();
        sweepsArrived();
    }
}

void ScanSession::onBusyChanged(bool busy)
{
    if (!m_noDataShown)
        emit statusMessage(busy ? tr("Busy") : QString());
}

void ScanSession::checkForMissingSweeps()
{
    if (!m_comms.scanning() || !m_sinceLastSweep.isValid())
        return;
    const qint64 silentMs = m_sinceLastSweep.elapsed();
    if (silentMs < k_noDataReportMs)
        return;
    m_noDataShown = true;
    emit statusMessage(tr("No data from the analyzer for %1 s").arg(silentMs / 1000));
}

void ScanSession::sweepsArrived()
{
    m_sinceLastSweep.start();
    if (!m_noDataShown)
        return;
    m_noDataShown = false;
    onBusyChanged(m_comms.busy());
}

void ScanSession::dropHeldSweeps()
{
    m_gate = Gate::Closed;
    m_held.clear();
}

void ScanSession::releaseHeldSweeps()
{
    m_gate = Gate::Open;
    const auto held = std::exchange(m_held, {});
    for (const auto &sweep : held)
        routeSweep(sweep.first, sweep.second);
}

void ScanSession::onSweep(qint64 timestamp, RfSpectrumScan scan)
{
    // What a stopped scan still delivers belongs to neither the run it ended nor the next.
    if (m_stopRequested) {
        qCDebug(lcApp) << "Dropped a sweep of the stopped scan," << scan.size() << "samples";
        return;
    }
    if (m_gate != Gate::Open) {
        sweepsArrived();
        if (m_gate == Gate::Held)
            m_held.append({timestamp, scan});
        return;
    }
    routeSweep(timestamp, std::move(scan));
}

void ScanSession::routeSweep(qint64 timestamp, RfSpectrumScan scan)
{
    m_tabs.setTabEnabled(0, true);
    m_tabs.setTabEnabled(1, true);
    // To the live page of the band scanned, whatever page is in front (a sensor's, the venue's).
    const int index = m_lastBand;
    if (index == 0 && m_amplOffset != 0) {
        for (qint8 &value : scan)
            value = offsetAmplitude(value, m_amplOffset);
    }
    if ((index == 0 && scan.size() != Constants::k_samplesPerScan2400)
        || (index == 1 && scan.size() != Constants::k_samplesPerScan900))
        return;
    sweepsArrived();
    if (TabPage *front = livePage(index))
        front->onNewSpecScan(timestamp, scan);
}

bool ScanSession::releaseForQuit(const QList<TabPage *> &pages, const QString &why)
{
    holdSweeps();
    if (!releaseUnsaved(pages, why)) {
        releaseHeldSweeps();
        return false;
    }
    dropHeldSweeps();
    return true;
}
