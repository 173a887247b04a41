#include "AnalyzerLink.h"

#include "SensorLog.h"
#include "comms/DeviceComms.h"

AnalyzerLink::AnalyzerLink(QObject *parent)
    : QObject(parent)
{
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(k_retryMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &AnalyzerLink::tryConnect);
}

AnalyzerLink::~AnalyzerLink()
{
    stop();
}

void AnalyzerLink::start(const SensorBand &band)
{
    m_band = band;
    if (!m_comms) {
        m_comms = std::make_unique<DeviceComms>();
        // What the window would show in a message box is only the reason of a failure here.
        m_comms->setMessageSink([this](const QString &, const QString &text) {
            qCDebug(lcSensor).noquote() << "Analyzer session:" << text;
            m_lastFailure = text;
        });
        DeviceComms *comms = m_comms.get();
        connect(comms, &DeviceComms::connectedChanged, this, &AnalyzerLink::onConnectedChanged);
        connect(comms, &DeviceComms::scanningChanged, this, &AnalyzerLink::onScanningChanged);
        connect(comms, &DeviceComms::sequenceFailed, this, &AnalyzerLink::onSequenceFailed);
        connect(comms, &DeviceComms::rfsaGetSpecNoInitDone, this, &AnalyzerLink::onSweep);
    }
    setState(State::Searching);
    tryConnect();
}

void AnalyzerLink::setBand(const SensorBand &band)
{
    if (band == m_band)
        return;
    m_band = band;
    // A scan of the other band ends first; onScanningChanged starts this one. A connection
    // still being made sets up the new band when it is made.
    if (m_comms && m_comms->scanning() && !m_stopRequested) {
        m_stopRequested = true;
        m_comms->requestStopScanning();
    }
}

void AnalyzerLink::stop()
{
    if (m_state == State::Stopped && !m_comms)
        return;
    setState(State::Stopped);
    m_retryTimer.stop();
    if (!m_comms)
        return;
    m_stopRequested = true;
    m_comms->requestStopScanning();
    m_comms->terminateCommsThread();
    m_comms.reset();
    m_stopRequested = false;
}

void AnalyzerLink::tryConnect()
{
    if (m_state == State::Stopped || !m_comms || m_comms->connected() || m_comms->busy())
        return;
    m_port = m_fixedPort;
    if (m_port.isEmpty()) {
        const QStringList ports = DeviceComms::filteredPorts(
            DeviceComms::systemPorts(), QString::fromLatin1(DeviceComms::k_productName));
        if (ports.isEmpty()) {
            fail(tr("no serial port describes itself as the analyzer"));
            return;
        }
        m_port = ports.first();
    }
    setState(State::Connecting);
    m_lastFailure.clear();
    m_comms->setPortName(m_port);
    m_comms->connectToDevice(false);
    // A port this user may not open is refused before anything is sent.
    if (!m_comms->busy())
        fail(m_lastFailure.isEmpty() ? tr("the port cannot be opened") : m_lastFailure);
}

void AnalyzerLink::onConnectedChanged(bool connected)
{
    if (connected) {
        startScan();
        return;
    }
    if (m_state == State::Scanning || m_state == State::Connecting)
        fail(m_lastFailure.isEmpty() ? tr("the connection ended") : m_lastFailure);
}

void AnalyzerLink::onScanningChanged(bool scanning)
{
    if (m_state == State::Stopped)
        return;
    if (!scanning) {
        // The scan a band switch stopped: the new band's follows.
        if (m_stopRequested) {
            m_stopRequested = false;
            if (m_comms->connected())
                startScan();
        }
        return;
    }
    const bool wasScanning = m_state == State::Scanning;
    setState(State::Scanning);
    // The band changed while the scan was being set up: that scan is the old band's.
    if (m_scanBand != m_band && !m_stopRequested) {
        m_stopRequested = true;
        m_comms->requestStopScanning();
    }
    if (!wasScanning) {
        qCInfo(lcSensor).noquote() << "Analyzer on" << m_port << "scanning" << m_band.label();
        emit found(m_port);
    }
}

void AnalyzerLink::onSequenceFailed(const QString &workerClass, const QString &reason)
{
    m_lastFailure = reason.isEmpty() ? tr("it did not answer (%1)").arg(workerClass) : reason;
    if (m_state == State::Scanning || m_state == State::Connecting)
        fail(m_lastFailure);
}

void AnalyzerLink::onSweep(qint64 timestamp, const RfSpectrumScan &scan)
{
    // What a stopped scan still delivers, or a sweep of another length than the band's, is no
    // sweep of the band being scanned.
    if (m_stopRequested || m_state != State::Scanning || scan.size() != m_scanBand.steps) {
        qCDebug(lcSensor) << "Dropped a sweep of" << scan.size() << "samples";
        return;
    }
    emit sweep(timestamp, scan, m_scanBand);
}

void AnalyzerLink::startScan()
{
    m_scanBand = m_band;
    m_comms->sendRfSetupAndScan(m_scanBand.params());
}

void AnalyzerLink::fail(const QString &reason)
{
    if (m_state == State::Stopped)
        return;
    const bool wasScanning = m_state == State::Scanning;
    setState(State::Searching);
    m_stopRequested = false;
    if (wasScanning) {
        qCWarning(lcSensor).noquote()
            << QStringLiteral("Analyzer on %1 lost: %2 - looking for it every %3 s")
                   .arg(m_port, reason)
                   .arg(k_retryMs / 1000);
        emit lost(m_port, reason);
    } else if (reason != m_searchReason) {
        qCWarning(lcSensor).noquote()
            << QStringLiteral("No analyzer%1: %2 - looking again every %3 s")
                   .arg(m_port.isEmpty() ? QString() : QStringLiteral(" on ") + m_port, reason)
                   .arg(k_retryMs / 1000);
    }
    m_searchReason = reason;
    m_retryTimer.start();
}

void AnalyzerLink::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (state == State::Scanning)
        m_searchReason.clear();
    emit stateChanged(state);
}
