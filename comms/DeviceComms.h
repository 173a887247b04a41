#pragma once

#include "DevComsThread.h"
#include "DeviceCommands.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

// The session with the analyzer, on the main thread: finds candidate serial ports, remembers the
// chosen one, starts a command sequence on the communication thread for every request (the
// requests and their completions are DeviceCommands'), keeps the connected, busy and scanning
// states, and turns the sequences' outcomes into those states and into error messages.
class DeviceComms : public DeviceCommands
{
    Q_OBJECT
    Q_PROPERTY(bool connected READ connected WRITE setConnected NOTIFY connectedChanged)
    Q_PROPERTY(bool busy READ busy WRITE setBusy NOTIFY busyChanged)
    Q_PROPERTY(bool scanning READ scanning NOTIFY scanningChanged)

public:
    // The analyzer's serial port describes itself with the product name.
    static constexpr char k_productName[] = "Quorvex";
    static constexpr int k_shutdownPollMs = 5;

    // Serial ports as (name, description) pairs.
    using PortList = QList<QPair<QString, QString>>;
    // Shows a failure that needs the user: a title and a text.
    using MessageSink = std::function<void(const QString &title, const QString &text)>;

    explicit DeviceComms(QObject *parent = nullptr);
    ~DeviceComms() override;

    static PortList systemPorts();
    static QStringList allPorts();
    // The names of `ports` whose description is exactly `description`, leaving out the call-in
    // devices ("tty.*") that some systems list beside every USB modem's "cu.*" device.
    static QStringList filteredPorts(const PortList &ports, const QString &description);
    static QStringList filteredPorts(const QString &description);
    static void printPortsInfo();

    // Where failures go. Without a sink they are written as critical debug lines.
    void setMessageSink(MessageSink sink);
    // Where the ports are listed from (the system's, by default): the candidates of Connect and
    // the ports counted when a connect times out.
    void setPortSource(std::function<PortList()> source);
    PortList ports() const { return m_portSource(); }
    // Suppresses the communication-error message of sequences other than the connect sequence.
    void setNoCommError(bool noCommError);
    bool noCommError() const { return m_noCommError; }
    // Failures of the sequences of this class are reported through sequenceFailed only, with
    // no message: their caller has a way on without the user (a synchronisation the radio may
    // not answer, followed by a reset). Empty: every failure is reported.
    void setSilentFailures(const QString &workerClass) { m_silentWorker = workerClass; }
    QString portName() const { return m_portName; }

    // Ends the scan loop. The stop travels through the communication thread's queue, behind
    // the creation of any sequence still on its way there, so a scan started a moment ago
    // (whose loop does not listen yet) is stopped as well.
    void requestStopScanning();

    // Deletes the live sequences, tells the analyzer that the program disconnects (waiting
    // 100 ms at most for its acknowledgement) and ends the communication thread.
    void terminateCommsThread();

    bool busy() const { return m_busy; }
    bool connected() const { return m_connected; }
    bool scanning() const { return m_scanning; }

public Q_SLOTS:
    void connectToDevice(bool debug);
    void disconnectFromDevice();
    void sendRfSetupAndScan(const ScanParams &parameters);
    void setPortName(const QString &portName);
    void setBusy(bool busy);
    void setConnected(bool connected);

    void onSequenceFinished(const QString &workerClass);
    void onSequenceTimeout(const QString &workerClass);
    void onSequenceError(const QString &workerClass, const QString &errStr);
    // A disconnect that failed or stayed unanswered: the session is over all the same.
    void onDisconnectUnanswered(const QString &workerClass);

Q_SIGNALS:
    void log(QString logMsg);
    void stopScanning();
    void shouldTryBootload();
    void busyChanged(bool busy);
    void connectedChanged(bool connected);
    void scanningChanged(bool scanning);
    // A sequence ended by its time-out (reason empty) or with an error.
    void sequenceFailed(QString workerClass, QString reason);

protected:
    // Posts the creation of the sequence on the communication thread and marks the session busy.
    void startSequence(MakeSequence make, const char *name, const ScanParams &parameters) override;

private:
    // The port lost its device while no sequence was running.
    void onPortLost(const QString &portName);
    // After a failure: not busy, not scanning, not connected.
    void endSession();
    // Stores and reports the scanning state, changed or not.
    void reportScanning(bool scanning);
    void showCritical(const QString &text);

    QString m_portName;
    DevComsThread m_thread;
    bool m_connected = false;
    bool m_busy = false;
    bool m_scanning = false;
    bool m_noCommError = false;
    QString m_silentWorker;
    MessageSink m_messageSink;
    std::function<PortList()> m_portSource;
};
