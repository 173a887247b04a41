#pragma once

#include "RblSerialComms.h"
#include "comms/DeviceComms.h"
#include "comms/SequenceWorker.h"

#include <QState>

// A sequence spoken in the radio's ROM-bootloader protocol: it owns a bootloader protocol
// object on the given port and hands the protocol's completions to the controller.
class RblWorker : public SequenceWorker
{
    Q_OBJECT

public:
    RblWorker(const QString &portName, DeviceComms *deviceComms, QObject *parent = nullptr);

protected:
    RblSerialComms *rbl() const { return m_rbl; }

    // The whole sequence is one step: `command` is sent on entry, `done` ends the sequence
    // and is forwarded to `controllerSignal`.
    template<typename Command, typename Signal, typename ControllerSignal>
    void runSingleCommand(Command command, Signal done, ControllerSignal controllerSignal)
    {
        if (m_deviceComms)
            QObject::connect(m_rbl, done, m_deviceComms, controllerSignal);
        QState *step = addStep(command);
        step->addTransition(m_rbl, done, m_finalState);
        start(step);
    }

    static uint number(const ScanParams &parameters, const char *key)
    {
        return parameters.value(QString::fromLatin1(key)).toUInt();
    }

private:
    RblSerialComms *m_rbl;
};
