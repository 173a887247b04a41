#include "SimulatedAnalyzer.h"

#include "SimulatedBootloader.h"

#include "SimulatedAnalyzerProtocol.h"
#include "SimulatedPty.h"

#include <QDir>
#include <QMutexLocker>
#include <QTemporaryDir>

SimulatedAnalyzer::SimulatedAnalyzer(const SimulatedAnalyzerSettings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_air(settings.seed)
{
    qRegisterMetaType<SimulatedDevice::Mode>("SimulatedDevice::Mode");
    m_thread.setObjectName(QStringLiteral("SimulatedAnalyzer"));
}

SimulatedAnalyzer::~SimulatedAnalyzer()
{
    stop();
}

bool SimulatedAnalyzer::start()
{
    if (m_device)
        return true;
    if (m_settings.linkPath.isEmpty()) {
        m_linkDir = std::make_unique<QTemporaryDir>(QDir::tempPath()
                                                    + QStringLiteral("/quorvex-sim-XXXXXX"));
        if (!m_linkDir->isValid()) {
            m_errorString = QStringLiteral("Cannot create a folder for the port link: ")
                + m_linkDir->errorString();
            return false;
        }
        m_settings.linkPath = m_linkDir->filePath(QStringLiteral("ttyQVX0"));
    }

    // Built here, without descriptors yet, then handed to the thread, which opens the line.
    m_device = new SimulatedDevice(m_settings);
    connect(
        m_device, &SimulatedDevice::pluggedIn, m_device,
        [this](const QString &path) {
            QMutexLocker lock(&m_mutex);
            m_slavePath = path;
        },
        Qt::DirectConnection);
    connect(
        m_device, &SimulatedDevice::hungUp, m_device,
        [this] {
            QMutexLocker lock(&m_mutex);
            m_slavePath.clear();
        },
        Qt::DirectConnection);
    connect(m_device, &SimulatedDevice::pluggedIn, this, &SimulatedAnalyzer::pluggedIn);
    connect(m_device, &SimulatedDevice::hungUp, this, &SimulatedAnalyzer::hungUp);
    connect(m_device, &SimulatedDevice::modeChanged, this, &SimulatedAnalyzer::modeChanged);
    connect(m_device->analyzer(), &SimulatedAnalyzerProtocol::commandReceived, this,
            &SimulatedAnalyzer::commandReceived);
    connect(m_device->analyzer(), &SimulatedAnalyzerProtocol::sweepSent, this,
            &SimulatedAnalyzer::sweepSent);
    connect(m_device->bootloader(), &SimulatedBootloader::commandReceived, this,
            &SimulatedAnalyzer::bootloaderCommandReceived);
    m_device->moveToThread(&m_thread);
    m_thread.start();

    if (!plugIn()) {
        onDevice([this](SimulatedDevice *device) { m_errorString = device->errorString(); });
        stop();
        return false;
    }
    return true;
}

void SimulatedAnalyzer::stop()
{
    if (!m_device)
        return;
    // The device closes its line in its destructor, on its own thread: a thread that ends
    // deletes what was scheduled for deletion.
    m_device->deleteLater();
    m_device = nullptr;
    m_thread.quit();
    m_thread.wait();
    QMutexLocker lock(&m_mutex);
    m_slavePath.clear();
}

QString SimulatedAnalyzer::errorString() const
{
    return m_errorString;
}

QString SimulatedAnalyzer::portName() const
{
    return m_settings.linkPath;
}

QString SimulatedAnalyzer::slavePath() const
{
    QMutexLocker lock(&m_mutex);
    return m_slavePath;
}

template<typename Call> void SimulatedAnalyzer::onDevice(Call call)
{
    if (!m_device)
        return;
    Q_ASSERT(QThread::currentThread() != &m_thread);
    SimulatedDevice *device = m_device;
    QMetaObject::invokeMethod(
        device, [device, &call] { call(device); }, Qt::BlockingQueuedConnection);
}

void SimulatedAnalyzer::dropAcknowledgements(int count)
{
    onDevice([count](SimulatedDevice *device) { device->analyzer()->dropAcknowledgements(count); });
}

void SimulatedAnalyzer::setCorruptCrcEvery(int frames)
{
    onDevice([frames](SimulatedDevice *device) { device->analyzer()->setCorruptCrcEvery(frames); });
}

void SimulatedAnalyzer::setGarbageEvery(int frames)
{
    onDevice([frames](SimulatedDevice *device) { device->analyzer()->setGarbageEvery(frames); });
}

void SimulatedAnalyzer::setStall(int everySweeps, int msecs)
{
    onDevice([=](SimulatedDevice *device) { device->analyzer()->setStall(everySweeps, msecs); });
}

void SimulatedAnalyzer::setHangUpAfterSweeps(int sweeps)
{
    onDevice(
        [sweeps](SimulatedDevice *device) { device->analyzer()->setHangUpAfterSweeps(sweeps); });
}

void SimulatedAnalyzer::sendGarbage(const QByteArray &bytes)
{
    onDevice([bytes](SimulatedDevice *device) { device->line()->write(bytes); });
}

void SimulatedAnalyzer::stall(int msecs)
{
    onDevice([msecs](SimulatedDevice *device) { device->line()->stall(msecs); });
}

void SimulatedAnalyzer::hangUp()
{
    onDevice([](SimulatedDevice *device) { device->hangUp(); });
}

bool SimulatedAnalyzer::plugIn()
{
    bool ok = false;
    onDevice([&ok](SimulatedDevice *device) { ok = device->plugIn(); });
    return ok;
}

bool SimulatedAnalyzer::isPluggedIn() const
{
    return !slavePath().isEmpty();
}

void SimulatedAnalyzer::setInfoString(quint8 cpu, const QString &text)
{
    onDevice([=](SimulatedDevice *device) { device->analyzer()->setInfoString(cpu, text); });
}

void SimulatedAnalyzer::setCarrier(double centreMHz, double widthMHz, double levelDbm)
{
    m_settings.carrierMHz = centreMHz;
    m_settings.carrierWidthMHz = widthMHz;
    m_settings.carrierDbm = levelDbm;
    m_settings.carrierOn = true;
    onDevice([=](SimulatedDevice *device) {
        device->analyzer()->setCarrier({centreMHz, widthMHz, levelDbm, true});
    });
}

void SimulatedAnalyzer::setCarrierOn(bool on)
{
    m_settings.carrierOn = on;
    onDevice([on](SimulatedDevice *device) { device->analyzer()->setCarrierOn(on); });
}

QByteArray SimulatedAnalyzer::flash()
{
    QByteArray copy;
    onDevice([&copy](SimulatedDevice *device) { copy = device->bootloader()->flash(); });
    return copy;
}

void SimulatedAnalyzer::bootloaderNackNext(int frames)
{
    onDevice([frames](SimulatedDevice *device) { device->bootloader()->nackNext(frames); });
}

void SimulatedAnalyzer::bootloaderFailNextStatus(quint8 status)
{
    onDevice([status](SimulatedDevice *device) { device->bootloader()->failNextStatus(status); });
}

void SimulatedAnalyzer::bootloaderGoSilentAfter(int frames)
{
    onDevice([frames](SimulatedDevice *device) { device->bootloader()->goSilentAfter(frames); });
}
