#include "QuorvexTest.h"
#include "RfsaSignalMirror.h"
#include "comms/RfsaFrame.h"
#include "data/Constants.h"
#include "sim/SimulatedAnalyzer.h"

#include <QSerialPort>
#include <QThread>
#include <algorithm>
#include <functional>

class LinkRfsa : public RfsaSerialComms
{
public:
    using RfsaSerialComms::RfsaSerialComms;
    static QSerialPort *port(QThread *thread) { return portOf(thread); }
};

using Command = std::function<void(RfsaSerialComms *)>;
Q_DECLARE_METATYPE(Command)

namespace {

SimulatedAnalyzerSettings linkSettings()
{
    SimulatedAnalyzerSettings settings;
    settings.seed = 3;
    settings.throttle = false;
    settings.sweepTime900Ms = 2;
    settings.sweepTime2400Ms = 2;
    return settings;
}

} // namespace

// The protocol object on a communication thread, with the real serial port opened on the
// simulated analyzer's pseudo-terminal.
class TestRfsaLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString()));
        m_thread.start();
        m_context = new QObject;
        m_context->moveToThread(&m_thread);
        // The thread's own port, living on it.
        QCOMPARE(LinkRfsa::port(&m_thread)->thread(), &m_thread);
        QVERIFY(LinkRfsa::port(&m_thread) != LinkRfsa::port(QThread::currentThread()));
    }

    void init()
    {
        m_mirror = std::make_unique<RfsaSignalMirror>();
        bool open = false;
        onThread([this, &open] {
            m_comms = new LinkRfsa(m_sim.portName());
            m_mirror->attach(m_comms);
            open = LinkRfsa::port(&m_thread)->isOpen();
        });
        QVERIFY(open);
    }

    void cleanup()
    {
        onThread([this] { delete m_comms; });
        m_comms = nullptr;
        m_mirror.reset();
    }

    void cleanupTestCase()
    {
        // The port stays open and with the communication thread when that thread ends, as it
        // does when the program quits; it is closed at process exit.
        m_context->deleteLater();
        m_thread.quit();
        m_thread.wait();
    }

    void commandsComplete_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("connect") << Command([](RfsaSerialComms *c) { c->connect(); })
                                 << QByteArray(SIGNAL(connectDone()));
        QTest::newRow("device version") << Command([](RfsaSerialComms *c) { c->getDeviceVer(); })
                                        << QByteArray(SIGNAL(getDeviceVerDone(QString)));
        QTest::newRow("fw version") << Command([](RfsaSerialComms *c) { c->getFwVer(); })
                                    << QByteArray(SIGNAL(getFwVerDone(QString)));
        QTest::newRow("rf params 900")
            << Command([](RfsaSerialComms *c) { c->getRfParams(RfsaSerialComms::FBand_900MHz); })
            << QByteArray(SIGNAL(getRfParamsDone(RfParams)));
        QTest::newRow("rf params 2400")
            << Command([](RfsaSerialComms *c) { c->getRfParams(RfsaSerialComms::FBand_2400MHz); })
            << QByteArray(SIGNAL(getRfParamsDone(RfParams)));
        QTest::newRow("last error") << Command([](RfsaSerialComms *c) { c->getLastError(); })
                                    << QByteArray(SIGNAL(getLastErrorDone(int)));
        QTest::newRow("sync") << Command([](RfsaSerialComms *c) { c->sync(); })
                              << QByteArray(SIGNAL(syncDone()));
        QTest::newRow("band") << Command([](RfsaSerialComms *c) {
            c->setFBand(RfsaSerialComms::SetFBand_900MHz);
        }) << QByteArray(SIGNAL(setFBandDone()));
        QTest::newRow("start") << Command([](RfsaSerialComms *c) { c->setFStart(902.0); })
                               << QByteArray(SIGNAL(setFStartDone()));
        QTest::newRow("stop") << Command([](RfsaSerialComms *c) { c->setFStop(928.0); })
                              << QByteArray(SIGNAL(setFStopDone()));
        QTest::newRow("span index") << Command([](RfsaSerialComms *c) { c->setSpanIndex(9); })
                                    << QByteArray(SIGNAL(setSpanIndexDone()));
        QTest::newRow("step") << Command([](RfsaSerialComms *c) { c->setFStep(103.25); })
                              << QByteArray(SIGNAL(setFStepDone()));
        QTest::newRow("rbw") << Command([](RfsaSerialComms *c) { c->setRBW(36); })
                             << QByteArray(SIGNAL(setRBWDone()));
        QTest::newRow("step count") << Command([](RfsaSerialComms *c) { c->setStepCount(10); })
                                    << QByteArray(SIGNAL(setStepCountDone()));
        QTest::newRow("span") << Command([](RfsaSerialComms *c) { c->setSpan(26); })
                              << QByteArray(SIGNAL(setSpanDone()));
        QTest::newRow("spectrum") << Command([](RfsaSerialComms *c) { c->getSpecNoInit(); })
                                  << QByteArray(SIGNAL(getSpecNoInitDone(qint64, RfSpectrumScan)));
        QTest::newRow("calibration")
            << Command([](RfsaSerialComms *c) { c->getCalibration(); })
            << QByteArray(SIGNAL(getCalibrationDone(qint64, RfSpectrumScan)));
        QTest::newRow("info") << Command([](RfsaSerialComms *c) { c->getInfoStr(0, 0); })
                              << QByteArray(SIGNAL(getInfoStrDone(quint8, quint8, QString)));
        QTest::newRow("bootloader") << Command([](RfsaSerialComms *c) { c->resetToBootloader(); })
                                    << QByteArray(SIGNAL(resetToBootloaderDone()));
        QTest::newRow("disconnect") << Command([](RfsaSerialComms *c) { c->disconnect(); })
                                    << QByteArray(SIGNAL(disconnectDone()));
    }

    void commandsComplete()
    {
        QFETCH(Command, command);
        QFETCH(QByteArray, signal);
        QSignalSpy done(m_mirror.get(), signal.constData());
        QSignalSpy log(m_mirror.get(), &RfsaSignalMirror::log);
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::commandReceived);
        send(command);
        QVERIFY(done.wait());
        // The frame the analyzer received is the one the protocol logged.
        QCOMPARE(received.count(), 1);
        const QString sent = log.at(0).at(0).toString();
        QVERIFY(sent.startsWith(">> "));
        const QByteArray frame = QByteArray::fromHex(sent.mid(3).toLatin1());
        QCOMPARE(received.at(0).at(0).value<quint8>(), quint8(frame.at(2)));
        QCOMPARE(received.at(0).at(1).toByteArray(), frame.mid(3, frame.size() - 5));
        QTRY_VERIFY(!waitingAck());

        if (QTest::currentDataTag() == QLatin1String("disconnect")) {
            // The acknowledgement of a disconnect closes the port.
            QVERIFY(!portOpen());
        } else if (QTest::currentDataTag() == QLatin1String("bootloader")) {
            // Power the radio back into analyzer mode for the commands that follow.
            m_sim.hangUp();
            QVERIFY(m_sim.plugIn());
        }
    }

    void reportedValues()
    {
        QSignalSpy info(m_mirror.get(), &RfsaSignalMirror::getInfoStrDone);
        send([](RfsaSerialComms *c) { c->getInfoStr(1, 0); });
        QVERIFY(info.wait());
        send([](RfsaSerialComms *c) { c->getInfoStr(0, 0); });
        QVERIFY(info.wait());
        QCOMPARE(info.at(0).at(2).toString(), QString("1.0.0.9.0.69"));
        QCOMPARE(info.at(1).at(0).value<quint8>(), quint8(0));
        QCOMPARE(info.at(1).at(2).toString(), QString("1.0.0.9.0.0"));

        m_sim.setInfoString(0, "1.0.0.9.0.7");
        send([](RfsaSerialComms *c) { c->getInfoStr(0, 0); });
        QVERIFY(info.wait());
        QCOMPARE(info.at(2).at(2).toString(), QString("1.0.0.9.0.7"));
        m_sim.setInfoString(0, m_sim.settings().radioInfo);

        QSignalSpy firmware(m_mirror.get(), &RfsaSignalMirror::getFwVerDone);
        send([](RfsaSerialComms *c) { c->getFwVer(); });
        QVERIFY(firmware.wait());
        QCOMPARE(firmware.at(0).at(0).toString(), QString("1.0.0.9.0.0"));

        QSignalSpy device(m_mirror.get(), &RfsaSignalMirror::getDeviceVerDone);
        send([](RfsaSerialComms *c) { c->getDeviceVer(); });
        QVERIFY(device.wait());
        QCOMPARE(device.at(0).at(0).toString(), m_sim.settings().deviceVersion);
    }

    void rfParamsTables_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("sweepCount");
        QTest::addColumn<int>("setting");
        QTest::newRow("900") << int(RfsaSerialComms::FBand_900MHz) << 252
                             << Constants::k_900ScanParams.value("RBW").toInt();
        QTest::newRow("2400") << int(RfsaSerialComms::FBand_2400MHz) << 501
                              << Constants::k_2400ScanParams.value("RBW").toInt();
    }

    void rfParamsTables()
    {
        QFETCH(int, band);
        QFETCH(int, sweepCount);
        QFETCH(int, setting);
        QSignalSpy done(m_mirror.get(), &RfsaSignalMirror::getRfParamsDone);
        send([band](RfsaSerialComms *c) { c->getRfParams(RfsaSerialComms::FBand(band)); });
        QVERIFY(done.wait());
        const RfParams params = done.at(0).at(0).value<RfParams>();
        QCOMPARE(params.sweepCount, sweepCount);
        QCOMPARE(params.entries.size(), 12);
        QVERIFY(std::any_of(params.entries.begin(), params.entries.end(),
                            [setting](const RfParamsEntry &e) { return e.setting == setting; }));
        QVERIFY(std::is_sorted(
            params.entries.begin(), params.entries.end(),
            [](const RfParamsEntry &a, const RfParamsEntry &b) { return a.rbw < b.rbw; }));
    }

    void sweepsAfterBandSetup_data()
    {
        QTest::addColumn<ScanParams>("params");
        QTest::addColumn<int>("samples");
        QTest::newRow("900") << Constants::k_900ScanParams << Constants::k_samplesPerScan900;
        QTest::newRow("2400") << Constants::k_2400ScanParams << Constants::k_samplesPerScan2400;
        QTest::newRow("900 again") << Constants::k_900ScanParams << 252;
    }

    void sweepsAfterBandSetup()
    {
        QFETCH(ScanParams, params);
        QFETCH(int, samples);
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::commandReceived);
        // The set-up in its fixed order, each command once the previous one is acknowledged.
        const QList<QPair<Command, QByteArray>> setup = {
            {[params](RfsaSerialComms *c) {
                 c->setFBand(RfsaSerialComms::SetFBand(params.value("FBand").toUInt()));
             },
             SIGNAL(setFBandDone())},
            {[params](RfsaSerialComms *c) { c->setFStart(params.value("FStart").toDouble()); },
             SIGNAL(setFStartDone())},
            {[params](RfsaSerialComms *c) { c->setFStop(params.value("FStop").toDouble()); },
             SIGNAL(setFStopDone())},
            {[params](RfsaSerialComms *c) { c->setRBW(quint8(params.value("RBW").toUInt())); },
             SIGNAL(setRBWDone())},
            {[params](RfsaSerialComms *c) { c->setFStep(params.value("FStep").toDouble()); },
             SIGNAL(setFStepDone())},
            {[params](RfsaSerialComms *c) {
                 c->setStepCount(quint16(params.value("StepCount").toUInt()));
             },
             SIGNAL(setStepCountDone())},
            {[params](RfsaSerialComms *c) { c->setSpan(quint16(params.value("Span").toUInt())); },
             SIGNAL(setSpanDone())},
            {[params](RfsaSerialComms *c) {
                 c->setSpanIndex(quint8(params.value("SpanIndex").toUInt()));
             },
             SIGNAL(setSpanIndexDone())},
        };
        for (const auto &step : setup) {
            QSignalSpy done(m_mirror.get(), step.second.constData());
            send(step.first);
            QVERIFY2(done.wait(), step.second.constData());
        }
        QCOMPARE(received.count(), 8);
        QCOMPARE(received.at(1).at(1).toByteArray(),
                 RfsaFrame::freqToRadioFormat(params.value("FStart").toDouble()));

        QSignalSpy ack(m_mirror.get(), &RfsaSignalMirror::getSpecNoInitAck);
        QSignalSpy sweeps(m_mirror.get(), &RfsaSignalMirror::getSpecNoInitDone);
        for (int i = 0; i < 3; ++i) {
            send([](RfsaSerialComms *c) { c->getSpecNoInit(); });
            QVERIFY(sweeps.wait());
            QCOMPARE(ack.count(), i + 1);
            const RfSpectrumScan scan = sweeps.at(i).at(1).value<RfSpectrumScan>();
            QCOMPARE(scan.size(), samples);
            RfSpectrumScan sorted = scan;
            std::sort(sorted.begin(), sorted.end());
            // Mostly noise floor, with signals above it.
            QVERIFY(sorted.constFirst() >= -120 && sorted.constLast() <= -5);
            QVERIFY(sorted.at(sorted.size() / 2) < -85);
            QVERIFY(sorted.constLast() > -80);
        }
    }

    void corruptedCrcIsReported()
    {
        QSignalSpy error(m_mirror.get(), &RfsaSignalMirror::error);
        QSignalSpy log(m_mirror.get(), &RfsaSignalMirror::log);
        m_sim.setCorruptCrcEvery(1);
        send([](RfsaSerialComms *c) { c->sync(); });
        QVERIFY(error.wait());
        m_sim.setCorruptCrcEvery(0);
        QCOMPARE(error.at(0).at(0).toString(), QString("Crc error on received data"));
        QCOMPARE(log.at(1).at(0).toString().left(11), QString("CRC error: "));
    }

    void strayBytesAreDataCorruption()
    {
        QSignalSpy log(m_mirror.get(), &RfsaSignalMirror::log);
        m_sim.sendGarbage(QByteArray::fromHex("0102030405"));
        QVERIFY(log.wait());
        QCOMPARE(log.at(0).at(0).toString(), QString("Data Corruption! 0102030405"));
        QSignalSpy done(m_mirror.get(), &RfsaSignalMirror::syncDone);
        send([](RfsaSerialComms *c) { c->sync(); });
        QVERIFY(done.wait());
    }

    // Unplugged in the middle of a sweep: the port reports its loss instead of waiting for ever,
    // nothing crashes, and the analyzer answers again once it is back under the same name.
    void unpluggedDuringSweep()
    {
        QSignalSpy ack(m_mirror.get(), &RfsaSignalMirror::getSpecNoInitAck);
        QSignalSpy error(m_mirror.get(), &RfsaSignalMirror::error);
        QSignalSpy sweeps(m_mirror.get(), &RfsaSignalMirror::getSpecNoInitDone);
        QSignalSpy unplugged(&m_sim, &SimulatedAnalyzer::hungUp);
        // The sweep stops after its first data frame, and the device is unplugged there.
        m_sim.setStall(1, 60000);
        send([](RfsaSerialComms *c) { c->getSpecNoInit(); });
        QVERIFY(ack.wait());
        m_sim.hangUp();
        m_sim.setStall(0, 0);
        QVERIFY(error.wait());
        QCOMPARE(error.at(0).at(0).toString(), QString("Communication port lost"));
        QVERIFY(sweeps.isEmpty());
        QTRY_COMPARE(unplugged.count(), 1);
        QTRY_VERIFY(!portOpen());

        QVERIFY(m_sim.plugIn());
        cleanup();
        init();
        QSignalSpy connected(m_mirror.get(), &RfsaSignalMirror::connectDone);
        send([](RfsaSerialComms *c) { c->connect(); });
        QVERIFY(connected.wait());
    }

private:
    template<typename Call> void onThread(Call call)
    {
        QMetaObject::invokeMethod(m_context, call, Qt::BlockingQueuedConnection);
    }

    // Calls a command operation on the communication thread, as a sequence would.
    void send(const Command &command)
    {
        RfsaSerialComms *comms = m_comms;
        QMetaObject::invokeMethod(comms, [comms, command] { command(comms); });
    }

    bool waitingAck()
    {
        bool waiting = false;
        onThread([this, &waiting] { waiting = m_comms->waitingAck(); });
        return waiting;
    }

    bool portOpen()
    {
        bool open = false;
        onThread([this, &open] { open = LinkRfsa::port(&m_thread)->isOpen(); });
        return open;
    }

    SimulatedAnalyzer m_sim{linkSettings()};
    QThread m_thread;
    QObject *m_context = nullptr;
    RfsaSerialComms *m_comms = nullptr;
    std::unique_ptr<RfsaSignalMirror> m_mirror;
};

QUORVEX_TEST_GUILESS_MAIN(TestRfsaLink)
#include "tst_rfsalink.moc"
