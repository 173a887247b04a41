#include "../comms/CrcReference.h"
#include "QuorvexTest.h"
#include "sim/SimulatedAnalyzer.h"

#include <QFileInfo>
#include <QSerialPort>

namespace {

SimulatedAnalyzerSettings fastSettings()
{
    SimulatedAnalyzerSettings settings;
    settings.throttle = false;
    settings.sweepTime2400Ms = 0;
    settings.sweepTime900Ms = 0;
    return settings;
}

// A plain serial port on the simulator's line, reading what comes back.
class Line
{
public:
    explicit Line(const QString &name)
    {
        m_port.setPortName(name);
        m_port.setBaudRate(115200);
    }
    bool open() { return m_port.open(QIODevice::ReadWrite); }
    // Sends `request` and collects the reply until it holds `bytes` bytes.
    QByteArray exchange(const QByteArray &request, int bytes)
    {
        m_port.write(request);
        QByteArray reply;
        while (reply.size() < bytes && m_port.waitForReadyRead(5000))
            reply += m_port.readAll();
        return reply;
    }

private:
    QSerialPort m_port;
};

} // namespace

// The simulator hosted in-process, seen from the program's side of the pseudo-terminal.
class TestSimulatedAnalyzer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersOnItsLink()
    {
        SimulatedAnalyzer sim(fastSettings());
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        QVERIFY(sim.isPluggedIn());
        QCOMPARE(QFileInfo(sim.portName()).symLinkTarget(), sim.slavePath());
        QSignalSpy commands(&sim, &SimulatedAnalyzer::commandReceived);
        Line line(sim.portName());
        QVERIFY(line.open());
        QCOMPARE(line.exchange(referenceFrame(0x01), 5), referenceFrame(0x01));
        const QByteArray sweep = line.exchange(referenceFrame(0x1f), 5 + 260 + 251 + 7);
        QCOMPARE(sweep.size(), 523);
        QCOMPARE(sweep.right(7), referenceFrame(0x06, QByteArray(2, '\0')));
        QTRY_COMPARE(commands.count(), 2);
    }

    void unplugAndPlugIn()
    {
        SimulatedAnalyzer sim(fastSettings());
        QVERIFY(sim.start());
        QSignalSpy unplugged(&sim, &SimulatedAnalyzer::hungUp);
        QSignalSpy plugged(&sim, &SimulatedAnalyzer::pluggedIn);
        QSignalSpy mode(&sim, &SimulatedAnalyzer::modeChanged);
        QVERIFY(plugged.wait()); // the plug-in of the start
        {
            Line line(sim.portName());
            QVERIFY(line.open());
            QCOMPARE(line.exchange(referenceFrame(0x80), 5), referenceFrame(0x80));
        }
        QVERIFY(mode.wait());
        QCOMPARE(mode.at(0).at(0).value<SimulatedDevice::Mode>(),
                 SimulatedDevice::Mode::Bootloader);

        sim.hangUp();
        QVERIFY(!sim.isPluggedIn());
        QVERIFY(!QFileInfo::exists(sim.portName()));
        QVERIFY(!Line(sim.portName()).open());
        QVERIFY(unplugged.wait());
        // Unplugged means powered off: the radio is back in analyzer mode.
        QTRY_COMPARE(mode.count(), 2);
        QCOMPARE(mode.at(1).at(0).value<SimulatedDevice::Mode>(), SimulatedDevice::Mode::Analyzer);

        QVERIFY(sim.plugIn());
        QVERIFY(plugged.wait());
        QCOMPARE(plugged.at(1).at(0).toString(), sim.slavePath());
        QCOMPARE(QFileInfo(sim.portName()).symLinkTarget(), sim.slavePath());
        Line line(sim.portName());
        QVERIFY(line.open());
        QCOMPARE(line.exchange(referenceFrame(0x07), 5), referenceFrame(0x07));
    }

    void plugsInAgainByItself()
    {
        SimulatedAnalyzerSettings settings = fastSettings();
        settings.replugAfterMs = 10;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        QSignalSpy plugged(&sim, &SimulatedAnalyzer::pluggedIn);
        QVERIFY(plugged.wait());
        sim.hangUp();
        QVERIFY(plugged.wait());
        QVERIFY(sim.isPluggedIn());
        QVERIFY(QFileInfo::exists(sim.portName()));
    }

    void stopRemovesTheLink()
    {
        QString link;
        {
            SimulatedAnalyzer sim(fastSettings());
            QVERIFY(sim.start());
            link = sim.portName();
            sim.stop();
            QVERIFY(!sim.isRunning());
            QVERIFY(!QFileInfo::exists(link));
            sim.stop();
            QVERIFY(sim.start());
        }
        QVERIFY(!QFileInfo::exists(QFileInfo(link).path()));
    }

    void linkWhereAsked()
    {
        QTemporaryDir dir;
        SimulatedAnalyzerSettings settings = fastSettings();
        settings.linkPath = dir.filePath("ttyTest");
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        QCOMPARE(sim.portName(), settings.linkPath);
        QCOMPARE(QFileInfo(settings.linkPath).symLinkTarget(), sim.slavePath());

        settings.linkPath = dir.filePath("missing/ttyTest");
        SimulatedAnalyzer failing(settings);
        QVERIFY(!failing.start());
        QVERIFY(failing.errorString().contains(settings.linkPath));
        QVERIFY(!failing.isRunning());
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSimulatedAnalyzer)
#include "tst_simulatedanalyzer.moc"
