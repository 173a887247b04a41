#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;
class QThread;
class SerialPortWatch;

// Base of the protocols spoken to the analyzer. Every protocol object reads and writes the one
// serial port of the process, which outlives them: an object opens the port (or reuses it
// when it is already open under the same name), clears what is pending, and receives the
// port's readyRead in readData() for as long as it lives. Protocol objects and the port live
// on the communication thread.
class SerialComms : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool waitingAck READ waitingAck WRITE setWaitingAck NOTIFY waitingAckChanged)

public:
    SerialComms(const QString &portName, QObject *parent = nullptr);
    ~SerialComms() override;

    // Moves the shared port to `thread`; must run in the thread that owns the port.
    static void setSerialPortThread(QThread *thread);
    // Reports the loss of the port's device; it lives on the port's thread.
    static SerialPortWatch *portWatch();

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

    // The one serial port of the process.
    static QSerialPort *const m_port;

    // Bytes received and not yet parsed.
    QByteArray m_receiveData;

private:
    void onPortError(int portError);

    bool m_waitingAck = false;
    bool m_portLost = false;
};
