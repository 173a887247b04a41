#include "QuorvexTest.h"
#include "data/Crc32.h"
#include "firmware/RadioImage.h"
#include "firmware/RblSerialComms.h"

#include <functional>

// The bootloader protocol object on a port that never opens, fed received bytes directly; what
// it sends is read from its log.
class FedRbl : public RblSerialComms
{
public:
    FedRbl()
        : RblSerialComms(QString())
    { }
    using RblSerialComms::receiveBytes;
    QByteArray buffered() const { return m_receiveData; }
};

using Command = std::function<void(RblSerialComms &)>;
Q_DECLARE_METATYPE(Command)

namespace {

QStringList sent(const QSignalSpy &log)
{
    QStringList frames;
    for (const QList<QVariant> &args : log) {
        const QString line = args.at(0).toString();
        if (line.startsWith(">> "))
            frames << line.mid(3);
    }
    return frames;
}

} // namespace

class TestRblProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frames_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("frame");
        QTest::newRow("auto-baud") << Command([](RblSerialComms &c) { c.autoBaud(); }) << "5555";
        QTest::newRow("ping") << Command([](RblSerialComms &c) { c.cmdPing(); }) << "032020";
        QTest::newRow("sector erase 0x1000")
            << Command([](RblSerialComms &c) { c.cmdSectorErase(0x1000); }) << "07362600001000";
        QTest::newRow("download") << Command([](RblSerialComms &c) {
            c.cmdDownload(0x2000, 0x1000);
        }) << "0b51210000200000001000";
        QTest::newRow("send data")
            << Command([](RblSerialComms &c) { c.cmdSendData(QByteArray::fromHex("0102ff")); })
            << "0626240102ff";
        QTest::newRow("CRC-32") << Command([](RblSerialComms &c) { c.cmdCrc32(0, 0x7000, 0); })
                                << "0f9727000000000000700000000000";
        QTest::newRow("memory read")
            << Command([](RblSerialComms &c) { c.cmdMemoryRead(0x50001000, 0, 44); })
            << "09b62a50001000002c";
        QTest::newRow("memory write")
            << Command([](RblSerialComms &c) { c.cmdMemoryWrite(0x20000000, "\x7f"); })
            << "09ca2b20000000007f";
        QTest::newRow("set CCFG") << Command([](RblSerialComms &c) { c.cmdSetCcfg(3, 0x11223344); })
                                  << "0bda2d0000000311223344";
        QTest::newRow("reset") << Command([](RblSerialComms &c) { c.cmdReset(); }) << "032525";
    }

    void frames()
    {
        QFETCH(Command, command);
        QFETCH(QString, frame);
        FedRbl comms;
        QSignalSpy log(&comms, &RblSerialComms::log);
        command(comms);
        QCOMPARE(sent(log), QStringList{frame});
        QVERIFY(comms.waitingAck());
    }

    void acknowledgements()
    {
        // Zero bytes before the ACK; the ACK split from them.
        FedRbl comms;
        QSignalSpy ping(&comms, &RblSerialComms::cmdPingDone);
        comms.cmdPing();
        comms.receiveBytes(QByteArray::fromHex("0000"));
        QVERIFY(ping.isEmpty() && comms.waitingAck());
        comms.receiveBytes(QByteArray::fromHex("cc"));
        QCOMPARE(ping.count(), 1);
        QVERIFY(comms.buffered().isEmpty() && !comms.waitingAck());

        // The status frame in the same read as its ACK: both handled, the host answers 00 CC.
        QSignalSpy log(&comms, &RblSerialComms::log);
        QSignalSpy status(&comms, &RblSerialComms::cmdGetStatusDone);
        comms.cmdGetStatus();
        comms.receiveBytes(QByteArray::fromHex("cc034040"));
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.at(0).at(0).value<uchar>(), uchar(0x40));
        QCOMPARE(sent(log), (QStringList{"032323", "00cc"}));

        // A frame split over two reads.
        comms.cmdGetStatus();
        comms.receiveBytes(QByteArray::fromHex("cc03"));
        comms.receiveBytes(QByteArray::fromHex("4343"));
        QCOMPARE(status.count(), 2);
        QCOMPARE(status.at(1).at(0).value<uchar>(), uchar(0x43));

        // The CRC-32 response: 0x80 + 0x81 + 0x82 + 0x83 = 0x206, checksum 0x06.
        QSignalSpy crc(&comms, &RblSerialComms::cmdCrc32Done);
        comms.cmdCrc32(0, 4, 0);
        comms.receiveBytes(QByteArray::fromHex("00cc060680818283"));
        QCOMPARE(crc.count(), 1);
        QCOMPARE(crc.at(0).at(0).value<uint>(), 0x80818283u);
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("error");
        QTest::newRow("NACK") << QByteArray::fromHex("33") << "Bootloader Error! (NACK)";
        QTest::newRow("unknown byte")
            << QByteArray::fromHex("0000a5") << "Bootloader Error! (UNKNOWN)";
    }

    void refusals()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        FedRbl comms;
        QSignalSpy errors(&comms, &RblSerialComms::error);
        QSignalSpy done(&comms, &RblSerialComms::cmdSectorEraseDone);
        comms.cmdSectorErase(0);
        comms.receiveBytes(reply);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), error);
        QVERIFY(done.isEmpty());
    }

    // A response that fails its checksum is refused once and dropped: the frame behind it is
    // read as it comes.
    void badChecksumDroppedAfterItsNack()
    {
        FedRbl comms;
        QSignalSpy log(&comms, &RblSerialComms::log);
        QSignalSpy status(&comms, &RblSerialComms::cmdGetStatusDone);
        comms.cmdGetStatus();
        comms.receiveBytes(QByteArray::fromHex("cc034140"));
        comms.receiveBytes(QByteArray());
        QVERIFY(status.isEmpty());
        QCOMPARE(sent(log), (QStringList{"032323", "0033"}));
        QVERIFY(comms.buffered().isEmpty());
        comms.receiveBytes(QByteArray::fromHex("034040"));
        QCOMPARE(status.count(), 1);
        QCOMPARE(sent(log).count("0033"), 1);
    }

    void imageAndChecksum()
    {
        QCOMPARE(Crc32::of("123456789"), 0xCBF43926u);
        const QByteArray image = RadioImage::make("1.0.0.9.0.0");
        QCOMPARE(image.size(), 7 * 4096 + 1234);
        QCOMPARE(RadioImage::sectorCount(image.size()), 8);
        QCOMPARE(RadioImage::sectorCount(28672), 7);
        QCOMPARE(RadioImage::sectorCount(28673), 8);
        QCOMPARE(RadioImage::versionOf(image), QString("1.0.0.9.0.0"));
        QCOMPARE(image.mid(4 * 4096, 4096), QByteArray(4096, '\xff'));
        QCOMPARE(RadioImage::make("1.0.0.9.0.0"), image);
        QCOMPARE(RadioImage::versionOf(QByteArray(4096, '\xff')), QString());
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestRblProtocol)
#include "tst_rblprotocol.moc"
