#include "SimulatedDevice.h"

#include "SimLog.h"
#include "SimulatedAnalyzerProtocol.h"
#include "SimulatedBootloader.h"
#include "SimulatedPty.h"
#include "firmware/RadioImage.h"

#include <QTimer>

SimulatedDevice::SimulatedDevice(const SimulatedAnalyzerSettings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_pty(new SimulatedPty(this))
    , m_analyzer(new SimulatedAnalyzerProtocol(settings, this))
{
    m_pty->setThrottled(settings.throttle);
    connect(m_pty, &SimulatedPty::received, this, [this](const QByteArray &bytes) {
        if (SimulatedDeviceMode *mode = activeMode())
            mode->receive(bytes);
    });
    connect(m_analyzer, &SimulatedDeviceMode::send, this, [this](const QByteArray &bytes) {
        if (m_mode == Mode::Analyzer)
            m_pty->write(bytes);
    });
    connect(m_analyzer, &SimulatedAnalyzerProtocol::bootloaderRequested, this,
            [this] { setMode(Mode::Bootloader); });
    connect(m_analyzer, &SimulatedAnalyzerProtocol::hangUpRequested, this,
            &SimulatedDevice::hangUp);
    connect(m_analyzer, &SimulatedAnalyzerProtocol::hostBootloaderRequested, this, [this] {
        if (m_settings.unplugAtHostBootloader)
            hangUp();
    });

    // The radio's ROM bootloader, its flash holding the firmware the radio reports.
    auto *bootloader = new SimulatedBootloader(settings.radioInfo);
    setBootloaderMode(bootloader);
    connect(bootloader, &SimulatedBootloader::resetRequested, this, [this, bootloader] {
        // The radio restarts into the firmware now in its flash.
        m_analyzer->setInfoString(0, RadioImage::versionOf(bootloader->flash()));
        setMode(Mode::Analyzer);
    });
}

SimulatedBootloader *SimulatedDevice::bootloader() const
{
    return qobject_cast<SimulatedBootloader *>(m_bootloader);
}

SimulatedDevice::~SimulatedDevice()
{
    m_pty->hangUp();
}

void SimulatedDevice::setBootloaderMode(SimulatedDeviceMode *bootloader)
{
    delete m_bootloader;
    m_bootloader = bootloader;
    if (!m_bootloader)
        return;
    m_bootloader->setParent(this);
    connect(m_bootloader, &SimulatedDeviceMode::send, this, [this](const QByteArray &bytes) {
        if (m_mode == Mode::Bootloader)
            m_pty->write(bytes);
    });
}

void SimulatedDevice::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    // The radio restarts: the mode it leaves forgets what it was doing (and stops reading what
    // is left of its input), the mode it enters starts from power-on.
    SimulatedDeviceMode *left = activeMode();
    m_mode = mode;
    if (left)
        left->reset();
    if (SimulatedDeviceMode *active = activeMode())
        active->reset();
    qCDebug(lcSim) << "Mode" << mode;
    emit modeChanged(mode);
}

SimulatedDeviceMode *SimulatedDevice::activeMode() const
{
    return m_mode == Mode::Analyzer ? static_cast<SimulatedDeviceMode *>(m_analyzer) : m_bootloader;
}

bool SimulatedDevice::isPluggedIn() const
{
    return m_pty->isOpen();
}

QString SimulatedDevice::slavePath() const
{
    return m_pty->slavePath();
}

QString SimulatedDevice::errorString() const
{
    return m_pty->errorString();
}

bool SimulatedDevice::plugIn()
{
    if (m_pty->isOpen())
        return true;
    if (!m_pty->open(m_settings.linkPath))
        return false;
    emit pluggedIn(m_pty->slavePath());
    return true;
}

void SimulatedDevice::hangUp()
{
    if (!m_pty->isOpen())
        return;
    m_pty->hangUp();
    // Unplugged means powered off: every mode starts afresh.
    m_analyzer->reset();
    if (m_bootloader)
        m_bootloader->reset();
    setMode(Mode::Analyzer);
    emit hungUp();
    if (m_settings.replugAfterMs > 0)
        QTimer::singleShot(m_settings.replugAfterMs, this, [this] { plugIn(); });
}
