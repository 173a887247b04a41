#pragma once

#include "RfParams.h"
#include "RfsaSerialComms.h"
#include "data/RfSpectrumScan.h"
#include "data/ScanParams.h"

#include <QObject>

class DeviceComms;
class SequenceWorker;

// The controller's dispatch table: a request for every command of the analyzer's protocol and
// of its radio's ROM bootloader, each started as a sequence of its own on the communication
// thread (how it is started is the controller's: DeviceComms), and a completion signal for
// each, which the sequences forward from their protocol objects.
class DeviceCommands : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

public Q_SLOTS:
    void rfsaConnect();
    void rfsaDisconnect();
    void rfsaGetDeviceVer();
    void rfsaGetFwVer();
    void rfsaGetRfParams(RfsaSerialComms::FBand band);
    void rfsaGetLastError();
    void rfsaSync();
    void rfsaHostBL();
    void rfsaSetFBand(RfsaSerialComms::SetFBand band);
    void rfsaSetFStart(double frequencyMHz);
    void rfsaSetFStop(double frequencyMHz);
    void rfsaSetSpanIndex(quint8 index);
    void rfsaSetFStep(double frequencyKHz);
    void rfsaSetRBW(quint8 rbwRegValue);
    void rfsaSetStepCount(quint16 stepCount);
    void rfsaSetSpan(quint16 FrequencyMHz);
    void rfsaInitParameter();
    void rfsaGetSpecNoInit();
    void rfsaGetCalibration();
    void rfsaResetToBootloader();
    void rfsaGetInfoString(quint8 cpu, quint8 str);

    // The radio's ROM bootloader (once the radio has been reset into it).
    void rblAutoBaud();
    void rblCmdPing();
    void rblCmdDownload(quint32 address, quint32 size);
    void rblCmdGetStatus();
    void rblCmdSendData(const QByteArray &data);
    void rblCmdReset();
    void rblCmdSectorErase(quint32 address);
    void rblCmdCrc32(quint32 address, quint32 size, quint32 readRepeat);
    void rblCmdGetChipId();
    void rblCmdMemoryRead(quint32 address, quint32 size);
    void rblCmdMemoryWrite(quint32 address, const QByteArray &data);
    void rblCmdBankErase();
    void rblCmdSetCcfg(quint32 fieldId, quint32 fieldValue);
    void rblWriteSector(quint32 address, const QByteArray &data);

Q_SIGNALS:
    void rfsaConnectDone();
    void rfsaDisconnectDone();
    void rfsaGetDeviceVerDone(QString devVer);
    void rfsaGetFwVerDone(QString fwVer);
    void rfsaGetRfParamsDone(RfParams params);
    void rfsaGetLastErrorDone(int lastError);
    void rfsaSyncDone();
    void rfsaHostBLDone();
    void rfsaSetFBandDone();
    void rfsaSetFStartDone();
    void rfsaSetFStopDone();
    void rfsaSetSpanIndexDone();
    void rfsaSetFStepDone();
    void rfsaSetRBWDone();
    void rfsaSetStepCountDone();
    void rfsaSetSpanDone();
    void rfsaInitParameterDone();
    void rfsaGetSpecNoInitDone(qint64 timeStamp, RfSpectrumScan spectrum);
    void rfsaGetCalibrationDone(qint64 timeStamp, RfSpectrumScan spectrum);
    void rfsaResetToBootloaderDone();
    void rfsaGetInfoStrDone(quint8 cpu, quint8 str, QString data);

    void rblAutoBaudDone();
    void rblCmdPingDone();
    void rblCmdDownloadDone();
    void rblCmdGetStatusDone(quint8 status);
    void rblCmdSendDataDone();
    void rblCmdResetDone();
    void rblCmdSectorEraseDone();
    void rblCmdCrc32Done(quint32 crc);
    void rblCmdGetChipIdDone(quint32 chipId);
    void rblCmdMemoryReadDone(QByteArray data);
    void rblCmdMemoryWriteDone();
    void rblCmdBankEraseDone();
    void rblCmdSetCcfgDone();
    void rblWriteSectorDone();

protected:
    // Makes a sequence on the communication thread: on `portName`, reporting to `comms`.
    using MakeSequence = SequenceWorker *(*)(const QString &portName, DeviceComms *comms,
                                             const ScanParams &parameters, QObject *host);
    // Starts the sequence `make` makes (named `name`) with `parameters`.
    virtual void startSequence(MakeSequence make, const char *name, const ScanParams &parameters)
        = 0;
    template<typename Worker> void start(const ScanParams &parameters = {})
    {
        startSequence(
            [](const QString &portName, DeviceComms *comms, const ScanParams &params, QObject *host)
                -> SequenceWorker * { return new Worker(portName, comms, params, host); },
            Worker::staticMetaObject.className(), parameters);
    }
};
