#include "SequenceWorker.h"

#include "CommsLog.h"
#include "DeviceComms.h"
#include "SerialComms.h"

#include <QFinalState>
#include <QState>
#include <QStateMachine>
#include <QTimer>

std::atomic<int> SequenceWorker::s_liveCount{0};

SequenceWorker::SequenceWorker(SerialComms *comms, DeviceComms *deviceComms, QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
    , m_stateMachine(new QStateMachine(this))
    , m_mainState(new QState(m_stateMachine))
    , m_timeoutState(new QState(m_stateMachine))
    , m_finalState(new QFinalState(m_stateMachine))
    , m_comms(comms)
    , m_deviceComms(deviceComms)
{
    ++s_liveCount;
    m_timer->setSingleShot(true);
    m_timer->setInterval(k_timeoutMs);

    // Every step is a child of the main state, so the time-out fires whichever step is active.
    m_mainState->addTransition(m_timer, &QTimer::timeout, m_timeoutState);
    connect(m_timeoutState, &QState::entered, this, &SequenceWorker::onTimeout);
    connect(m_comms, &SerialComms::error, this, &SequenceWorker::onError);
    // Each entry into the main state (re)starts the allowance; moving between steps does not.
    connect(m_mainState, &QState::entered, m_timer, QOverload<>::of(&QTimer::start));
    connect(m_stateMachine, &QStateMachine::finished, this, &SequenceWorker::onFinished);

    if (m_deviceComms) {
        connect(this, &SequenceWorker::finished, m_deviceComms, &DeviceComms::onSequenceFinished);
        connect(this, &SequenceWorker::timeout, m_deviceComms, &DeviceComms::onSequenceTimeout);
        connect(this, &SequenceWorker::error, m_deviceComms, &DeviceComms::onSequenceError);
        connect(m_comms, &SerialComms::log, m_deviceComms, &DeviceComms::log);
    }
    m_stateMachine->setInitialState(m_mainState);
}

SequenceWorker::~SequenceWorker()
{
    qCDebug(lcComms) << "Destroying SequenceWorker";
    --s_liveCount;
    m_timer->stop();
    delete m_comms;
}

QString SequenceWorker::workerClass() const
{
    return QString::fromLatin1(metaObject()->className());
}

void SequenceWorker::start(QState *initialStep)
{
    if (initialStep)
        m_mainState->setInitialState(initialStep);
    m_stateMachine->start();
}

bool SequenceWorker::end()
{
    if (m_ended)
        return false;
    m_ended = true;
    m_timer->stop();
    // Replies still arriving for this sequence (the rest of a sweep after a stop, frames after
    // an error) neither move the machine nor reach the controller.
    m_comms->blockSignals(true);
    deleteLater();
    return true;
}

void SequenceWorker::onTimeout()
{
    if (m_ended)
        return;
    m_comms->printReceiveData();
    m_comms->printPortBuffer();
    m_comms->closePort();
    end();
    emit timeout(workerClass());
}

void SequenceWorker::onError(const QString &text)
{
    if (m_ended)
        return;
    m_comms->closePort();
    end();
    emit error(workerClass(), text);
}

void SequenceWorker::onFinished()
{
    if (end())
        emit finished(workerClass());
}
