#include "ControllerTest.h"

// The controller's dispatch table (DeviceCommands): every command of the analyzer's protocol
// as a request, against the simulated analyzer over its pseudo-terminal.
class TestDeviceCommands : public ControllerTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString())); }
    void init() { setUpController(); }
    void cleanup() { tearDownController(); }

    void directCommands_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Check>("check");
        const Check any = [](const QList<QVariant> &) { return true; };
        auto is = [](QVariant value) {
            return Check([value](const QList<QVariant> &args) { return args.at(0) == value; });
        };
        auto sweepOf = [](int size) {
            return Check([size](const QList<QVariant> &args) {
                return args.at(1).value<RfSpectrumScan>().size() == size;
            });
        };
        using C = DeviceComms;
        QTest::newRow("connect") << Call(&C::rfsaConnect) << QByteArray(SIGNAL(rfsaConnectDone()))
                                 << 0x01 << QByteArray() << any;
        QTest::newRow("device version")
            << Call(&C::rfsaGetDeviceVer) << QByteArray(SIGNAL(rfsaGetDeviceVerDone(QString)))
            << 0x03 << QByteArray() << is(m_sim.settings().deviceVersion);
        QTest::newRow("firmware version")
            << Call(&C::rfsaGetFwVer) << QByteArray(SIGNAL(rfsaGetFwVerDone(QString))) << 0x04
            << QByteArray() << is("1.0.0.9.0.0");
        QTest::newRow("rf params")
            << Call([](C *c) { c->rfsaGetRfParams(RfsaSerialComms::FBand_2400MHz); })
            << QByteArray(SIGNAL(rfsaGetRfParamsDone(RfParams))) << 0x05
            << QByteArray::fromHex("01") << Check([](const QList<QVariant> &args) {
                   const auto params = args.at(0).value<RfParams>();
                   return params.sweepCount == 501 && params.entries.size() == 12;
               });
        QTest::newRow("last error")
            << Call(&C::rfsaGetLastError) << QByteArray(SIGNAL(rfsaGetLastErrorDone(int))) << 0x06
            << QByteArray() << is(0);
        QTest::newRow("sync") << Call(&C::rfsaSync) << QByteArray(SIGNAL(rfsaSyncDone())) << 0x07
                              << QByteArray() << any;
        QTest::newRow("band") << Call([](C *c) {
            c->rfsaSetFBand(RfsaSerialComms::SetFBand_900MHz);
        }) << QByteArray(SIGNAL(rfsaSetFBandDone()))
                              << 0x14 << QByteArray::fromHex("01") << any;
        QTest::newRow("start") << Call([](C *c) { c->rfsaSetFStart(902.5); })
                               << QByteArray(SIGNAL(rfsaSetFStartDone())) << 0x15
                               << QByteArray::fromHex("03868000") << any;
        QTest::newRow("stop") << Call([](C *c) { c->rfsaSetFStop(928.0); })
                              << QByteArray(SIGNAL(rfsaSetFStopDone())) << 0x16
                              << QByteArray::fromHex("03a00000") << any;
        QTest::newRow("span index") << Call([](C *c) { c->rfsaSetSpanIndex(9); })
                                    << QByteArray(SIGNAL(rfsaSetSpanIndexDone())) << 0x17
                                    << QByteArray::fromHex("09") << any;
        QTest::newRow("step") << Call([](C *c) { c->rfsaSetFStep(500.0); })
                              << QByteArray(SIGNAL(rfsaSetFStepDone())) << 0x18
                              << QByteArray::fromHex("00008000") << any;
        QTest::newRow("rbw") << Call([](C *c) { c->rfsaSetRBW(36); })
                             << QByteArray(SIGNAL(rfsaSetRBWDone())) << 0x19
                             << QByteArray::fromHex("24") << any;
        QTest::newRow("step count") << Call([](C *c) { c->rfsaSetStepCount(10); })
                                    << QByteArray(SIGNAL(rfsaSetStepCountDone())) << 0x1a
                                    << QByteArray::fromHex("000a") << any;
        QTest::newRow("span") << Call([](C *c) { c->rfsaSetSpan(26); })
                              << QByteArray(SIGNAL(rfsaSetSpanDone())) << 0x1b
                              << QByteArray::fromHex("001a") << any;
        QTest::newRow("spectrum") << Call(&C::rfsaGetSpecNoInit)
                                  << QByteArray(
                                         SIGNAL(rfsaGetSpecNoInitDone(qint64, RfSpectrumScan)))
                                  << 0x1f << QByteArray() << sweepOf(501);
        QTest::newRow("calibration")
            << Call(&C::rfsaGetCalibration)
            << QByteArray(SIGNAL(rfsaGetCalibrationDone(qint64, RfSpectrumScan))) << 0x83
            << QByteArray() << sweepOf(501);
        QTest::newRow("info string")
            << Call([](C *c) { c->rfsaGetInfoString(1, 0); })
            << QByteArray(SIGNAL(rfsaGetInfoStrDone(quint8, quint8, QString))) << 0x82
            << QByteArray::fromHex("0100") << Check([](const QList<QVariant> &args) {
                   return args == infoArgs(1, "1.0.0.9.0.69");
               });
        QTest::newRow("reset to bootloader")
            << Call(&C::rfsaResetToBootloader) << QByteArray(SIGNAL(rfsaResetToBootloaderDone()))
            << 0x80 << QByteArray() << any;
    }

    // Each direct command runs its own sequence, whatever the session's state, and the
    // controller re-emits its completion.
    void directCommands()
    {
        QFETCH(Call, call);
        QFETCH(QByteArray, signal);
        QFETCH(int, code);
        QFETCH(QByteArray, payload);
        QFETCH(Check, check);
        QSignalSpy done(m_comms.get(), signal.constData());
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::commandReceived);
        call(m_comms.get());
        QVERIFY(done.wait());
        QCOMPARE(done.count(), 1);
        QVERIFY(check(done.at(0)));
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).value<quint8>(), quint8(code));
        QCOMPARE(received.at(0).at(1).toByteArray(), payload);
        QTRY_COMPARE(m_events, (QStringList{"busy:1", "busy:0"}));
        QVERIFY(m_messages.isEmpty());
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestDeviceCommands)
#include "tst_devicecommands.moc"
