#pragma once

#include "ChildProcess.h"
#include "sensor/SensorBand.h"
#include "sim/SimulatedSweepGenerator.h"

#include <QProcess>
#include <QtTest>
#include <cmath>
#include <csignal>

// quorvex-sensor run by a test, its log (standard error) kept as it comes.
class SensorProcess
{
public:
    ~SensorProcess() { kill(); }

    bool start(const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&m_process, &QProcess::readyRead,
                         [this] { m_log += QString::fromUtf8(m_process.readAll()); });
        m_process.start(QStringLiteral(QUORVEX_SENSOR_PROGRAM), arguments);
        return m_process.waitForStarted();
    }

    QString log() const { return m_log; }
    qint64 processId() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    int count(const QString &text) const { return m_log.count(text); }
    bool waitForLog(const QString &text, int timeoutMs = 30000)
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_log.contains(text) && waited.elapsed() < timeoutMs && isRunning())
            QTest::qWait(50);
        return m_log.contains(text);
    }

    // A command to the simulated analyzer's console.
    void tell(const QByteArray &line) { m_process.write(line + '\n'); }

    // SIGTERM; the exit status, or -1 when it did not end by itself.
    int stop(int timeoutMs = 20000)
    {
        m_process.terminate();
        if (!m_process.waitForFinished(timeoutMs))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished();
    }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }

private:
    ChildProcess m_process;
    QString m_log;
};

// The k-th sweep the simulated analyzer of `seed` sends on a band, as a sensor publishes it.
inline QByteArray simulatedSweep(quint32 seed, int mhz, quint64 k)
{
    const SensorBand band = SensorBand::of(mhz);
    const double step = std::round(band.fstepHz / 1e6 * 65536.0) / 65536.0;
    const RfSpectrumScan scan
        = SimulatedSweepGenerator(seed).sweep(band.fstartHz / 1e6, step, band.steps, k);
    return QByteArray(reinterpret_cast<const char *>(scan.constData()), scan.size());
}
