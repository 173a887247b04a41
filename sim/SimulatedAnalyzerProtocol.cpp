#include "SimulatedAnalyzerProtocol.h"

#include "SimLog.h"
#include "SimulatedFrameCodec.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

enum Command : quint8 {
    CmdConnect = 0x01,
    CmdDisconnect = 0x02,
    CmdGetDeviceVer = 0x03,
    CmdGetFwVer = 0x04,
    CmdGetRfParams = 0x05,
    CmdGetLastError = 0x06,
    CmdSync = 0x07,
    CmdSetFBand = 0x14,
    CmdSetFStart = 0x15,
    CmdSetFStop = 0x16,
    CmdSetSpanIndex = 0x17,
    CmdSetFStep = 0x18,
    CmdSetRBW = 0x19,
    CmdSetStepCount = 0x1A,
    CmdSetSpan = 0x1B,
    CmdGetSpecNoInit = 0x1F,
    CmdResetToBootloader = 0x80,
    CmdHostBL = 0x81,
    CmdGetInfoStr = 0x82,
    CmdGetCalibration = 0x83,
};

constexpr int k_frameTimeoutMs = 100;
constexpr int k_calibrationTimeMs = 5;
constexpr int k_maxSamples = 4096;

struct RfTableEntry
{
    double rbw; // kHz
    quint16 ifValue; // kHz
    quint8 setting; // the resolution-bandwidth register value
};

// The radio's resolution-bandwidth settings of each band, in the order it reports them.
const RfTableEntry k_table900[] = {
    {58.0, 250, 32},  {67.7, 260, 33},  {81.3, 270, 34},  {101.6, 280, 35},
    {116.1, 290, 36}, {135.4, 300, 37}, {162.5, 310, 38}, {203.1, 320, 39},
    {232.1, 330, 40}, {270.8, 340, 41}, {325.0, 350, 42}, {406.3, 360, 43},
};
const RfTableEntry k_table2400[] = {
    {62.5, 500, 36},  {78.1, 510, 37},  {101.6, 520, 38}, {125.0, 530, 39},
    {156.3, 540, 40}, {203.1, 550, 41}, {250.0, 560, 42}, {312.5, 570, 43},
    {406.3, 580, 44}, {500.0, 590, 45}, {625.0, 600, 46}, {812.5, 610, 47},
};
constexpr quint16 k_sweepCount900 = 252;
constexpr quint16 k_sweepCount2400 = 501;

QByteArray be16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

quint32 readBe(const QByteArray &payload, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(payload.at(i));
    return value;
}

QByteArray zeroTerminated(const QString &text)
{
    return text.toUtf8().left(SimulatedFrameCodec::k_maxPayload - 1) + QByteArray(1, '\0');
}

} // namespace

SimulatedAnalyzerProtocol::SimulatedAnalyzerProtocol(const SimulatedAnalyzerSettings &settings,
                                                     QObject *parent)
    : SimulatedDeviceMode(parent)
    , m_settings(settings)
    , m_generator(settings.seed)
    , m_idleTimer(this)
    , m_faultRng(settings.seed ^ 0xFA17u)
{
    m_generator.setSwitchedCarrier(
        {settings.carrierMHz, settings.carrierWidthMHz, settings.carrierDbm, settings.carrierOn});
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(k_frameTimeoutMs);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        if (m_busy)
            return;
        processInput();
        if (!m_reader.isEmpty()) {
            qCDebug(lcSim) << "Dropping an unfinished frame";
            m_reader.clear();
            m_lastError = ErrorBadFrame;
        }
    });
    m_dropAcks = qMax(0, settings.dropAcks);
    setCorruptCrcEvery(settings.corruptCrcEvery);
    setGarbageEvery(settings.garbageEvery);
    setStall(settings.stallEverySweeps, settings.stallMs);
    setHangUpAfterSweeps(settings.hangUpAfterSweeps);
    reset();
}

