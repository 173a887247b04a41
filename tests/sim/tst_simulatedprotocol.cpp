#include "../comms/CrcReference.h"
#include "QuorvexTest.h"
#include "sim/SimulatedAnalyzerProtocol.h"
#include "sim/SimulatedFrameCodec.h"
#include "sim/SimulatedFrameReader.h"

#include <QRandomGenerator>
#include <cstring>

namespace {

QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(text);
}

SimulatedAnalyzerSettings instantSettings()
{
    SimulatedAnalyzerSettings settings;
    settings.sweepTime900Ms = 0;
    settings.sweepTime2400Ms = 0;
    return settings;
}

// What the device put on the line, cut into frames by the test's own reading of the format.
QList<QByteArray> framesOf(const QByteArray &stream)
{
    QList<QByteArray> frames;
    int at = 0;
    while (at + 5 <= stream.size() && stream.at(at) == '*') {
        const int length = quint8(stream.at(at + 1)) + 5;
        frames.append(stream.mid(at, length));
        at += length;
    }
    return frames;
}

} // namespace

// The analyzer mode of the simulated device, fed bytes directly; what it sends is compared with
// frames built by hand.
class TestSimulatedProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codecMatchesReference()
    {
        QRandomGenerator rng(11);
        for (int length = 0; length <= 255; length += 1 + length / 4) {
            QByteArray payload(length, '\0');
            for (char &byte : payload)
                byte = char(rng.bounded(256));
            QCOMPARE(SimulatedFrameCodec::crc16(payload), referenceCrc16(payload));
            const QByteArray frame = SimulatedFrameCodec::frame(0x1F, payload);
            QCOMPARE(frame, referenceFrame(0x1F, payload));
            QVERIFY(SimulatedFrameCodec::isValid(frame));
            QVERIFY(!SimulatedFrameCodec::isValid(frame.left(frame.size() - 1)));
        }
        QCOMPARE(SimulatedFrameCodec::frame(0x01), hexBytes("2a00019509"));
    }

    void readerResynchronises_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("results"); // F frame, R rejected, N need more
        const QByteArray sync = referenceFrame(0x07);
        QByteArray broken = sync;
        broken[3] = char(broken.at(3) ^ 0x40);
        QTest::newRow("frame") << sync << "FN";
        QTest::newRow("stray bytes first") << hexBytes("0001ff") + sync << "RFN";
        // The broken frame's start byte goes, then the bytes up to the next start byte.
        QTest::newRow("bad crc") << broken + sync << "RRFN";
        QTest::newRow("part of a frame") << sync.left(4) << "N";
        QTest::newRow("start byte inside a broken frame")
            << hexBytes("2a00") + referenceFrame(0x01) << "RRFN";
        QTest::newRow("promises more than there is")
            << hexBytes("2a03") + referenceFrame(0x01) << "N";
    }

    void readerResynchronises()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, results);
        SimulatedFrameReader reader;
        reader.append(stream);
        QString seen;
        for (;;) {
            quint8 code = 0;
            QByteArray payload;
            const SimulatedFrameReader::Result result = reader.next(code, payload);
            seen += result == SimulatedFrameReader::Result::Frame  ? 'F'
                : result == SimulatedFrameReader::Result::Rejected ? 'R'
                                                                   : 'N';
            if (result == SimulatedFrameReader::Result::NeedMore)
                break;
        }
        QCOMPARE(seen, results);
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        const auto ack = [](quint8 code) { return referenceFrame(code); };
        QTest::newRow("connect") << referenceFrame(0x01) << ack(0x01);
        QTest::newRow("disconnect") << referenceFrame(0x02) << ack(0x02);
        QTest::newRow("sync") << referenceFrame(0x07) << ack(0x07);
        QTest::newRow("device version")
            << referenceFrame(0x03)
            << ack(0x03) + referenceFrame(0x03, QByteArray("Quorvex RF analyzer HW 2", 25));
        QTest::newRow("fw version")
            << referenceFrame(0x04) << ack(0x04) + referenceFrame(0x04, hexBytes("010000090000"));
        QTest::newRow("last error")
            << referenceFrame(0x06) << ack(0x06) + referenceFrame(0x06, hexBytes("0000"));
        QTest::newRow("host info")
            << referenceFrame(0x82, hexBytes("0100"))
            << ack(0x82) + referenceFrame(0x82, QByteArray("1.0.0.9.0.69", 13));
        QTest::newRow("radio info")
            << referenceFrame(0x82, hexBytes("0000"))
            << ack(0x82) + referenceFrame(0x82, QByteArray("1.0.0.9.0.0", 12));
        QTest::newRow("other info") << referenceFrame(0x82, hexBytes("0103"))
                                    << ack(0x82) + referenceFrame(0x82, hexBytes("00"));
        QTest::newRow("set band") << referenceFrame(0x14, hexBytes("01")) << ack(0x14);
        QTest::newRow("set start") << referenceFrame(0x15, hexBytes("09600000")) << ack(0x15);
        QTest::newRow("set span") << referenceFrame(0x1b, hexBytes("0064")) << ack(0x1b);
        QTest::newRow("reset to bootloader") << referenceFrame(0x80) << ack(0x80);
        // The host leaves for its firmware-update mode without answering.
        QTest::newRow("host bootloader") << referenceFrame(0x81) << QByteArray();
        QTest::newRow("unknown command") << referenceFrame(0x42) << ack(0x42);
        QTest::newRow("two at once")
            << referenceFrame(0x01) + referenceFrame(0x07) << ack(0x01) + ack(0x07);
    }

    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        SimulatedAnalyzerProtocol device(instantSettings());
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        QSignalSpy commands(&device, &SimulatedAnalyzerProtocol::commandReceived);
        device.receive(request);
        QByteArray stream;
        for (const QList<QVariant> &args : sent)
            stream += args.at(0).toByteArray();
        QCOMPARE(stream.toHex(), reply.toHex());
        QVERIFY(!commands.isEmpty());
        QCOMPARE(commands.at(0).at(0).value<quint8>(), quint8(request.at(2)));
        const int length = quint8(request.at(1));
        QCOMPARE(commands.at(0).at(1).toByteArray(), request.mid(3, length));
    }

    void rfParamsTables_data()
    {
        QTest::addColumn<quint8>("band");
        QTest::addColumn<int>("sweepCount");
        QTest::newRow("900") << quint8(0) << 252;
        QTest::newRow("2400") << quint8(1) << 501;
    }

    void rfParamsTables()
    {
        QFETCH(quint8, band);
        QFETCH(int, sweepCount);
        SimulatedAnalyzerProtocol device(instantSettings());
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        device.receive(referenceFrame(0x05, QByteArray(1, char(band))));
        QCOMPARE(sent.count(), 14);
        QCOMPARE(sent.at(0).at(0).toByteArray(), referenceFrame(0x05));
        const QByteArray header = sent.at(1).at(0).toByteArray();
        QCOMPARE(header.mid(3, 3),
                 QByteArray(1, char(12)) + char(sweepCount >> 8) + char(sweepCount));
        double previous = 0.0;
        for (int i = 2; i < sent.count(); ++i) {
            const QByteArray entry = sent.at(i).at(0).toByteArray();
            QCOMPARE(entry.size(), 16);
            QVERIFY(SimulatedFrameCodec::isValid(entry));
            quint64 bits = 0;
            for (int b = 0; b < 8; ++b)
                bits = (bits << 8) | quint8(entry.at(3 + b));
            double rbw;
            std::memcpy(&rbw, &bits, sizeof rbw);
            QVERIFY(rbw > previous);
            previous = rbw;
        }
    }

    void sweepFramesFollowTheBand_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QList<int>>("frameSizes");
        const QByteArray band900 = referenceFrame(0x14, hexBytes("01"))
            + referenceFrame(0x15, hexBytes("03860000"))
            + referenceFrame(0x16, hexBytes("03a00000"))
            + referenceFrame(0x18, hexBytes("00001a6f"));
        const QByteArray band2400 = referenceFrame(0x14, hexBytes("02"))
            + referenceFrame(0x15, hexBytes("09600000"))
            + referenceFrame(0x16, hexBytes("09c40000"))
            + referenceFrame(0x18, hexBytes("00003333"));
        QTest::newRow("2400 at power-on") << QByteArray() << QList<int>{255, 246};
        QTest::newRow("900") << band900 << QList<int>{252};
        QTest::newRow("2400") << band900 + band2400 << QList<int>{255, 246};
        QTest::newRow("band alone") << referenceFrame(0x14, hexBytes("01")) << QList<int>{252};
        QTest::newRow("narrow span") << referenceFrame(0x15, hexBytes("09600000"))
                + referenceFrame(0x16, hexBytes("09610000"))
                                     << QList<int>{6};
    }

    void sweepFramesFollowTheBand()
    {
        QFETCH(QByteArray, setup);
        QFETCH(QList<int>, frameSizes);
        SimulatedAnalyzerProtocol device(instantSettings());
        QSignalSpy swept(&device, &SimulatedAnalyzerProtocol::sweepSent);
        device.receive(setup);
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        device.receive(referenceFrame(0x1f));
        QVERIFY(swept.wait());
        QByteArray stream;
        for (const QList<QVariant> &args : sent)
            stream += args.at(0).toByteArray();
        const QList<QByteArray> frames = framesOf(stream);
        QCOMPARE(frames.size(), frameSizes.size() + 2);
        QCOMPARE(frames.first(), referenceFrame(0x1f));
        for (int i = 0; i < frameSizes.size(); ++i) {
            QCOMPARE(frames.at(i + 1).at(2), char(0x1f));
            QCOMPARE(frames.at(i + 1).size() - 5, frameSizes.at(i));
            QCOMPARE(frames.at(i + 1),
                     referenceFrame(0x1f, frames.at(i + 1).mid(3, frameSizes[i])));
        }
        QCOMPARE(frames.last(), referenceFrame(0x06, hexBytes("0000")));
        int total = 0;
        for (const int size : frameSizes)
            total += size;
        QCOMPARE(swept.at(0).at(0).toInt(), total);
    }

    void commandsWaitForTheSweep()
    {
        SimulatedAnalyzerProtocol device(instantSettings());
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        QSignalSpy swept(&device, &SimulatedAnalyzerProtocol::sweepSent);
        device.receive(referenceFrame(0x1f) + referenceFrame(0x07));
        QCOMPARE(sent.count(), 1); // the acknowledgement of the request only
        QVERIFY(swept.wait());
        QCOMPARE(sent.constLast().at(0).toByteArray(), referenceFrame(0x07));
        QCOMPARE(sent.at(sent.count() - 2).at(0).toByteArray(),
                 referenceFrame(0x06, hexBytes("0000")));
    }

    void lastErrors_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("code");
        QByteArray broken = referenceFrame(0x07);
        broken[4] = char(broken.at(4) ^ 1);
        QTest::newRow("none") << referenceFrame(0x07) << 0;
        QTest::newRow("bad crc") << broken << 1;
        QTest::newRow("stray bytes") << hexBytes("00ff") << 1;
        QTest::newRow("unknown command") << referenceFrame(0x42) << 2;
        QTest::newRow("unknown band") << referenceFrame(0x14, hexBytes("03")) << 3;
        QTest::newRow("short payload") << referenceFrame(0x15, hexBytes("0960")) << 3;
    }

    void lastErrors()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, code);
        SimulatedAnalyzerProtocol device(instantSettings());
        device.receive(request);
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        device.receive(referenceFrame(0x06) + referenceFrame(0x06));
        QCOMPARE(sent.count(), 4);
        QCOMPARE(sent.at(1).at(0).toByteArray(),
                 referenceFrame(0x06, QByteArray(1, char(code >> 8)) + char(code)));
        // Reading the last error clears it.
        QCOMPARE(sent.at(3).at(0).toByteArray(), referenceFrame(0x06, hexBytes("0000")));
    }

    void droppedAcknowledgements()
    {
        SimulatedAnalyzerSettings settings = instantSettings();
        settings.dropAcks = 2;
        SimulatedAnalyzerProtocol device(settings);
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        device.receive(referenceFrame(0x07) + referenceFrame(0x04) + referenceFrame(0x01));
        QCOMPARE(sent.count(), 2);
        QCOMPARE(sent.at(0).at(0).toByteArray(), referenceFrame(0x04, hexBytes("010000090000")));
        QCOMPARE(sent.at(1).at(0).toByteArray(), referenceFrame(0x01));
    }

    void corruptedCrcs()
    {
        SimulatedAnalyzerProtocol device(instantSettings());
        device.setCorruptCrcEvery(2);
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        for (int i = 0; i < 4; ++i)
            device.receive(referenceFrame(0x07));
        QCOMPARE(sent.count(), 4);
        for (int i = 0; i < 4; ++i) {
            const QByteArray frame = sent.at(i).at(0).toByteArray();
            QCOMPARE(frame.left(3), referenceFrame(0x07).left(3));
            QCOMPARE(frame == referenceFrame(0x07), i % 2 == 0);
        }
    }

    void strayBytesAheadOfFrames()
    {
        SimulatedAnalyzerProtocol device(instantSettings());
        device.setGarbageEvery(1);
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        device.receive(referenceFrame(0x07) + referenceFrame(0x01));
        QCOMPARE(sent.count(), 4);
        for (int i = 0; i < 4; i += 2) {
            const QByteArray garbage = sent.at(i).at(0).toByteArray();
            QVERIFY(garbage.size() >= 1 && garbage.size() <= 6);
            QVERIFY(garbage.at(0) != '*');
        }
        QCOMPARE(sent.at(3).at(0).toByteArray(), referenceFrame(0x01));
    }

    void stalledSweepArrivesWhole()
    {
        SimulatedAnalyzerProtocol device(instantSettings());
        device.setStall(1, 20);
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        QSignalSpy swept(&device, &SimulatedAnalyzerProtocol::sweepSent);
        device.receive(referenceFrame(0x1f));
        QVERIFY(swept.wait());
        QCOMPARE(sent.count(), 4);
        QCOMPARE(swept.at(0).at(0).toInt(), 501);
    }

    void unpluggedInTheMiddleOfASweep()
    {
        SimulatedAnalyzerProtocol device(instantSettings());
        device.setHangUpAfterSweeps(2);
        QSignalSpy sent(&device, &SimulatedDeviceMode::send);
        QSignalSpy swept(&device, &SimulatedAnalyzerProtocol::sweepSent);
        QSignalSpy unplug(&device, &SimulatedAnalyzerProtocol::hangUpRequested);
        device.receive(referenceFrame(0x1f));
        QVERIFY(swept.wait());
        sent.clear();
        device.receive(referenceFrame(0x1f));
        QVERIFY(unplug.wait());
        QCOMPARE(sent.count(), 2); // the acknowledgement and the first data frame
        QCOMPARE(swept.count(), 1);
        // Powered up again, it answers.
        device.reset();
        device.receive(referenceFrame(0x07));
        QCOMPARE(sent.constLast().at(0).toByteArray(), referenceFrame(0x07));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSimulatedProtocol)
#include "tst_simulatedprotocol.moc"
