#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;
class QThread;
class SerialPortWatch;

// Base of the protocols spoken to the analyzer. Every protocol object reads and writes the
// serial port of its thread, which outlives it: each communication thread (one per analyzer)
// has one port, made on first use and closed when the thread ends. An object opens the port (or
// reuses it when it is already open under the same name), clears what is pending, and receives
// the port's readyRead in readData() for as long as it lives.
class SerialComms : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool waitingAck READ waitingAck WRITE setWaitingAck NOTIFY waitingAckChanged)

public:
    SerialComms(const QString &portName, QObject *parent = nullptr);
    ~SerialComms() override;

    // The serial port of `thread` (made when it has none yet), living on that thread.
    static QSerialPort *portOf(QThread *thread);
    // Reports the loss of the device of `thread`'s port; it lives on that thread.
    static SerialPortWatch *portWatch(QThread *thread);

    void closePort();
    void printReceiveData();
    void printPortBuffer();

    bool waitingAck() const { return m_waitingAck; }

public Q_SLOTS:
    void setWaitingAck(bool waitingAck);
    virtual void readData() = 0;

    // The error a sequence ends with when the port loses its device (an unplugged analyzer, or
    // one that re-enumerates as another device).
    static QString portLostText();

Q_SIGNALS:
    void error(QString error);
    void log(QString logMsg);
    void waitingAckChanged(bool waitingAck);

protected:
    // Lower-case hexadecimal, two digits per byte: without separators for the log signal,
    // with one space between bytes for the debug output.
    static QString hex(const QByteArray &bytes);
    static QString spacedHex(const QByteArray &bytes);

    // The serial port of the thread this object was made on.
    QSerialPort *const m_port;

    // Bytes received and not yet parsed.
    QByteArray m_receiveData;

private:
    void onPortError(int portError);

    bool m_waitingAck = false;
    bool m_portLost = false;
};