void SimulatedAnalyzerProtocol::reset()
{
    ++m_generation;
    m_busy = false;
    m_reader.clear();
    m_idleTimer.stop();
    m_lastError = NoError;
    setBand(2);
    m_rbw = 0;
    m_spanIndex = 0;
    m_stepCount = 0;
    m_span = 0;
}

void SimulatedAnalyzerProtocol::setInfoString(quint8 cpu, const QString &text)
{
    if (cpu == 0)
        m_settings.radioInfo = text;
    else if (cpu == 1)
        m_settings.hostInfo = text;
}

void SimulatedAnalyzerProtocol::setCorruptCrcEvery(int frames)
{
    m_corruptCrcEvery = qMax(0, frames);
    m_framesSinceCorruptSet = 0;
}

void SimulatedAnalyzerProtocol::setGarbageEvery(int frames)
{
    m_garbageEvery = qMax(0, frames);
    m_framesSinceGarbageSet = 0;
}

void SimulatedAnalyzerProtocol::setStall(int everySweeps, int msecs)
{
    m_stallEverySweeps = qMax(0, everySweeps);
    m_stallMs = qMax(0, msecs);
    m_sweepsSinceStallSet = 0;
}

void SimulatedAnalyzerProtocol::setCarrier(const SimulatedSweepGenerator::SwitchedCarrier &carrier)
{
    m_generator.setSwitchedCarrier(carrier);
}

void SimulatedAnalyzerProtocol::setCarrierOn(bool on)
{
    SimulatedSweepGenerator::SwitchedCarrier carrier = m_generator.switchedCarrier();
    carrier.on = on;
    m_generator.setSwitchedCarrier(carrier);
}

void SimulatedAnalyzerProtocol::setHangUpAfterSweeps(int sweeps)
{
    m_hangUpAfterSweeps = qMax(0, sweeps);
    m_sweepsSinceHangUpSet = 0;
}

void SimulatedAnalyzerProtocol::receive(const QByteArray &bytes)
{
    m_reader.append(bytes);
    processInput();
}

void SimulatedAnalyzerProtocol::processInput()
{
    while (!m_busy) {
        quint8 code = 0;
        QByteArray payload;
        const SimulatedFrameReader::Result result = m_reader.next(code, payload);
        if (result == SimulatedFrameReader::Result::NeedMore)
            break;
        if (result == SimulatedFrameReader::Result::Rejected) {
            m_lastError = ErrorBadFrame;
            continue;
        }
        handle(code, payload);
    }
    if (!m_reader.isEmpty() && !m_busy)
        m_idleTimer.start();
}

void SimulatedAnalyzerProtocol::handle(quint8 code, const QByteArray &payload)
{
    qCDebug(lcSim).noquote() << "Command" << Qt::hex << code << payload.toHex(' ');
    emit commandReceived(code, payload);
    switch (code) {
    case CmdConnect:
    case CmdDisconnect:
    case CmdSync:
        sendAck(code);
        break;
    case CmdGetDeviceVer:
        sendAck(code);
        sendFrame(code, zeroTerminated(m_settings.deviceVersion));
        break;
    case CmdGetFwVer:
        sendAck(code);
        sendFrame(code, m_settings.firmwareVersion.left(SimulatedFrameCodec::k_maxPayload));
        break;
    case CmdGetRfParams:
        sendAck(code);
        sendRfParams(payload);
        break;
    case CmdGetLastError:
        sendAck(code);
        sendFrame(code, be16(m_lastError));
        m_lastError = NoError;
        break;
    case CmdSetFBand:
    case CmdSetFStart:
    case CmdSetFStop:
    case CmdSetSpanIndex:
    case CmdSetFStep:
    case CmdSetRBW:
    case CmdSetStepCount:
    case CmdSetSpan:
        handleSet(code, payload);
        sendAck(code);
        break;
    case CmdGetSpecNoInit: {
        sendAck(code);
        const int band = m_band.code == 1 ? 0 : 1;
        const RfSpectrumScan sweep = m_generator.sweep(m_band.fStartMHz, m_band.fStepMHz,
                                                       sampleCount(), m_sweepIndex[band]++);
        sendTransfer(code, sweep,
                     band == 0 ? m_settings.sweepTime900Ms : m_settings.sweepTime2400Ms, true);
        break;
    }
    case CmdResetToBootloader:
        sendAck(code);
        emit bootloaderRequested();
        break;
    case CmdHostBL:
        // The host leaves for its firmware-update mode without a word.
        emit hostBootloaderRequested();
        break;
    case CmdGetInfoStr: {
        sendAck(code);
        const quint8 cpu = payload.size() > 0 ? quint8(payload.at(0)) : 0;
        const quint8 str = payload.size() > 1 ? quint8(payload.at(1)) : 0;
        QString text;
        if (str == 0 && cpu == 0)
            text = m_settings.radioInfo;
        else if (str == 0 && cpu == 1)
            text = m_settings.hostInfo;
        sendFrame(code, zeroTerminated(text));
        break;
    }
    case CmdGetCalibration:
        sendAck(code);
        sendTransfer(code,
                     m_generator.calibration(m_band.fStartMHz, m_band.fStepMHz, sampleCount()),
                     k_calibrationTimeMs, false);
        break;
    default:
        m_lastError = ErrorUnknownCommand;
        sendAck(code);
        break;
    }
}

