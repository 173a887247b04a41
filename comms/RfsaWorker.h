#pragma once

#include "DeviceComms.h"
#include "RfsaSerialComms.h"
#include "SequenceWorker.h"

#include <QState>

// A sequence spoken in the analyzer's protocol: it owns an analyzer protocol object on the
// given port and hands the protocol's completions to the controller.
class RfsaWorker : public SequenceWorker
{
    Q_OBJECT

public:
    RfsaWorker(const QString &portName, DeviceComms *deviceComms, QObject *parent = nullptr);

protected:
    RfsaSerialComms *rfsa() const { return m_rfsa; }

    // Re-emits a completion of the protocol as the controller's signal of the same meaning.
    template<typename Signal, typename ControllerSignal>
    void forward(Signal signal, ControllerSignal controllerSignal,
                 Qt::ConnectionType type = Qt::AutoConnection);

    // The whole sequence is one step: `command` is sent on entry, `done` ends the sequence
    // and is forwarded to `controllerSignal`.
    template<typename Command, typename Signal, typename ControllerSignal>
    void runSingleCommand(Command command, Signal done, ControllerSignal controllerSignal);

private:
    RfsaSerialComms *m_rfsa;
};

template<typename Signal, typename ControllerSignal>
void RfsaWorker::forward(Signal signal, ControllerSignal controllerSignal, Qt::ConnectionType type)
{
    if (m_deviceComms)
        QObject::connect(m_rfsa, signal, m_deviceComms, controllerSignal, type);
}

template<typename Command, typename Signal, typename ControllerSignal>
void RfsaWorker::runSingleCommand(Command command, Signal done, ControllerSignal controllerSignal)
{
    forward(done, controllerSignal);
    QState *step = addStep(command);
    step->addTransition(m_rfsa, done, m_finalState);
    start(step);
}
