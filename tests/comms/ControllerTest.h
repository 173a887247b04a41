#pragma once

#include "QuorvexTest.h"
#include "comms/DeviceComms.h"
#include "sim/SimulatedAnalyzer.h"

#include <functional>
#include <memory>

using Call = std::function<void(DeviceComms *)>;
using Check = std::function<bool(const QList<QVariant> &)>;
Q_DECLARE_METATYPE(Call)
Q_DECLARE_METATYPE(Check)

// What the controller's tests share: the session controller with its real communication thread
// and the real serial port on the simulated analyzer's pseudo-terminal. Messages for the user
// are caught at the controller's message sink, its state changes listed as events.
class ControllerTest : public QObject
{
protected:
    static SimulatedAnalyzerSettings fastSettings()
    {
        SimulatedAnalyzerSettings settings;
        settings.seed = 7;
        settings.throttle = false;
        settings.sweepTime900Ms = 5;
        settings.sweepTime2400Ms = 5;
        return settings;
    }

    // The arguments of an info string's completion for string 0 of `cpu`.
    static QList<QVariant> infoArgs(quint8 cpu, const QString &text)
    {
        return {QVariant::fromValue(cpu), QVariant::fromValue(quint8(0)), text};
    }

    // For init(): a new controller on the analyzer's port.
    void setUpController()
    {
        m_comms = std::make_unique<DeviceComms>();
        m_comms->setPortName(m_sim.portName());
        m_comms->setMessageSink([this](const QString &title, const QString &text) {
            m_messages.append(title + QStringLiteral(": ") + text);
        });
        m_comms->setPortSource([] { return DeviceComms::PortList(); });
        DeviceComms *comms = m_comms.get();
        connect(comms, &DeviceComms::busyChanged, this,
                [this](bool on) { m_events.append(QStringLiteral("busy:%1").arg(on)); });
        connect(comms, &DeviceComms::connectedChanged, this,
                [this](bool on) { m_events.append(QStringLiteral("connected:%1").arg(on)); });
        connect(comms, &DeviceComms::scanningChanged, this,
                [this](bool on) { m_events.append(QStringLiteral("scanning:%1").arg(on)); });
        m_log = std::make_unique<QSignalSpy>(comms, &DeviceComms::log);
    }

    // For cleanup().
    void tearDownController()
    {
        m_log.reset();
        m_comms.reset();
        m_messages.clear();
        m_events.clear();
        // A power cycle: whatever the test left the analyzer doing is forgotten.
        m_sim.dropAcknowledgements(0);
        m_sim.setCorruptCrcEvery(0);
        m_sim.setStall(0, 0);
        m_sim.hangUp();
        QVERIFY(m_sim.plugIn());
        // What the analyzer reported before it was unplugged is not for the next test.
        QCoreApplication::processEvents();
    }

    SimulatedAnalyzer m_sim{fastSettings()};
    std::unique_ptr<DeviceComms> m_comms;
    std::unique_ptr<QSignalSpy> m_log;
    QStringList m_messages;
    QStringList m_events;
};
