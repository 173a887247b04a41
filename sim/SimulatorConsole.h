#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
class SimulatedAnalyzer;

// Text commands that drive a running simulator's faults, one per line (quorvex-sim reads them
// from its standard input): hangup, plugin, garbage [n], stall <ms>, drop-acks <n>,
// corrupt-crc-every <n>, garbage-every <n>, status, quit.
class SimulatorConsole : public QObject
{
    Q_OBJECT

public:
    explicit SimulatorConsole(SimulatedAnalyzer *simulator, QObject *parent = nullptr);

    // Runs one command; returns the answer to print.
    QString execute(const QString &line);
    // Reads commands from `fd` as lines arrive, until end of input.
    void listen(int fd);

Q_SIGNALS:
    void answered(QString text);
    void quitRequested();

private:
    void readInput();

    SimulatedAnalyzer *m_simulator;
    QSocketNotifier *m_notifier = nullptr;
    int m_fd = -1;
    QByteArray m_pending;
};