void SimulatedAnalyzerProtocol::handleSet(quint8 code, const QByteArray &payload)
{
    const int needed = (code == CmdSetFStart || code == CmdSetFStop || code == CmdSetFStep) ? 4
        : (code == CmdSetStepCount || code == CmdSetSpan)                                   ? 2
                                                                                            : 1;
    if (payload.size() < needed) {
        m_lastError = ErrorBadParameter;
        return;
    }
    const quint32 value = readBe(payload, needed);
    switch (code) {
    case CmdSetFBand:
        if (value == 1 || value == 2)
            setBand(quint8(value));
        else
            m_lastError = ErrorBadParameter;
        break;
    case CmdSetFStart:
        m_band.fStartMHz = (value >> 16) + (value & 0xFFFF) / 65536.0;
        break;
    case CmdSetFStop:
        m_band.fStopMHz = (value >> 16) + (value & 0xFFFF) / 65536.0;
        break;
    case CmdSetFStep:
        m_band.fStepMHz = value / 65536.0;
        break;
    case CmdSetSpanIndex:
        m_spanIndex = quint8(value);
        break;
    case CmdSetRBW:
        m_rbw = quint8(value);
        break;
    case CmdSetStepCount:
        m_stepCount = quint16(value);
        break;
    case CmdSetSpan:
        m_span = quint16(value);
        break;
    default:
        break;
    }
}

void SimulatedAnalyzerProtocol::setBand(quint8 code)
{
    // Choosing a band loads its standard sweep; the set commands that follow refine it.
    if (code == 1)
        m_band = {1, 902.0, 928.0, 6767 / 65536.0};
    else
        m_band = {2, 2400.0, 2500.0, 13107 / 65536.0};
}

int SimulatedAnalyzerProtocol::sampleCount() const
{
    const double span = m_band.fStopMHz - m_band.fStartMHz;
    if (!(m_band.fStepMHz > 0.0) || span < 0.0)
        return 1;
    return int(std::min<double>(k_maxSamples, std::floor(span / m_band.fStepMHz + 1e-6) + 1.0));
}

