#pragma once

#include <QObject>
#include <QString>

// Tells whoever keeps the session that the shared serial port lost its device (an unplugged
// analyzer) and has been closed. It lives with the port, on the port's thread, and reports
// whether or not a protocol object was listening at that moment.
class SerialPortWatch : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

Q_SIGNALS:
    void portLost(QString portName);
};
