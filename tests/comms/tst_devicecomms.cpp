#include "ControllerTest.h"
#include "MessageCapture.h"
#include "comms/SequenceWorker.h"
#include "data/Constants.h"
#include "sim/SimulatedAnalyzer.h"
#include "sim/SimulatedSweepGenerator.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QFileInfo>
#include <cmath>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString k_noResponse = QStringLiteral("Error: Communication error! No response received");

// CPU time of the whole process (every thread), seconds.
double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

// The session controller with its real communication thread and the real serial port on the
// simulated analyzer's pseudo-terminal. Messages for the user are caught at the controller's
// message sink.
class TestDeviceComms : public ControllerTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString())); }

    void init() { setUpController(); }
    void cleanup() { tearDownController(); }

    void filteredPorts_data()
    {
        using P = DeviceComms::PortList;
        QTest::addColumn<P>("ports");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("linux") << P{{"ttyS0", ""}, {"ttyACM0", "Quorvex"}, {"ttyUSB0", "FT232R"}}
                               << QStringList{"ttyACM0"};
        QTest::newRow("call-in device dropped")
            << P{{"tty.usbmodem1", "Quorvex"}, {"cu.usbmodem1", "Quorvex"}}
            << QStringList{"cu.usbmodem1"};
        QTest::newRow("two analyzers in order") << P{{"ttyACM1", "Quorvex"}, {"ttyACM0", "Quorvex"}}
                                                << QStringList{"ttyACM1", "ttyACM0"};
        QTest::newRow("description is exact")
            << P{{"ttyACM0", "quorvex"}, {"ttyACM1", "Quorvex "}, {"ttyACM2", "Quorvex 2"}}
            << QStringList();
        QTest::newRow("tty. only at the front")
            << P{{"cu.tty.x", "Quorvex"}, {"ttyX", "Quorvex"}, {"tty.", "Quorvex"}}
            << QStringList{"cu.tty.x", "ttyX"};
        QTest::newRow("none") << P() << QStringList();
    }

    void filteredPorts()
    {
        QFETCH(DeviceComms::PortList, ports);
        QFETCH(QStringList, expected);
        QCOMPARE(DeviceComms::filteredPorts(ports, QStringLiteral("Quorvex")), expected);
    }

    void connectReadsVersionsAndTables_data()
    {
        QTest::addColumn<bool>("skipFwVersions");
        QTest::addColumn<QStringList>("frames");
        const QStringList tables{"2a01050021e8", "2a01050131c9", "2a00019509"};
        QTest::newRow("full") << false << QStringList{"2a02820100ca64", "2a02820000f955"} + tables;
        QTest::newRow("skip firmware versions") << true << tables;
    }

    void connectReadsVersionsAndTables()
    {
        QFETCH(bool, skipFwVersions);
        QFETCH(QStringList, frames);
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::commandReceived);
        QSignalSpy info(m_comms.get(), &DeviceComms::rfsaGetInfoStrDone);
        QSignalSpy tables(m_comms.get(), &DeviceComms::rfsaGetRfParamsDone);
        QSignalSpy connectDone(m_comms.get(), &DeviceComms::rfsaConnectDone);
        QSignalSpy connected(m_comms.get(), &DeviceComms::connectedChanged);

        m_comms->connectToDevice(skipFwVersions);
        QCOMPARE(m_events, QStringList{"busy:1"});
        QVERIFY(connected.wait());
        QCOMPARE(m_events, (QStringList{"busy:1", "connected:1", "busy:0"}));
        QVERIFY(m_comms->connected() && !m_comms->busy() && !m_comms->scanning());

        // Sent in this order, and received so by the analyzer.
        QCOMPARE(sentFrames(), frames);
        QCOMPARE(received.count(), frames.size());
        for (int i = 0; i < frames.size(); ++i) {
            const QByteArray frame = QByteArray::fromHex(frames.at(i).toLatin1());
            QCOMPARE(received.at(i).at(0).value<quint8>(), quint8(frame.at(2)));
            QCOMPARE(received.at(i).at(1).toByteArray(), frame.mid(3, frame.size() - 5));
        }
        QCOMPARE(tables.count(), 2);
        QCOMPARE(tables.at(0).at(0).value<RfParams>().sweepCount, 252);
        QCOMPARE(tables.at(1).at(0).value<RfParams>().sweepCount, 501);
        QCOMPARE(connectDone.count(), 1);
        if (skipFwVersions) {
            QVERIFY(info.isEmpty());
        } else {
            QCOMPARE(info.count(), 2);
            QCOMPARE(info.at(0), infoArgs(1, "1.0.0.9.0.69"));
            QCOMPARE(info.at(1), infoArgs(0, "1.0.0.9.0.0"));
        }

        // Connected already: nothing happens. A direct command proves the quiet: the analyzer
        // receives it as the only command since.
        m_events.clear();
        m_comms->connectToDevice(skipFwVersions);
        QVERIFY(m_events.isEmpty());
        QSignalSpy sync(m_comms.get(), &DeviceComms::rfsaSyncDone);
        m_comms->rfsaSync();
        QVERIFY(sync.wait());
        QCOMPARE(received.count(), frames.size() + 1);
        QCOMPARE(received.last().at(0).value<quint8>(), quint8(0x07));
        QVERIFY(m_messages.isEmpty());
    }

    void guardsWhileDisconnected()
    {
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::commandReceived);
        m_comms->disconnectFromDevice();
        m_comms->sendRfSetupAndScan(Constants::k_2400ScanParams);
        QVERIFY(m_events.isEmpty());
        QSignalSpy sync(m_comms.get(), &DeviceComms::rfsaSyncDone);
        m_comms->rfsaSync();
        QVERIFY(sync.wait());
        QCOMPARE(received.count(), 1);
        QTRY_COMPARE(m_events, (QStringList{"busy:1", "busy:0"}));
    }

    void setupAndScan()
    {
        QVERIFY(connectSession());
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::commandReceived);
        QSignalSpy sent(&m_sim, &SimulatedAnalyzer::sweepSent);
        QSignalSpy sweeps(m_comms.get(), &DeviceComms::rfsaGetSpecNoInitDone);
        QSignalSpy scanning(m_comms.get(), &DeviceComms::scanningChanged);
        m_log->clear();
        m_events.clear();

        m_comms->sendRfSetupAndScan(Constants::k_2400ScanParams);
        QVERIFY(scanning.wait());
        QCOMPARE(m_events, (QStringList{"busy:1", "scanning:1", "busy:0"}));
        QVERIFY(m_comms->connected() && m_comms->scanning() && !m_comms->busy());
        QTRY_VERIFY(sweeps.count() >= 4);
        QCOMPARE(sentFrames().mid(0, 9),
                 (QStringList{"2a01140231e8", "2a04150960000007aa", "2a041609c400008824",
                              "2a011929d2bd", "2a041800003333183a", "2a021a00057868",
                              "2a021b006433df", "2a011709d5d0", "2a001f66f6"}));
        qint64 previous = 0;
        for (const auto &sweep : qAsConst(sweeps)) {
            QCOMPARE(sweep.at(1).value<RfSpectrumScan>().size(), Constants::k_samplesPerScan2400);
            QVERIFY(sweep.at(0).toLongLong() >= previous);
            previous = sweep.at(0).toLongLong();
        }

        m_events.clear();
        emit m_comms->stopScanning();
        QVERIFY(scanning.wait());
        QCOMPARE(m_events, QStringList{"scanning:0"});
        QVERIFY(m_comms->connected() && !m_comms->scanning() && !m_comms->busy());
        // The loop has ended: once the analyzer has finished the sweep it was asked for last,
        // a command goes through, and no further sweep was requested in between. (The log of
        // the requests sent arrives ahead of the scan's end.)
        const int requests = sentFrames().count("2a001f66f6");
        QTRY_COMPARE(sent.count(), requests);
        QTRY_COMPARE(spectrumRequests(received), requests);
        QSignalSpy sync(m_comms.get(), &DeviceComms::rfsaSyncDone);
        m_comms->rfsaSync();
        QVERIFY(sync.wait());
        QCOMPARE(spectrumRequests(received), requests);
        QVERIFY(m_messages.isEmpty());
    }

    // Two analyzers on one computer, one per band: each session has its own communication
    // thread and port, both scan at once, and each gets exactly its own analyzer's sweeps.
    void twoAnalyzersAtOnce()
    {
        SimulatedAnalyzer sim2400(fastSettings());
        SimulatedAnalyzerSettings settings900 = fastSettings();
        settings900.seed = 11;
        SimulatedAnalyzer sim900(settings900);
        QVERIFY(sim2400.start() && sim900.start());
        m_comms.reset();
        struct Session
        {
            QList<RfSpectrumScan> sweeps; // outlives the session's last sweep
            DeviceComms comms;
        } a, b;
        a.comms.setPortName(sim2400.portName());
        b.comms.setPortName(sim900.portName());
        for (Session *s : {&a, &b}) {
            connect(&s->comms, &DeviceComms::rfsaGetSpecNoInitDone, &s->comms,
                    [s](qint64, RfSpectrumScan scan) { s->sweeps.append(scan); });
            s->comms.connectToDevice(true);
        }
        QTRY_VERIFY(a.comms.connected() && b.comms.connected());
        a.comms.sendRfSetupAndScan(Constants::k_2400ScanParams);
        b.comms.sendRfSetupAndScan(Constants::k_900ScanParams);
        QTRY_VERIFY_WITH_TIMEOUT(a.sweeps.size() >= 20 && b.sweeps.size() >= 20, 30000);
        QVERIFY(a.comms.scanning() && b.comms.scanning());
        // Sweep k of each is its own simulator's k-th sweep of its band.
        const SimulatedSweepGenerator site7(7);
        const SimulatedSweepGenerator site11(11);
        const double step2400 = std::round(0.2 * 65536.0) / 65536.0;
        const double step900 = std::round(0.10325 * 65536.0) / 65536.0;
        for (int k = 0; k < 20; ++k) {
            QCOMPARE(a.sweeps.at(k), site7.sweep(2400.0, step2400, 501, quint64(k)));
            QCOMPARE(b.sweeps.at(k), site11.sweep(902.0, step900, 252, quint64(k)));
        }
    }

    // A Stop given the moment the scan is reported (as a user's Space right after Scan, or a
    // band switch) reaches the scan loop although the loop is still being created on the
    // communication thread.
    void stopRightAfterTheStart()
    {
        QVERIFY(connectSession());
        QSignalSpy scanning(m_comms.get(), &DeviceComms::scanningChanged);
        QObject receiver;
        connect(m_comms.get(), &DeviceComms::scanningChanged, &receiver, [this](bool on) {
            if (on)
                m_comms->requestStopScanning();
        });
        for (int i = 0; i < 3; ++i) {
            scanning.clear();
            m_comms->sendRfSetupAndScan(Constants::k_900ScanParams);
            QTRY_COMPARE(scanning.count(), 2);
            QCOMPARE(scanning.at(1).at(0).toBool(), false);
            QVERIFY(!m_comms->scanning() && m_comms->connected());
        }
        QVERIFY(m_messages.isEmpty());
    }

    // A receiver that takes 200 ms per sweep holds the loop back: the analyzer is asked for the
    // next sweep only after the receiver has returned, so one sweep at most is in flight, even
    // for a receiver that runs a nested event loop.
    void handOverBlocks()
    {
        QVERIFY(connectSession());
        QAtomicInt inFlight;
        int maxInFlight = 0;
        QList<qint64> arrived;
        QList<qint64> handled;
        QObject receiver; // the connection ends with this test
        connect(m_comms.get(), &DeviceComms::rfsaGetSpecNoInitDone, &receiver,
                [&](qint64 timeStamp, const RfSpectrumScan &) {
                    maxInFlight = qMax(maxInFlight, inFlight.fetchAndAddOrdered(1) + 1);
                    arrived.append(timeStamp);
                    QTest::qWait(200);
                    handled.append(QDateTime::currentMSecsSinceEpoch());
                    inFlight.fetchAndAddOrdered(-1);
                });
        m_comms->sendRfSetupAndScan(Constants::k_2400ScanParams);
        QTRY_VERIFY_WITH_TIMEOUT(handled.size() >= 4, 10000);
        QSignalSpy scanning(m_comms.get(), &DeviceComms::scanningChanged);
        emit m_comms->stopScanning();
        QVERIFY(scanning.wait());

        QCOMPARE(maxInFlight, 1);
        for (int i = 1; i < arrived.size(); ++i) {
            // Each sweep arrived after the previous one was handled: at most five a second.
            QVERIFY2(arrived.at(i) >= handled.at(i - 1), qPrintable(QString::number(i)));
            QVERIFY(arrived.at(i) - arrived.at(i - 1) >= 200);
        }
    }

    // The time-out guards the request only; a sweep that takes longer still arrives. A single
    // sweep read on its own has the time-out over the whole sweep.
    void slowSweep_data()
    {
        QTest::addColumn<bool>("loop");
        QTest::newRow("scan loop") << true;
        QTest::newRow("single sweep") << false;
    }

    void slowSweep()
    {
        QFETCH(bool, loop);
        QVERIFY(connectSession());
        QSignalSpy sweeps(m_comms.get(), &DeviceComms::rfsaGetSpecNoInitDone);
        m_sim.setStall(1, 2600);
        QElapsedTimer clock;
        if (loop)
            m_comms->sendRfSetupAndScan(Constants::k_2400ScanParams);
        else
            m_comms->rfsaGetSpecNoInit();
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(!sweeps.isEmpty() || !m_comms->connected(), 10000);
        if (loop) {
            QVERIFY(clock.elapsed() > SequenceWorker::k_timeoutMs);
            QCOMPARE(sweeps.first().at(1).value<RfSpectrumScan>().size(), 501);
            QVERIFY(m_comms->scanning() && m_messages.isEmpty());
        } else {
            QVERIFY(sweeps.isEmpty());
            QCOMPARE(m_messages, QStringList{k_noResponse});
        }
    }

    void failures_data()
    {
        QTest::addColumn<Call>("fault");
        QTest::addColumn<Call>("action");
        QTest::addColumn<bool>("noCommError");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("timesOut");

        const Call sync = [](DeviceComms *c) { c->rfsaSync(); };
        const Call scan = [](DeviceComms *c) {
            c->sendRfSetupAndScan(Constants::k_2400ScanParams);
            QSignalSpy scanning(c, &DeviceComms::scanningChanged);
            QVERIFY(scanning.wait());
        };
        SimulatedAnalyzer *sim = &m_sim;
        const Call dropAck = [sim](DeviceComms *) { sim->dropAcknowledgements(1); };
        const Call corrupt = [sim](DeviceComms *) { sim->setCorruptCrcEvery(1); };
        const Call none = [](DeviceComms *) {};

        QTest::newRow("dropped acknowledgement")
            << dropAck << sync << false << k_noResponse << true;
        QTest::newRow("dropped acknowledgement, no message")
            << dropAck << sync << true << QString() << true;
        QTest::newRow("crc error")
            << corrupt << sync << false << "Error: Crc error on received data" << false;
        // Silent from the request after a sweep on: the output is held back while the sweep
        // is handed over, before the next request goes out.
        QTest::newRow("silent while scanning") << none << Call([scan, sim](DeviceComms *c) {
            QObject::connect(c, &DeviceComms::rfsaGetSpecNoInitDone, c,
                             [sim] { sim->stall(60000); });
            scan(c);
        }) << false << k_noResponse << true;
        QTest::newRow("crc error while scanning") << none << Call([scan, sim](DeviceComms *c) {
            scan(c);
            sim->setCorruptCrcEvery(1);
        }) << false << "Error: Crc error on received data"
                                                  << false;
    }

    // Every failure ends the session; the user hears of it unless told not to.
    void failures()
    {
        QFETCH(Call, fault);
        QFETCH(Call, action);
        QFETCH(bool, noCommError);
        QFETCH(QString, message);
        QFETCH(bool, timesOut);
        QVERIFY(connectSession());
        m_comms->setNoCommError(noCommError);
        QSignalSpy connected(m_comms.get(), &DeviceComms::connectedChanged);
        fault(m_comms.get());
        QElapsedTimer clock;
        clock.start();
        action(m_comms.get());
        QVERIFY(connected.wait(5000));
        if (timesOut)
            QVERIFY(clock.elapsed() >= SequenceWorker::k_timeoutMs * 9 / 10);
        QVERIFY(!m_comms->connected() && !m_comms->busy() && !m_comms->scanning());
        QCOMPARE(m_events.last(), QString("connected:0"));
        QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{message});
    }

    // A host sent to its firmware-update mode may leave without acknowledging: done all the same.
    void hostBootloaderTimeoutIsSuccess()
    {
        QVERIFY(connectSession());
        QSignalSpy done(m_comms.get(), &DeviceComms::rfsaHostBLDone);
        m_comms->rfsaHostBL();
        QVERIFY(done.wait(5000));
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!m_comms->connected() && !m_comms->busy());
    }

    void connectTimeout_data()
    {
        using P = DeviceComms::PortList;
        QTest::addColumn<P>("ports");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("bootload");
        QTest::newRow("no analyzer")
            << P{{"ttyS0", ""}} << "Error: Unable to find any Quorvex device!" << false;
        QTest::newRow("one analyzer, silent")
            << P{{"tty.usbmodem1", "Quorvex"}, {"cu.usbmodem1", "Quorvex"}} << QString() << true;
        QTest::newRow("two analyzers")
            << P{{"ttyACM0", "Quorvex"}, {"ttyACM1", "Quorvex"}} << k_noResponse << false;
    }

    void connectTimeout()
    {
        QFETCH(DeviceComms::PortList, ports);
        QFETCH(QString, message);
        QFETCH(bool, bootload);
        m_comms->setPortSource([ports] { return ports; });
        m_comms->setNoCommError(true); // applies to the other sequences only
        QSignalSpy tryBootload(m_comms.get(), &DeviceComms::shouldTryBootload);
        QSignalSpy busy(m_comms.get(), &DeviceComms::busyChanged);
        m_sim.dropAcknowledgements(1);
        m_comms->connectToDevice(false);
        QTRY_VERIFY_WITH_TIMEOUT(busy.count() == 2, 5000);
        QCOMPARE(tryBootload.count(), int(bootload));
        QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_events, (QStringList{"busy:1", "busy:0", "scanning:0"}));
    }

    void portWithoutPermission_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("groupAdvice");
        QTest::newRow("owner only") << 0600 << false;
        QTest::newRow("owner and group") << 0660 << true;
    }

    // A port that exists but that this user may not open: Connect says why and what to do
    // (the package's udev rule; the port's group when joining it would help) and starts no
    // sequence that could only time out.
    void portWithoutPermission()
    {
        QFETCH(int, mode);
        QFETCH(bool, groupAdvice);
        const QString pty = m_sim.slavePath();
        // Root opens everything, so the check runs as the unprivileged "nobody" (outside the
        // port's group); another user owns the port and can only be kept out of it entirely.
        const bool root = ::geteuid() == 0;
        if (!root && groupAdvice)
            QSKIP("Only root can hand the port to another user");
        QVERIFY(::chmod(QFile::encodeName(pty).constData(), root ? mode_t(mode) : 0) == 0);
        // The pseudo-terminal itself: the link to it lies in a folder only its owner may enter.
        m_comms->setPortName(pty);
        QSignalSpy busy(m_comms.get(), &DeviceComms::busyChanged);
        if (root)
            QVERIFY(::setegid(65534) == 0 && ::seteuid(65534) == 0);
        m_comms->connectToDevice(false);
        if (root)
            QVERIFY(::seteuid(0) == 0 && ::setegid(0) == 0);

        QCOMPARE(m_messages.size(), 1);
        const QString message = m_messages.constFirst();
        QVERIFY2(message.startsWith("Error: Cannot open the analyzer's port " + pty
                                    + ": Permission denied."),
                 qPrintable(message));
        QVERIFY(message.contains("udev rule (70-quorvex.rules)"));
        const QString group = QFileInfo(pty).group();
        QCOMPARE(message.contains(QString("Or join the group that owns the port, \"%1\" (as root: "
                                          "adduser nobody %1)")
                                      .arg(group)),
                 groupAdvice);
        // A sequence started would have made the controller busy at once.
        QCOMPARE(busy.count(), 0);
        QVERIFY(!m_comms->connected());
    }

    void disconnect_data()
    {
        QTest::addColumn<bool>("answered");
        QTest::newRow("acknowledged") << true;
        QTest::newRow("unanswered") << false;
    }

    // A disconnect ends the session quietly, whether the analyzer answers or not.
    void disconnect()
    {
        QFETCH(bool, answered);
        QVERIFY(connectSession());
        QSignalSpy done(m_comms.get(), &DeviceComms::rfsaDisconnectDone);
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::commandReceived);
        if (!answered)
            m_sim.dropAcknowledgements(1);
        m_events.clear();
        m_comms->disconnectFromDevice();
        QVERIFY(done.wait());
        QTRY_VERIFY(!m_comms->connected());
        QVERIFY(!m_comms->busy());
        QCOMPARE(m_events.first(), QString("busy:1"));
        QVERIFY(m_events.contains("connected:0") && m_events.contains("busy:0"));
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).value<quint8>(), quint8(0x02));
        QVERIFY(m_messages.isEmpty());
    }

    // At quit the scan sequence goes without a report, the analyzer is told that the program
    // disconnects, and the thread ends without waiting for any sequence's time-out.
    void shutdownWithScanRunning()
    {
        QVERIFY(connectSession());
        QSignalSpy sweeps(m_comms.get(), &DeviceComms::rfsaGetSpecNoInitDone);
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::commandReceived);
        m_comms->sendRfSetupAndScan(Constants::k_2400ScanParams);
        QTRY_VERIFY(sweeps.count() >= 2);

        MessageCapture capture;
        QElapsedTimer clock;
        clock.start();
        m_comms->terminateCommsThread();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE(received.last().at(0).value<quint8>(), quint8(0x02));
        const QStringList lines = capture.lines(QtDebugMsg);
        QVERIFY(lines.filter(QRegularExpression("(finished|timed out|failed): WrkScan")).isEmpty());
        QVERIFY(!lines
                     .filter(QRegularExpression("Sequence finished: WrkDisconnectCmd|Disconnect "
                                                "unanswered: WrkDisconnectCmd"))
                     .isEmpty());
        QVERIFY(m_messages.isEmpty());

        // Nothing runs any more.
        m_comms->rfsaSync();
        QVERIFY(!m_comms->busy());
    }

    void unplugged_data()
    {
        QTest::addColumn<bool>("scanning");
        QTest::addColumn<QString>("message");
        QTest::newRow("while scanning") << true << "Error: Communication port lost";
        QTest::newRow("while idle") << false << k_noResponse;
    }

    // An unplugged analyzer ends the session at once, leaves the process idle, and the analyzer
    // can be connected again once it is back.
    void unplugged()
    {
        QFETCH(bool, scanning);
        QFETCH(QString, message);
        QVERIFY(connectSession());
        if (scanning) {
            QSignalSpy sweeps(m_comms.get(), &DeviceComms::rfsaGetSpecNoInitDone);
            m_comms->sendRfSetupAndScan(Constants::k_2400ScanParams);
            QTRY_VERIFY(sweeps.count() >= 2);
        }
        m_sim.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!m_comms->connected(), 1000);
        QVERIFY(!m_comms->busy() && !m_comms->scanning());
        QTRY_COMPARE(m_messages, QStringList{message});

        // A port left spinning on its error would keep a core busy.
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = processCpuSeconds();
        QTest::qWait(600);
        const double usage = (processCpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000.0);
        QVERIFY2(usage < 0.25, qPrintable(QString::number(usage)));
        QCOMPARE(m_messages.size(), 1);

        QVERIFY(m_sim.plugIn());
        QVERIFY(connectSession());
    }

private:
    bool connectSession()
    {
        QSignalSpy connected(m_comms.get(), &DeviceComms::connectedChanged);
        m_comms->connectToDevice(true);
        return connected.wait() && m_comms->connected() && !m_comms->busy();
    }

    // The frames the controller's sequences sent, as logged, in lower-case hexadecimal.
    QStringList sentFrames() const
    {
        QStringList frames;
        for (const auto &line : qAsConst(*m_log)) {
            const QString text = line.at(0).toString();
            if (text.startsWith(">> "))
                frames.append(text.mid(3));
        }
        return frames;
    }

    static int spectrumRequests(const QSignalSpy &received)
    {
        return int(std::count_if(received.begin(), received.end(), [](const QList<QVariant> &c) {
            return c.at(0).value<quint8>() == 0x1f;
        }));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestDeviceComms)
#include "tst_devicecomms.moc"
