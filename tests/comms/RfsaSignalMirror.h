#pragma once

#include "comms/RfsaSerialComms.h"

// Repeats every signal of a protocol object that lives on another thread, queued, on the thread
// that owns the mirror, where QSignalSpy can watch it safely.
class RfsaSignalMirror : public QObject
{
    Q_OBJECT

public:
    void attach(RfsaSerialComms *comms)
    {
        using C = RfsaSerialComms;
        using M = RfsaSignalMirror;
        QObject::connect(comms, &C::error, this, &M::error);
        QObject::connect(comms, &C::log, this, &M::log);
        QObject::connect(comms, &C::waitingAckChanged, this, &M::waitingAckChanged);
        QObject::connect(comms, &C::connectDone, this, &M::connectDone);
        QObject::connect(comms, &C::disconnectDone, this, &M::disconnectDone);
        QObject::connect(comms, &C::getDeviceVerDone, this, &M::getDeviceVerDone);
        QObject::connect(comms, &C::getFwVerDone, this, &M::getFwVerDone);
        QObject::connect(comms, &C::getRfParamsDone, this, &M::getRfParamsDone);
        QObject::connect(comms, &C::getLastErrorDone, this, &M::getLastErrorDone);
        QObject::connect(comms, &C::syncDone, this, &M::syncDone);
        QObject::connect(comms, &C::setFBandDone, this, &M::setFBandDone);
        QObject::connect(comms, &C::setFStartDone, this, &M::setFStartDone);
        QObject::connect(comms, &C::setFStopDone, this, &M::setFStopDone);
        QObject::connect(comms, &C::setSpanIndexDone, this, &M::setSpanIndexDone);
        QObject::connect(comms, &C::setFStepDone, this, &M::setFStepDone);
        QObject::connect(comms, &C::setRBWDone, this, &M::setRBWDone);
        QObject::connect(comms, &C::setStepCountDone, this, &M::setStepCountDone);
        QObject::connect(comms, &C::setSpanDone, this, &M::setSpanDone);
        QObject::connect(comms, &C::getSpecNoInitAck, this, &M::getSpecNoInitAck);
        QObject::connect(comms, &C::getSpecNoInitDone, this, &M::getSpecNoInitDone);
        QObject::connect(comms, &C::getCalibrationDone, this, &M::getCalibrationDone);
        QObject::connect(comms, &C::resetToBootloaderDone, this, &M::resetToBootloaderDone);
        QObject::connect(comms, &C::hostBLDone, this, &M::hostBLDone);
        QObject::connect(comms, &C::getInfoStrDone, this, &M::getInfoStrDone);
    }

Q_SIGNALS:
    void error(QString error);
    void log(QString logMsg);
    void waitingAckChanged(bool waitingAck);
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
    void getSpecNoInitAck();
    void getSpecNoInitDone(qint64 timeStamp, RfSpectrumScan spectrum);
    void getCalibrationDone(qint64 timeStamp, RfSpectrumScan spectrum);
    void resetToBootloaderDone();
    void hostBLDone();
    void getInfoStrDone(quint8 cpu, quint8 str, QString data);
};