void SimulatedAnalyzerProtocol::sendRfParams(const QByteArray &payload)
{
    const quint8 band = payload.isEmpty() ? 0xFF : quint8(payload.at(0));
    if (band > 1) {
        // An unknown band has an empty table.
        m_lastError = ErrorBadParameter;
        sendFrame(CmdGetRfParams, QByteArray(1, '\0') + be16(0));
        return;
    }
    const RfTableEntry *begin = band == 0 ? std::begin(k_table900) : std::begin(k_table2400);
    const RfTableEntry *end = band == 0 ? std::end(k_table900) : std::end(k_table2400);
    sendFrame(CmdGetRfParams,
              QByteArray(1, char(end - begin))
                  + be16(band == 0 ? k_sweepCount900 : k_sweepCount2400));
    for (const RfTableEntry *entry = begin; entry != end; ++entry) {
        quint64 bits;
        std::memcpy(&bits, &entry->rbw, sizeof bits);
        QByteArray fields(8, '\0');
        qToBigEndian(bits, fields.data());
        fields += be16(entry->ifValue);
        fields += char(entry->setting);
        sendFrame(CmdGetRfParams, fields);
    }
}

void SimulatedAnalyzerProtocol::sendTransfer(quint8 code, const RfSpectrumScan &values, int delayMs,
                                             bool sweep)
{
    QList<QByteArray> payloads;
    for (int at = 0; at < values.size(); at += SimulatedFrameCodec::k_maxPayload) {
        const int size = std::min<int>(SimulatedFrameCodec::k_maxPayload, values.size() - at);
        payloads.append(QByteArray(reinterpret_cast<const char *>(values.constData() + at), size));
    }

    bool stall = false;
    bool hangUp = false;
    if (sweep) {
        ++m_sweepsSinceStallSet;
        ++m_sweepsSinceHangUpSet;
        stall = m_stallEverySweeps > 0 && m_sweepsSinceStallSet % quint64(m_stallEverySweeps) == 0;
        hangUp = m_hangUpAfterSweeps > 0 && m_sweepsSinceHangUpSet == quint64(m_hangUpAfterSweeps);
    }

    // The radio is busy for the sweep; commands that come meanwhile wait for it.
    m_busy = true;
    const quint32 generation = m_generation;
    QTimer::singleShot(std::max(0, delayMs), this, [=] {
        if (generation != m_generation)
            return;
        if (!payloads.isEmpty())
            sendFrame(code, payloads.first());
        if (hangUp) {
            emit hangUpRequested();
            return;
        }
        auto rest = [=] {
            if (generation != m_generation)
                return;
            for (int i = 1; i < payloads.size(); ++i)
                sendFrame(code, payloads[i]);
            sendFrame(CmdGetLastError, be16(m_lastError));
            if (sweep)
                emit sweepSent(values.size());
            finishTransfer();
        };
        if (stall)
            QTimer::singleShot(m_stallMs, this, rest);
        else
            rest();
    });
}

void SimulatedAnalyzerProtocol::finishTransfer()
{
    m_busy = false;
    processInput();
}

void SimulatedAnalyzerProtocol::sendAck(quint8 code)
{
    if (m_dropAcks > 0) {
        --m_dropAcks;
        qCDebug(lcSim) << "Dropping the acknowledgement of" << Qt::hex << code;
        return;
    }
    sendFrame(code);
}

void SimulatedAnalyzerProtocol::sendFrame(quint8 code, const QByteArray &payload)
{
    QByteArray frame = SimulatedFrameCodec::frame(code, payload);
    ++m_framesSinceGarbageSet;
    ++m_framesSinceCorruptSet;
    if (m_garbageEvery > 0 && m_framesSinceGarbageSet % quint64(m_garbageEvery) == 0)
        emit send(garbage());
    if (m_corruptCrcEvery > 0 && m_framesSinceCorruptSet % quint64(m_corruptCrcEvery) == 0)
        frame[frame.size() - 1] = char(frame.at(frame.size() - 1) ^ 0x5A);
    emit send(frame);
}

QByteArray SimulatedAnalyzerProtocol::garbage()
{
    // A few stray bytes, such as line noise; none of them starts a frame.
    QByteArray bytes;
    const int count = 1 + int(m_faultRng.bounded(6));
    while (bytes.size() < count) {
        const char byte = char(m_faultRng.bounded(256));
        if (quint8(byte) != SimulatedFrameCodec::k_startByte)
            bytes.append(byte);
    }
    return bytes;
}
