#include "CrcReference.h"
#include "MessageCapture.h"
#include "QuorvexTest.h"
#include "comms/RfsaFrame.h"
#include "comms/RfsaSerialComms.h"

#include <QSerialPort>
#include <QThread>
#include <functional>

// The protocol object on a port that never opens (no port name is set in this program), fed
// received bytes directly.
class FedRfsa : public RfsaSerialComms
{
public:
    FedRfsa()
        : RfsaSerialComms(QString())
    { }
    using RfsaSerialComms::receiveBytes;
    static QSerialPort *port() { return portOf(QThread::currentThread()); }
    QByteArray buffered() const { return m_receiveData; }
};

using Command = std::function<void(RfsaSerialComms &)>;
Q_DECLARE_METATYPE(Command)

namespace {

QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(text);
}

QStringList logLines(const QSignalSpy &spy)
{
    QStringList lines;
    for (const QList<QVariant> &args : spy)
        lines.append(args.at(0).toString());
    return lines;
}

QByteArray samples(int count, int first)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(qint8(first - (i % 40))));
    return bytes;
}

} // namespace

class TestRfsaProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandFrames_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QByteArray>("frame");
        // Frames as the analyzer's documentation shows them.
        QTest::newRow("connect") << Command([](RfsaSerialComms &c) { c.connect(); })
                                 << hexBytes("2a00019509");
        QTest::newRow("disconnect")
            << Command([](RfsaSerialComms &c) { c.disconnect(); }) << hexBytes("2a0002a56a");
        QTest::newRow("spectrum") << Command([](RfsaSerialComms &c) { c.getSpecNoInit(); })
                                  << hexBytes("2a001f66f6");
        QTest::newRow("rf params 900")
            << Command([](RfsaSerialComms &c) { c.getRfParams(RfsaSerialComms::FBand_900MHz); })
            << hexBytes("2a01050021e8");
        QTest::newRow("band 2400")
            << Command([](RfsaSerialComms &c) { c.setFBand(RfsaSerialComms::SetFBand_2400MHz); })
            << hexBytes("2a01140231e8");
        QTest::newRow("start 2400") << Command([](RfsaSerialComms &c) { c.setFStart(2400.0); })
                                    << hexBytes("2a04150960000007aa");
        QTest::newRow("host info") << Command([](RfsaSerialComms &c) { c.getInfoStr(1, 0); })
                                   << hexBytes("2a02820100ca64");
        // The other commands, payloads written out by hand and the CRC from the reference.
        QTest::newRow("device version")
            << Command([](RfsaSerialComms &c) { c.getDeviceVer(); }) << referenceFrame(0x03);
        QTest::newRow("fw version")
            << Command([](RfsaSerialComms &c) { c.getFwVer(); }) << referenceFrame(0x04);
        QTest::newRow("rf params 2400")
            << Command([](RfsaSerialComms &c) { c.getRfParams(RfsaSerialComms::FBand_2400MHz); })
            << referenceFrame(0x05, hexBytes("01"));
        QTest::newRow("last error")
            << Command([](RfsaSerialComms &c) { c.getLastError(); }) << referenceFrame(0x06);
        QTest::newRow("sync") << Command([](RfsaSerialComms &c) { c.sync(); })
                              << referenceFrame(0x07);
        QTest::newRow("band 900") << Command([](RfsaSerialComms &c) {
            c.setFBand(RfsaSerialComms::SetFBand_900MHz);
        }) << referenceFrame(0x14, hexBytes("01"));
        QTest::newRow("start 902.5") << Command([](RfsaSerialComms &c) { c.setFStart(902.5); })
                                     << referenceFrame(0x15, hexBytes("03868000"));
        QTest::newRow("stop 928") << Command([](RfsaSerialComms &c) { c.setFStop(928.0); })
                                  << referenceFrame(0x16, hexBytes("03a00000"));
        QTest::newRow("span index") << Command([](RfsaSerialComms &c) { c.setSpanIndex(9); })
                                    << referenceFrame(0x17, hexBytes("09"));
        QTest::newRow("step 103.25") << Command([](RfsaSerialComms &c) { c.setFStep(103.25); })
                                     << referenceFrame(0x18, hexBytes("00001a6f"));
        QTest::newRow("rbw") << Command([](RfsaSerialComms &c) { c.setRBW(41); })
                             << referenceFrame(0x19, hexBytes("29"));
        QTest::newRow("step count") << Command([](RfsaSerialComms &c) { c.setStepCount(0x1234); })
                                    << referenceFrame(0x1a, hexBytes("1234"));
        QTest::newRow("span") << Command([](RfsaSerialComms &c) { c.setSpan(100); })
                              << referenceFrame(0x1b, hexBytes("0064"));
        QTest::newRow("bootloader")
            << Command([](RfsaSerialComms &c) { c.resetToBootloader(); }) << referenceFrame(0x80);
        QTest::newRow("host bootloader")
            << Command([](RfsaSerialComms &c) { c.hostBL(); }) << referenceFrame(0x81);
        QTest::newRow("calibration")
            << Command([](RfsaSerialComms &c) { c.getCalibration(); }) << referenceFrame(0x83);
    }

    void commandFrames()
    {
        QFETCH(Command, command);
        QFETCH(QByteArray, frame);
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy waiting(&comms, &RfsaSerialComms::waitingAckChanged);
        command(comms);
        QCOMPARE(logLines(log), QStringList{">> " + QString::fromLatin1(frame.toHex())});
        QVERIFY(comms.waitingAck());
        QCOMPARE(waiting.count(), 1);
        QCOMPARE(RfsaFrame::createFrame(quint8(frame.at(2)), frame.mid(3, frame.size() - 5)),
                 frame);
    }

    void initParameterSendsNothing()
    {
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        comms.initParameter();
        QVERIFY(log.isEmpty());
        QVERIFY(!comms.waitingAck());
    }

    void noPortNameNeverOpens()
    {
        MessageCapture capture;
        FedRfsa comms;
        QVERIFY(!FedRfsa::port()->isOpen());
        QVERIFY(!capture.lines(QtWarningMsg).filter("Cannot open").isEmpty());
    }

    void replySplitOverReads()
    {
        FedRfsa comms;
        QSignalSpy version(&comms, &RfsaSerialComms::getFwVerDone);
        comms.getFwVer();
        const QByteArray reply = referenceFrame(0x04) + referenceFrame(0x04, hexBytes("0102030a"));
        for (int i = 0; i < reply.size() - 1; ++i) {
            comms.receiveBytes(reply.mid(i, 1));
            QVERIFY(version.isEmpty());
        }
        comms.receiveBytes(reply.right(1));
        QCOMPARE(version.count(), 1);
        QCOMPARE(version.at(0).at(0).toString(), QString("1.2.3.10"));
        QVERIFY(comms.buffered().isEmpty());
    }

    void twoRepliesInOneRead()
    {
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy version(&comms, &RfsaSerialComms::getFwVerDone);
        QSignalSpy waiting(&comms, &RfsaSerialComms::waitingAckChanged);
        comms.getFwVer();
        const QByteArray ack = referenceFrame(0x04);
        const QByteArray data = referenceFrame(0x04, hexBytes("8001"));
        comms.receiveBytes(ack + data);
        QCOMPARE(version.count(), 1);
        QCOMPARE(version.at(0).at(0).toString(), QString("-128.1"));
        QVERIFY(!comms.waitingAck());
        QCOMPARE(waiting.count(), 2);
        QCOMPARE(
            logLines(log),
            (QStringList{">> " + QString::fromLatin1(referenceFrame(0x04).toHex()),
                         "<< " + QString::fromLatin1(ack.toHex()),
                         "<< " + QString::fromLatin1(data.toHex()), "Firmware Version: -128.1"}));
    }

    void shortBufferWaits_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("start of a frame") << hexBytes("2a000195");
        QTest::newRow("stray bytes") << hexBytes("00112233");
    }

    void shortBufferWaits()
    {
        QFETCH(QByteArray, bytes);
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy done(&comms, &RfsaSerialComms::connectDone);
        comms.setWaitingAck(true);
        comms.receiveBytes(bytes);
        QVERIFY(log.isEmpty());
        QCOMPARE(comms.buffered(), bytes);
        comms.receiveBytes(hexBytes("09"));
        QCOMPARE(done.count(), bytes.startsWith('*') ? 1 : 0);
        QVERIFY(comms.buffered().isEmpty());
    }

    void badFirstByteClearsEverything()
    {
        MessageCapture capture;
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy error(&comms, &RfsaSerialComms::error);
        QSignalSpy done(&comms, &RfsaSerialComms::connectDone);
        comms.setWaitingAck(true);
        const QByteArray bytes = hexBytes("ff") + referenceFrame(0x01) + referenceFrame(0x07);
        comms.receiveBytes(bytes);
        QVERIFY(done.isEmpty());
        QVERIFY(error.isEmpty());
        QVERIFY(comms.buffered().isEmpty());
        QCOMPARE(logLines(log), QStringList{"Data Corruption! " + QString(bytes.toHex())});
        QCOMPARE(capture.lines(QtCriticalMsg),
                 QStringList{"Data Corruption! " + QString(bytes.toHex(' '))});
        // What arrives next starts afresh.
        comms.receiveBytes(referenceFrame(0x01));
        QCOMPARE(done.count(), 1);
    }

    void crcErrorReported()
    {
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy error(&comms, &RfsaSerialComms::error);
        QSignalSpy done(&comms, &RfsaSerialComms::syncDone);
        comms.sync();
        log.clear();
        QByteArray bad = referenceFrame(0x07);
        bad[4] = char(bad.at(4) ^ 1);
        comms.receiveBytes(bad + referenceFrame(0x07));
        QCOMPARE(error.count(), 1);
        QCOMPARE(error.at(0).at(0).toString(), QString("Crc error on received data"));
        QCOMPARE(logLines(log), QStringList{"CRC error: " + QString(bad.toHex())});
        QVERIFY(done.isEmpty());
        QVERIFY(comms.buffered().isEmpty());
        QVERIFY(comms.waitingAck());
    }

    // While an acknowledgement is awaited, the next frame is taken as one and acted on by its
    // own code, even when it carries data.
    void acknowledgementWhateverItCarries_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("data frame") << referenceFrame(0x04, hexBytes("01020304")) << QByteArray();
        QTest::newRow("info with text") << referenceFrame(0x82, "ABC") << QByteArray();
        QTest::newRow("other code") << referenceFrame(0x07) << QByteArray(SIGNAL(syncDone()));
        QTest::newRow("connect with payload")
            << referenceFrame(0x01, hexBytes("ff")) << QByteArray(SIGNAL(connectDone()));
        QTest::newRow("band") << referenceFrame(0x14) << QByteArray(SIGNAL(setFBandDone()));
        QTest::newRow("span") << referenceFrame(0x1b) << QByteArray(SIGNAL(setSpanDone()));
        QTest::newRow("host bootloader")
            << referenceFrame(0x81) << QByteArray(SIGNAL(hostBLDone()));
        QTest::newRow("bootloader")
            << referenceFrame(0x80) << QByteArray(SIGNAL(resetToBootloaderDone()));
    }

    void acknowledgementWhateverItCarries()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, signal);
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy version(&comms, &RfsaSerialComms::getFwVerDone);
        QSignalSpy info(&comms, &RfsaSerialComms::getInfoStrDone);
        std::unique_ptr<QSignalSpy> expected;
        if (!signal.isEmpty())
            expected = std::make_unique<QSignalSpy>(&comms, signal.constData());
        comms.getFwVer();
        comms.receiveBytes(frame);
        QVERIFY(!comms.waitingAck());
        QVERIFY(version.isEmpty());
        QVERIFY(info.isEmpty());
        QCOMPARE(log.count(), 2); // the request and the acknowledgement
        if (expected)
            QCOMPARE(expected->count(), 1);
    }

    void firmwareVersions_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << hexBytes("01020a") << "1.2.10";
        QTest::newRow("signed") << hexBytes("8001") << "-128.1";
        QTest::newRow("minus one") << hexBytes("ff00") << "-1.0";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void firmwareVersions()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QString, text);
        FedRfsa comms;
        QSignalSpy version(&comms, &RfsaSerialComms::getFwVerDone);
        comms.receiveBytes(referenceFrame(0x04, payload));
        QCOMPARE(version.count(), 1);
        QCOMPARE(version.at(0).at(0).toString(), text);
    }

    void texts_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNull");
        QTest::newRow("zero ends it") << hexBytes("414243007a") << "ABC" << false;
        QTest::newRow("no zero") << QByteArray("1.0.0.9.0.69") << "1.0.0.9.0.69" << false;
        QTest::newRow("utf-8") << QByteArray("Gr\xc3\xbc\xc3\x9f") << QString::fromUtf8("Grüß")
                               << false;
        QTest::newRow("empty") << QByteArray() << QString() << true;
    }

    void texts()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QString, text);
        QFETCH(bool, isNull);
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy info(&comms, &RfsaSerialComms::getInfoStrDone);
        QSignalSpy device(&comms, &RfsaSerialComms::getDeviceVerDone);
        comms.getInfoStr(1, 0);
        comms.receiveBytes(referenceFrame(0x82) + referenceFrame(0x82, payload));
        QCOMPARE(info.count(), 1);
        QCOMPARE(info.at(0).at(0).value<quint8>(), quint8(1));
        QCOMPARE(info.at(0).at(1).value<quint8>(), quint8(0));
        QCOMPARE(info.at(0).at(2).toString(), text);
        QCOMPARE(info.at(0).at(2).toString().isNull(), isNull);
        QCOMPARE(logLines(log).mid(3), (QStringList{"Got Info String (1, 0)", text}));

        comms.receiveBytes(referenceFrame(0x03, payload));
        QCOMPARE(device.count(), 1);
        QCOMPARE(device.at(0).at(0).toString(), text);
        QCOMPARE(logLines(log).constLast(), "Device Version: " + text);
    }

    void rfParamsTable()
    {
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy done(&comms, &RfsaSerialComms::getRfParamsDone);
        comms.receiveBytes(referenceFrame(0x05, hexBytes("0200fc")));
        QVERIFY(done.isEmpty());
        comms.receiveBytes(referenceFrame(0x05, hexBytes("4059000000000000011824")));
        QVERIFY(done.isEmpty());
        // A short entry reads its missing fields as zero.
        comms.receiveBytes(referenceFrame(0x05, hexBytes("405f4ccccccccccd")));
        QCOMPARE(done.count(), 1);
        const RfParams params = done.at(0).at(0).value<RfParams>();
        QCOMPARE(params.sweepCount, 252);
        QCOMPARE(params.entries.size(), 2);
        QCOMPARE(params.entries[0], (RfParamsEntry{100.0, 280, 36}));
        QCOMPARE(params.entries[1], (RfParamsEntry{125.2, 0, 0}));
        QStringList decoded = logLines(log);
        decoded.erase(std::remove_if(decoded.begin(), decoded.end(),
                                     [](const QString &line) { return line.startsWith("<< "); }),
                      decoded.end());
        QCOMPARE(decoded,
                 (QStringList{"RF Params - RBW Count: 2 Sweep Count: 252",
                              "Entry 0 - RBW: 100 IF: 280 Setting: 36",
                              "Entry 1 - RBW: 125.2 IF: 0 Setting: 0"}));

        // The next 0x05 frame starts a new table.
        comms.receiveBytes(referenceFrame(0x05, hexBytes("01ffff")));
        comms.receiveBytes(referenceFrame(0x05, hexBytes("3ff0000000000000ffffff")));
        QCOMPARE(done.count(), 2);
        const RfParams second = done.at(1).at(0).value<RfParams>();
        QCOMPARE(second.sweepCount, 65535);
        QCOMPARE(second.entries, QVector<RfParamsEntry>({{1.0, 65535, 255}}));
        // What was delivered before stays as it was.
        QCOMPARE(done.at(0).at(0).value<RfParams>(), params);
    }

    void emptyRfParamsTableCompletesAtOnce()
    {
        FedRfsa comms;
        QSignalSpy done(&comms, &RfsaSerialComms::getRfParamsDone);
        comms.receiveBytes(referenceFrame(0x05, hexBytes("000010")));
        QCOMPARE(done.count(), 1);
        const RfParams params = done.at(0).at(0).value<RfParams>();
        QCOMPARE(params.sweepCount, 16);
        QVERIFY(params.entries.isEmpty());
        // The table is over: the next frame is a header again.
        comms.receiveBytes(referenceFrame(0x05, hexBytes("000000")));
        QCOMPARE(done.count(), 2);
    }

    // The tail of a sweep that a Stop interrupted arrives while the next set-up waits for its
    // first acknowledgement: its data frames and its closing last-error frame are dropped,
    // the acknowledgement behind them is taken. A command's own code stays its acknowledgement.
    void interruptedSweepTailDropped()
    {
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy band(&comms, &RfsaSerialComms::setFBandDone);
        QSignalSpy specAck(&comms, &RfsaSerialComms::getSpecNoInitAck);
        QSignalSpy lastError(&comms, &RfsaSerialComms::getLastErrorDone);
        QSignalSpy spectrum(&comms, &RfsaSerialComms::getSpecNoInitDone);
        comms.setFBand(RfsaSerialComms::SetFBand_900MHz);
        const QByteArray tail = referenceFrame(0x1f, samples(255, -60))
            + referenceFrame(0x1f, samples(246, -70)) + referenceFrame(0x06, hexBytes("0000"));
        comms.receiveBytes(tail);
        QVERIFY(comms.waitingAck());
        QCOMPARE(logLines(log).filter("Dropped the rest of an interrupted sweep: ").size(), 3);
        comms.receiveBytes(referenceFrame(0x14));
        QCOMPARE(band.count(), 1);
        QVERIFY(!comms.waitingAck());
        QVERIFY(specAck.isEmpty() && lastError.isEmpty() && spectrum.isEmpty());

        comms.getLastError();
        comms.receiveBytes(referenceFrame(0x06) + referenceFrame(0x06, hexBytes("0003")));
        QCOMPARE(lastError.count(), 1);
        QCOMPARE(lastError.at(0).at(0).toInt(), 3);
        comms.getSpecNoInit();
        comms.receiveBytes(referenceFrame(0x1f) + referenceFrame(0x1f, hexBytes("a0"))
                           + referenceFrame(0x06, hexBytes("0000")));
        QCOMPARE(specAck.count(), 1);
        QCOMPARE(spectrum.count(), 1);
        QCOMPARE(spectrum.at(0).at(1).value<RfSpectrumScan>(), RfSpectrumScan{-96});
    }

    void sweepFromThreeFrames()
    {
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy ack(&comms, &RfsaSerialComms::getSpecNoInitAck);
        QSignalSpy lastError(&comms, &RfsaSerialComms::getLastErrorDone);
        QSignalSpy done(&comms, &RfsaSerialComms::getSpecNoInitDone);
        comms.getSpecNoInit();
        const QByteArray data = samples(600, -60);
        comms.receiveBytes(referenceFrame(0x1f) + referenceFrame(0x1f, data.left(255))
                           + referenceFrame(0x1f, data.mid(255, 255)));
        QCOMPARE(ack.count(), 1);
        QVERIFY(done.isEmpty());
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        comms.receiveBytes(referenceFrame(0x1f, data.mid(510)) + referenceFrame(0x06, "\0\0"));
        QCOMPARE(lastError.count(), 1);
        QCOMPARE(done.count(), 1);
        const RfSpectrumScan scan = done.at(0).at(1).value<RfSpectrumScan>();
        QCOMPARE(scan.size(), 600);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(scan.constData()), scan.size()), data);
        QVERIFY(done.at(0).at(0).toLongLong() >= before);
        QCOMPARE(logLines(log).filter("Getting Spectrum").size(), 3);
        QString values;
        for (const qint8 value : scan)
            values += QString::number(value) + ' ';
        QCOMPARE(logLines(log).constLast(), "Current Spectrum: (600) " + values);

        // The next request's acknowledgement empties the samples of the last one.
        comms.getSpecNoInit();
        comms.receiveBytes(referenceFrame(0x1f) + referenceFrame(0x1f, hexBytes("a0a1"))
                           + referenceFrame(0x06, hexBytes("0007")));
        QCOMPARE(done.count(), 2);
        QCOMPARE(done.at(1).at(1).value<RfSpectrumScan>(), (RfSpectrumScan{-96, -95}));
        QCOMPARE(lastError.at(1).at(0).toInt(), 7);
        QCOMPARE(done.at(0).at(1).value<RfSpectrumScan>().size(), 600);
    }

    void overlongSweepDropped()
    {
        // Data frames without their closing frame: the accumulator stops at the largest sweep
        // the analyzer can be set up for, the closing frame ends the transfer with an empty
        // sweep (the scan goes on), and the next sweep is whole again.
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy done(&comms, &RfsaSerialComms::getSpecNoInitDone);
        comms.getSpecNoInit();
        comms.receiveBytes(referenceFrame(0x1f));
        const QByteArray frame = referenceFrame(0x1f, samples(255, -60));
        for (int i = 0; i < 300; ++i)
            comms.receiveBytes(frame);
        QCOMPARE(logLines(log).filter("Dropped a sweep longer than 65535 samples").size(), 1);
        comms.receiveBytes(referenceFrame(0x06, hexBytes("0000")));
        QCOMPARE(done.count(), 1);
        QVERIFY(done.at(0).at(1).value<RfSpectrumScan>().isEmpty());
        comms.getSpecNoInit();
        comms.receiveBytes(referenceFrame(0x1f) + referenceFrame(0x1f, hexBytes("a0a1"))
                           + referenceFrame(0x06, hexBytes("0000")));
        QCOMPARE(done.at(1).at(1).value<RfSpectrumScan>(), (RfSpectrumScan{-96, -95}));
    }

    void calibrationStartsEmpty()
    {
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy spectrum(&comms, &RfsaSerialComms::getSpecNoInitDone);
        QSignalSpy calibration(&comms, &RfsaSerialComms::getCalibrationDone);
        comms.getSpecNoInit();
        comms.receiveBytes(referenceFrame(0x1f) + referenceFrame(0x1f, samples(10, -90))
                           + referenceFrame(0x06, hexBytes("0000")));
        QCOMPARE(spectrum.count(), 1);
        comms.getCalibration();
        comms.receiveBytes(referenceFrame(0x83) + referenceFrame(0x83, hexBytes("fe0102"))
                           + referenceFrame(0x06, hexBytes("0000")));
        QCOMPARE(spectrum.count(), 1);
        QCOMPARE(calibration.count(), 1);
        QCOMPARE(calibration.at(0).at(1).value<RfSpectrumScan>(), (RfSpectrumScan{-2, 1, 2}));
        QCOMPARE(logLines(log).filter("Getting calibration array").size(), 1);
        QCOMPARE(logLines(log).constLast(), QString("Calibration Array: (3) -2 1 2 "));
    }

    void lastErrorAfterOtherCommands()
    {
        FedRfsa comms;
        QSignalSpy log(&comms, &RfsaSerialComms::log);
        QSignalSpy lastError(&comms, &RfsaSerialComms::getLastErrorDone);
        QSignalSpy spectrum(&comms, &RfsaSerialComms::getSpecNoInitDone);
        QSignalSpy calibration(&comms, &RfsaSerialComms::getCalibrationDone);
        comms.getFwVer();
        comms.receiveBytes(referenceFrame(0x04) + referenceFrame(0x06, hexBytes("ff")));
        QCOMPARE(lastError.count(), 1);
        // A short payload reads its missing byte as zero.
        QCOMPARE(lastError.at(0).at(0).toInt(), 0xff00);
        QCOMPARE(logLines(log).constLast(), QString("Last Error: 65280"));
        QVERIFY(spectrum.isEmpty());
        QVERIFY(calibration.isEmpty());
    }

    void waitingAckSignalsOnlyOnChange()
    {
        MessageCapture capture;
        FedRfsa comms;
        QSignalSpy waiting(&comms, &RfsaSerialComms::waitingAckChanged);
        comms.setWaitingAck(false);
        QVERIFY(waiting.isEmpty());
        comms.setWaitingAck(true);
        comms.setWaitingAck(true);
        QCOMPARE(waiting.count(), 1);
        QVERIFY(capture.lines(QtDebugMsg).filter("Cleared waiting for ack").isEmpty());
        comms.setWaitingAck(false);
        QCOMPARE(waiting.count(), 2);
        QCOMPARE(waiting.at(1).at(0).toBool(), false);
        QCOMPARE(capture.lines(QtDebugMsg).filter("Cleared waiting for ack").size(), 1);
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestRfsaProtocol)
#include "tst_rfsaprotocol.moc"
