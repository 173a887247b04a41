#pragma once

#include <QFinalState>
#include <QObject>
#include <QState>
#include <QString>
#include <atomic>

class DeviceComms;
class QStateMachine;
class QTimer;
class SerialComms;

// A command sequence: a state machine whose step states send commands through one protocol
// object and move on when its completion signals arrive. Every step is a child of the main
// state, so one time-out of 2000 ms covers every entry into the main state, whichever step is
// active. The sequence ends in exactly one of three ways (the final state, the time-out, an
// error of the protocol object), reports it once with its class name and deletes itself.
// Sequences run on the communication thread; the controller starts them there.
class SequenceWorker : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_timeoutMs = 2000;

    // Takes ownership of `comms`. `deviceComms`, when given, receives the outcome and the
    // protocol log.
    SequenceWorker(SerialComms *comms, DeviceComms *deviceComms, QObject *parent = nullptr);
    ~SequenceWorker() override;

    // The class name of the concrete sequence, as carried by its reports.
    QString workerClass() const;
    // False once the sequence has reported its end.
    bool isRunning() const { return !m_ended; }
    // Sequences constructed and not yet destroyed, on any thread.
    static int liveCount() { return s_liveCount.load(); }

Q_SIGNALS:
    void finished(QString workerClass);
    void timeout(QString workerClass);
    void error(QString workerClass, QString error);

protected:
    // A step under the main state that runs `command` when entered.
    template<typename Command> QState *addStep(Command command);
    // Enters the main state (and `initialStep`, when given) once the event loop runs.
    void start(QState *initialStep = nullptr);

    QTimer *m_timer;
    QStateMachine *m_stateMachine;
    QState *m_mainState;
    QState *m_timeoutState;
    QFinalState *m_finalState;
    SerialComms *m_comms;
    DeviceComms *m_deviceComms;

private:
    static std::atomic<int> s_liveCount;

    void onTimeout();
    void onError(const QString &text);
    void onFinished();
    // Marks the end: nothing of the protocol object reaches anybody any more.
    bool end();

    bool m_ended = false;
};

template<typename Command> QState *SequenceWorker::addStep(Command command)
{
    auto *step = new QState(m_mainState);
    QObject::connect(step, &QState::entered, this, command);
    return step;
}
