#include "RfsaSerialComms.h"

#include "CommsLog.h"
#include "RfsaFrame.h"

#include <QDateTime>
#include <QSerialPort>
#include <QStringList>
#include <cstring>

namespace {

// The protocol's types cross threads in queued signals under the names the signals use; they
// are known by those names before main() runs in every program that holds this code.
[[maybe_unused]] const bool k_metaTypesRegistered = [] {
    qRegisterMetaType<RfParams>("RfParams");
    qRegisterMetaType<RfsaSerialComms::FBand>("RfsaSerialComms::FBand");
    qRegisterMetaType<RfsaSerialComms::SetFBand>("RfsaSerialComms::SetFBand");
    return true;
}();

double readDouble(const QByteArray &payload, int offset)
{
    const quint64 bits = RfsaFrame::readUnsigned(payload, offset, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Text up to the first zero byte, or the whole payload.
QString textOf(const QByteArray &payload)
{
    const int end = payload.indexOf('\0');
    return QString::fromUtf8(end < 0 ? payload : payload.left(end));
}

} // namespace

RfsaSerialComms::RfsaSerialComms(const QString &portName, QObject *parent)
    : SerialComms(portName, parent)
{
    // The acknowledgement of a disconnect closes the port.
    QObject::connect(this, &RfsaSerialComms::disconnectDone, m_port, &QSerialPort::close);
}

void RfsaSerialComms::connect()
{
    sendCommand(CmdConnect);
}

void RfsaSerialComms::disconnect()
{
    sendCommand(CmdDisconnect);
}

void RfsaSerialComms::getDeviceVer()
{
    sendCommand(CmdGetDeviceVer);
}

void RfsaSerialComms::getFwVer()
{
    sendCommand(CmdGetFwVer);
}

void RfsaSerialComms::getRfParams(RfsaSerialComms::FBand band)
{
    sendCommand(CmdGetRfParams, QByteArray(1, char(band)));
}

void RfsaSerialComms::getLastError()
{
    sendCommand(CmdGetLastError);
}

void RfsaSerialComms::sync()
{
    sendCommand(CmdSync);
}

void RfsaSerialComms::setFBand(RfsaSerialComms::SetFBand band)
{
    sendCommand(CmdSetFBand, QByteArray(1, char(band)));
}

void RfsaSerialComms::setFStart(double frequencyMHz)
{
    sendCommand(CmdSetFStart, RfsaFrame::freqToRadioFormat(frequencyMHz));
}

void RfsaSerialComms::setFStop(double frequencyMHz)
{
    sendCommand(CmdSetFStop, RfsaFrame::freqToRadioFormat(frequencyMHz));
}

void RfsaSerialComms::setSpanIndex(quint8 index)
{
    sendCommand(CmdSetSpanIndex, QByteArray(1, char(index)));
}

void RfsaSerialComms::setFStep(double frequencyKHz)
{
    sendCommand(CmdSetFStep, RfsaFrame::stepToRadioFormat(frequencyKHz));
}

void RfsaSerialComms::setRBW(quint8 rbwRegValue)
{
    sendCommand(CmdSetRBW, QByteArray(1, char(rbwRegValue)));
}

void RfsaSerialComms::setStepCount(quint16 stepCount)
{
    sendCommand(CmdSetStepCount, RfsaFrame::bigEndian16(stepCount));
}

void RfsaSerialComms::setSpan(quint16 FrequencyMHz)
{
    sendCommand(CmdSetSpan, RfsaFrame::bigEndian16(FrequencyMHz));
}

void RfsaSerialComms::initParameter() { }

void RfsaSerialComms::getSpecNoInit()
{
    sendCommand(CmdGetSpecNoInit);
}

void RfsaSerialComms::resetToBootloader()
{
    sendCommand(CmdResetToBootloader);
}

void RfsaSerialComms::hostBL()
{
    sendCommand(CmdHostBL);
}

void RfsaSerialComms::getInfoStr(quint8 cpu, quint8 str)
{
    m_infoCpu = cpu;
    m_infoStr = str;
    QByteArray payload;
    payload.append(char(cpu));
    payload.append(char(str));
    sendCommand(CmdGetInfoStr, payload);
}

void RfsaSerialComms::getCalibration()
{
    sendCommand(CmdGetCalibration);
}

void RfsaSerialComms::readData()
{
    receiveBytes(m_port->readAll());
}

void RfsaSerialComms::sendCommand(quint8 cmd, const QByteArray &payload)
{
    sendFrame(RfsaFrame::createFrame(cmd, payload));
}

void RfsaSerialComms::sendFrame(const QByteArray &frame)
{
    emit log(QStringLiteral(">> ") + hex(frame));
    // A closed port drops the frame; the missing acknowledgement ends the command by time-out.
    if (m_port->isOpen())
        m_port->write(frame);
    setWaitingAck(true);
    m_lastCommand = frame.size() >= 3 ? quint8(frame.at(2)) : 0;
}

void RfsaSerialComms::receiveBytes(const QByteArray &bytes)
{
    m_receiveData.append(bytes);
    for (;;) {
        if (m_receiveData.size() < 5)
            return;
        if (quint8(m_receiveData.at(0)) != RfsaFrame::k_startByte) {
            emit log(QStringLiteral("Data Corruption! ") + hex(m_receiveData));
            qCCritical(lcComms).noquote() << "Data Corruption!" << spacedHex(m_receiveData);
            m_receiveData.clear();
            return;
        }
        if (m_receiveData.size() < quint8(m_receiveData.at(1)) + 5)
            return;
        parseFrame();
    }
}

void RfsaSerialComms::parseFrame()
{
    const int length = quint8(m_receiveData.at(1)) + 5;
    const QByteArray frame = m_receiveData.left(length);
    if (quint8(frame.at(0)) != RfsaFrame::k_startByte) {
        emit error(tr("Bad data received"));
        m_receiveData.clear();
        return;
    }
    if (!RfsaFrame::checkCrc16(frame)) {
        emit log(QStringLiteral("CRC error: ") + hex(frame));
        emit error(tr("Crc error on received data"));
        m_receiveData.clear();
        return;
    }
    const quint8 code = quint8(frame.at(2));
    const QByteArray payload = frame.mid(3, length - 5);
    emit log(QStringLiteral("<< ") + hex(frame));
    // The frame leaves the buffer before any signal goes out, so a listener that sends the next
    // command meets a consistent state.
    m_receiveData.remove(0, length);

    // While a command waits for its acknowledgement, the next frame is that acknowledgement,
    // whatever it carries; except a spectrum data frame or a sweep's closing last-error frame
    // while another command waits. The analyzer acknowledges with the command's own code, so
    // such a frame is the rest of a sweep that a Stop or a band switch interrupted.
    if (waitingAck()) {
        if ((code == CmdGetSpecNoInit || code == CmdGetLastError) && code != m_lastCommand) {
            emit log(QStringLiteral("Dropped the rest of an interrupted sweep: ") + hex(frame));
            qCDebug(lcComms).noquote()
                << "Dropped the rest of an interrupted sweep, code" << QString::number(code, 16);
            return;
        }
        setWaitingAck(false);
        parseAck(code);
        return;
    }
    parseData(code, payload);
}

void RfsaSerialComms::parseAck(quint8 code)
{
    switch (code) {
    case CmdConnect:
        emit connectDone();
        break;
    case CmdDisconnect:
        emit disconnectDone();
        break;
    case CmdSync:
        emit syncDone();
        break;
    case CmdSetFBand:
        emit setFBandDone();
        break;
    case CmdSetFStart:
        emit setFStartDone();
        break;
    case CmdSetFStop:
        emit setFStopDone();
        break;
    case CmdSetSpanIndex:
        emit setSpanIndexDone();
        break;
    case CmdSetFStep:
        emit setFStepDone();
        break;
    case CmdSetRBW:
        emit setRBWDone();
        break;
    case CmdSetStepCount:
        emit setStepCountDone();
        break;
    case CmdSetSpan:
        emit setSpanDone();
        break;
    case CmdGetSpecNoInit:
        m_samples.clear();
        m_samplesOverflow = false;
        emit getSpecNoInitAck();
        break;
    case CmdGetCalibration:
        // A calibration starts empty too, never behind an earlier sweep's samples.
        m_samples.clear();
        m_samplesOverflow = false;
        break;
    case CmdResetToBootloader:
        emit resetToBootloaderDone();
        break;
    case CmdHostBL:
        emit hostBLDone();
        break;
    default:
        break;
    }
}

void RfsaSerialComms::parseData(quint8 code, const QByteArray &payload)
{
    switch (code) {
    case CmdGetDeviceVer: {
        const QString text = textOf(payload);
        emit log(QStringLiteral("Device Version: %1").arg(text));
        emit getDeviceVerDone(text);
        break;
    }
    case CmdGetFwVer: {
        QStringList parts;
        for (const char byte : payload)
            parts.append(QString::number(qint8(byte)));
        const QString text = parts.join(QLatin1Char('.'));
        emit log(QStringLiteral("Firmware Version: ") + text);
        emit getFwVerDone(text);
        break;
    }
    case CmdGetRfParams:
        parseRfParams(payload);
        break;
    case CmdGetLastError:
        parseLastError(payload);
        break;
    case CmdGetSpecNoInit:
        emit log(QStringLiteral("Getting Spectrum"));
        appendSamples(payload);
        break;
    case CmdGetInfoStr: {
        emit log(QStringLiteral("Got Info String (%1, %2)").arg(m_infoCpu).arg(m_infoStr));
        const QString text = payload.isEmpty() ? QString() : textOf(payload);
        emit log(text);
        emit getInfoStrDone(m_infoCpu, m_infoStr, text);
        break;
    }
    case CmdGetCalibration:
        emit log(QStringLiteral("Getting calibration array"));
        appendSamples(payload);
        break;
    default:
        break;
    }
}

void RfsaSerialComms::appendSamples(const QByteArray &payload)
{
    if (m_samplesOverflow)
        return;
    if (m_samples.size() + payload.size() > k_maxSweepSamples) {
        const QString text
            = QStringLiteral("Dropped a sweep longer than %1 samples").arg(k_maxSweepSamples);
        emit log(text);
        qCWarning(lcComms).noquote() << text;
        m_samples.clear();
        m_samples.squeeze();
        m_samplesOverflow = true;
        return;
    }
    for (const char byte : payload)
        m_samples.append(qint8(byte));
}

void RfsaSerialComms::parseRfParams(const QByteArray &payload)
{
    if (m_rfEntryCount == k_noTable) {
        const quint8 count = quint8(RfsaFrame::readUnsigned(payload, 0, 1));
        const quint16 sweepCount = quint16(RfsaFrame::readUnsigned(payload, 1, 2));
        m_rfEntryIndex = 0;
        emit log(
            QStringLiteral("RF Params - RBW Count: %1 Sweep Count: %2").arg(count).arg(sweepCount));
        m_rfParams.sweepCount = sweepCount;
        m_rfParams.entries.resize(count);
        m_rfEntryCount = count;
        // A table without entries is complete with its header; waiting for an entry that never
        // comes would only end in a time-out.
        if (count == 0) {
            m_rfEntryCount = k_noTable;
            emit getRfParamsDone(m_rfParams);
        }
        return;
    }

    RfParamsEntry entry;
    entry.rbw = readDouble(payload, 0);
    entry.ifValue = int(RfsaFrame::readUnsigned(payload, 8, 2));
    entry.setting = int(RfsaFrame::readUnsigned(payload, 10, 1));
    emit log(QStringLiteral("Entry %1 - RBW: %2 IF: %3 Setting: %4")
                 .arg(m_rfEntryIndex)
                 .arg(QString::number(entry.rbw, 'g', 6))
                 .arg(entry.ifValue)
                 .arg(entry.setting));
    m_rfParams.entries[m_rfEntryIndex] = entry;
    ++m_rfEntryIndex;
    if (m_rfEntryIndex == m_rfEntryCount) {
        m_rfEntryCount = k_noTable;
        emit getRfParamsDone(m_rfParams);
    }
}

void RfsaSerialComms::parseLastError(const QByteArray &payload)
{
    const qint64 timeStamp = QDateTime::currentMSecsSinceEpoch();
    const int code = int(RfsaFrame::readUnsigned(payload, 0, 2));
    emit log(QStringLiteral("Last Error: %1").arg(code));
    emit getLastErrorDone(code);

    if (m_lastCommand != CmdGetCalibration && m_lastCommand != CmdGetSpecNoInit)
        return;
    // A dropped sweep still ends its transfer: the scan asks for the next one on its completion,
    // and the window takes only sweeps of its band's length, never an empty one.
    m_samplesOverflow = false;
    QString values;
    values.reserve(m_samples.size() * 4);
    for (const qint8 sample : qAsConst(m_samples)) {
        values += QString::number(sample);
        values += QLatin1Char(' ');
    }
    const QString head = m_lastCommand == CmdGetCalibration ? QStringLiteral("Calibration Array: (")
                                                            : QStringLiteral("Current Spectrum: (");
    emit log(head + QString::number(m_samples.size()) + QStringLiteral(") ") + values);
    if (m_lastCommand == CmdGetCalibration)
        emit getCalibrationDone(timeStamp, m_samples);
    else
        emit getSpecNoInitDone(timeStamp, m_samples);
}
