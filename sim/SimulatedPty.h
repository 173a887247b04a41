#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

// The device's end of the serial line: the master side of a pseudo-terminal in raw mode. The
// program opens the slave side with its ordinary serial port. The simulator keeps a slave
// descriptor of its own open, so that the line stays up while the program closes and reopens
// the port, exactly as a device node does. Output is queued and, when throttled, paced at the
// byte rate of a 115200-baud line; it can be stalled for a while. Hanging up closes both
// sides, as unplugging the device does: the program's port fails and the path goes away.
class SimulatedPty : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_bytesPerSecond = 11520; // 115200 baud, 8N1

    explicit SimulatedPty(QObject *parent = nullptr);
    ~SimulatedPty() override;

    // Opens a new pseudo-terminal; `linkPath`, when given, becomes a symbolic link to its slave.
    bool open(const QString &linkPath = QString());
    void hangUp();
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_errorString; }

    void setThrottled(bool throttled) { m_throttled = throttled; }
    bool throttled() const { return m_throttled; }
    // Queues bytes for the line. Nothing is queued while hung up.
    void write(const QByteArray &bytes);
    // Holds the output back for `msecs` from now; what is queued waits.
    void stall(int msecs);
    // Drops what is queued and not yet on the line.
    void discardOutput() { m_output.clear(); }
    qint64 queuedBytes() const { return m_output.size(); }

Q_SIGNALS:
    void received(QByteArray bytes);

private:
    void readMaster();
    void pump();
    void closeDescriptors();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QString m_errorString;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer *m_pumpTimer;
    QByteArray m_output;
    bool m_throttled = false;
    QElapsedTimer m_clock;
    qint64 m_stallUntil = 0; // ms on m_clock
    double m_credit = 0.0; // bytes the line may carry now
    qint64 m_creditAt = 0; // ns on m_clock
};
