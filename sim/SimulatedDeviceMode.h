#pragma once

#include <QByteArray>
#include <QObject>

// One personality of the simulated device on its serial line: the analyzer protocol, or (after
// the radio has been reset into it) the radio's ROM bootloader. The device hands it every byte
// received while it is the active mode and puts what it emits through `send` on the line.
class SimulatedDeviceMode : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void receive(const QByteArray &bytes) = 0;
    // Power-on state: partial input and pending replies are dropped.
    virtual void reset() = 0;

Q_SIGNALS:
    void send(QByteArray bytes);
};
