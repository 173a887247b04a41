#pragma once

#include "RfParams.h"
#include "SerialComms.h"
#include "data/RfSpectrumScan.h"

// The analyzer's own protocol, in the frames of RfsaFrame. Every command operation sends one
// frame; the analyzer acknowledges it with a frame carrying the command's code and then sends
// the command's data frames, which the parser decodes into the completion signals. A sweep arrives
// as data frames of up to 255 samples closed by a last-error frame.
class RfsaSerialComms : public SerialComms
{
    Q_OBJECT

public:
    // Band numbering of the RF-parameter query.
    enum FBand { FBand_900MHz = 0, FBand_2400MHz = 1 };
    Q_ENUM(FBand)
    // Band numbering of the set-band command.
    enum SetFBand { SetFBand_900MHz = 1, SetFBand_2400MHz = 2 };
    Q_ENUM(SetFBand)

    RfsaSerialComms(const QString &portName, QObject *parent = nullptr);

public Q_SLOTS:
    void connect();
    void disconnect();
    void getDeviceVer();
    void getFwVer();
    void getRfParams(RfsaSerialComms::FBand band);
    void getLastError();
    void sync();
    void setFBand(RfsaSerialComms::SetFBand band);
    void setFStart(double frequencyMHz);
    void setFStop(double frequencyMHz);
    void setSpanIndex(quint8 index);
    void setFStep(double frequencyKHz);
    void setRBW(quint8 rbwRegValue);
    void setStepCount(quint16 stepCount);
    void setSpan(quint16 FrequencyMHz);
    // Has no frame of its own: sends nothing, and initParameterDone() never comes.
    void initParameter();
    void getSpecNoInit();
    void resetToBootloader();
    void hostBL();
    void getInfoStr(quint8 cpu, quint8 str);
    void getCalibration();

    void readData() override;

Q_SIGNALS:
    void connectDone();
    void disconnectDone();
    void getDeviceVerDone(QString devVer);
    void getFwVerDone(QString fwVer);
    void getRfParamsDone(RfParams params);
    void getLastErrorDone(int lastError);
    void syncDone();
    void setFBandDone();
    void setFStartDone();
    void setFStopDone();
    void setSpanIndexDone();
    void setFStepDone();
    void setRBWDone();
    void setStepCountDone();
    void setSpanDone();
    void initParameterDone();
    void getSpecNoInitAck();
    void getSpecNoInitDone(qint64 timeStamp, RfSpectrumScan spectrum);
    void getCalibrationDone(qint64 timeStamp, RfSpectrumScan spectrum);
    void resetToBootloaderDone();
    void hostBLDone();
    void getInfoStrDone(quint8 cpu, quint8 str, QString data);

protected:
    // Appends received bytes to the receive buffer and parses every complete frame at its
    // front; readData() passes what the port has.
    void receiveBytes(const QByteArray &bytes);

private:
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
    static constexpr quint8 k_noTable = 255;
    // The step count is a 16-bit number, so no sweep or calibration the analyzer can be set up
    // for has more samples; a transfer that goes on beyond that is not a sweep.
    static constexpr int k_maxSweepSamples = 65535;

    void sendCommand(quint8 cmd, const QByteArray &payload = QByteArray());
    void sendFrame(const QByteArray &frame);
    void parseFrame();
    void parseAck(quint8 code);
    void parseData(quint8 code, const QByteArray &payload);
    void parseRfParams(const QByteArray &payload);
    void parseLastError(const QByteArray &payload);
    void appendSamples(const QByteArray &payload);

    RfParams m_rfParams;
    quint8 m_rfEntryCount = k_noTable;
    quint8 m_rfEntryIndex = 0;
    RfSpectrumScan m_samples;
    // Set when the transfer under way outgrew k_maxSweepSamples: its data frames are ignored
    // until its closing frame.
    bool m_samplesOverflow = false;
    quint8 m_infoCpu = 0;
    quint8 m_infoStr = 0;
    quint8 m_lastCommand = 0;
};
