#include "QuorvexTest.h"
#include "data/QwtIntervalStream.h"
#include "data/RecordingFile.h"

#include <QBuffer>
#include <QRandomGenerator>

// Expected bytes are written out by hand from the recording layout (big-endian, stream
// version Qt 5.15); the doubles are their IEEE 754 images.
namespace {

const char k_freq2400[] = "40a2c00000000000"
                          "40a3880000000000"
                          "00000000";
const char k_rssi[] = "c059000000000000"
                      "c03e000000000000"
                      "00000000";
const char k_nullText[] = "ffffffff";

QByteArray hex(const QByteArray &text)
{
    return QByteArray::fromHex(text);
}

template<class T> QByteArray encode(const T &value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << value;
    return bytes;
}

RfSpectrumHistory emptyHistory2400()
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(2400.0, 2500.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    return history;
}

RfSpectrumHistory fullHistory(int sampleCount)
{
    QRandomGenerator rng(7);
    RfSpectrumHistory history = emptyHistory2400();
    for (int s = 0; s < sampleCount; ++s) {
        RfSpectrumSample sample;
        sample.timestamp = 1765200000000 + 45 * s;
        for (int i = 0; i < 501; ++i)
            sample.scan.append(qint8(-128 + int(rng.bounded(128))));
        for (int a = 0; a < s % 3; ++a)
            sample.wifiAps.append(WifiApInfo{QString("aa:bb:cc:dd:ee:%1").arg(a, 2, 10, QChar('0')),
                                             a == 0 ? QString("") : QString("Net %1").arg(a),
                                             -40 - a, 2412 + 5 * a, 20,
                                             QColor::fromHsv(30 * a, 200, 255)});
        history.samples.append(sample);
    }
    history.timeEvents.append(TimeEvent{QDateTime::fromMSecsSinceEpoch(1765200000100), "start"});
    history.timeEvents.append(
        TimeEvent{QDateTime::fromMSecsSinceEpoch(1765200000900, Qt::UTC), ""});
    history.timeEvents.append(TimeEvent{
        QDateTime::fromMSecsSinceEpoch(1765200001000, Qt::OffsetFromUTC, 3600), QString()});
    history.labels.append(SpectroLabel{QPointF(2437.5, -60.25), "microwave"});
    history.labels.append(SpectroLabel{QPointF(2401.0, -99.0), QString()});
    history.projectInfo = ProjectInfoData{"Arena", "", QString(), "Jo Ng \u00e9"};
    return history;
}

RecordingFile::Band readBytes(const QByteArray &bytes, RfSpectrumHistory &history,
                              RecordingFile::Integrity *integrity)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return RecordingFile::read(buffer, history, integrity);
}

// A show's recording of every record kind, a few megabytes long, written record by record:
// runs of sweeps that share an access-point list, lists that change (in length or in a field
// alone), empty ones, a list equal to the one before in other bytes (a null name where it had
// an empty one), one list longer than a megabyte, sweeps of other lengths, events, labels and
// project texts. `ends` tells where each sweep ends.
QByteArray showRecording(QVector<int> *ends = nullptr)
{
    QRandomGenerator rng(11);
    QList<RfSpectrumSample> samples;
    WifiScan list;
    for (int s = 0; s < 6000; ++s) {
        if (s % 150 == 0) {
            list.clear();
            for (int a = 0; a < (s / 150) % 4; ++a)
                list.append(WifiApInfo{QString("aa:bb:cc:00:%1:%2").arg(s % 97).arg(a),
                                       a == 1 ? QString("") : QString("Stage %1").arg(s), -30 - a,
                                       2412 + 25 * a, 20, QColor::fromHsv(40 * a, 255, 200)});
        } else if (s % 150 == 75 && list.size() > 1) {
            list[1].ssid = QString();
        } else if (s % 150 == 100 && !list.isEmpty()) {
            list[0].rssi -= 3;
        }
        const int length = s == 1234 ? 300 : s == 2345 ? 0 : 501;
        RfSpectrumScan scan(length);
        for (qint8 &value : scan)
            value = qint8(-120 + int(rng.bounded(100)));
        samples.append(RfSpectrumSample{1765200000000 + 46 * s, scan, list});
        for (int a = 0; s == 2500 && a < 40000; ++a)
            samples.last().wifiAps.append(WifiApInfo{});
    }
    const QList<TimeEvent> events{
        TimeEvent{QDateTime::fromMSecsSinceEpoch(1765200003000), "Doors"},
        TimeEvent{QDateTime::fromMSecsSinceEpoch(1765200009000, Qt::UTC), QString()}};
    const QList<SpectroLabel> labels{SpectroLabel{QPointF(2450.0, -55.5), "lights"}};
    const ProjectInfoData info{"Hall", "7", "Stage left", "Ana Ru"};
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << QwtInterval(2400.0, 2500.0) << QwtInterval(-100.0, -30.0) << qint32(samples.size());
    for (const RfSpectrumSample &sample : samples) {
        out << sample;
        if (ends)
            ends->append(int(out.device()->pos()));
    }
    out << events << labels << info;
    return bytes;
}

// What a stream over the bytes makes of them, read with the records' own readers one by one:
// the history, and how far it got.
RecordingFile::Integrity readFieldByField(const QByteArray &bytes, RfSpectrumHistory &history)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_15);
    in >> history.freqInterval >> history.rssiInterval;
    qint32 count = 0;
    in >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        RfSpectrumSample sample;
        in >> sample;
        if (in.status() == QDataStream::Ok)
            history.samples.append(sample);
    }
    if (in.status() == QDataStream::Ok)
        in >> history.timeEvents >> history.labels >> history.projectInfo;
    return in.status() == QDataStream::Ok         ? RecordingFile::Integrity::Whole
        : in.status() == QDataStream::ReadPastEnd ? RecordingFile::Integrity::CutShort
                                                  : RecordingFile::Integrity::Damaged;
}

// Peak virtual memory of the process, in kB: a reservation of gigabytes shows here even when
// its pages are never touched.
qint64 peakVirtualKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

class TestRecordingFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyHistoryIs68Bytes()
    {
        const QByteArray expected = hex(QByteArray(k_freq2400) + k_rssi
                                        + "00000000"
                                          "00000000"
                                          "00000000"
                                        + k_nullText + k_nullText + k_nullText + k_nullText);
        QCOMPARE(expected.size(), 68);
        QCOMPARE(encode(emptyHistory2400()), expected);

        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(RecordingFile::write(buffer, emptyHistory2400()));
        QCOMPARE(buffer.data(), expected);
    }

    void sampleWithoutAccessPointsIs517Bytes()
    {
        RfSpectrumSample sample;
        sample.timestamp = 1765200000123;
        QByteArray amplitudes;
        for (int i = 0; i < 501; ++i) {
            sample.scan.append(qint8(i % 2 ? -95 : 0x7f));
            amplitudes.append(char(i % 2 ? 0xa1 : 0x7f));
        }
        const QByteArray expected = hex("0000019afe1e747b"
                                        "000001f5")
            + amplitudes + hex("00000000");
        QCOMPARE(expected.size(), 517);
        QCOMPARE(encode(sample), expected);
    }

    void nullAndEmptyTexts()
    {
        ProjectInfoData info{QString(), QString(""), "A", QString()};
        QCOMPARE(encode(info),
                 hex("ffffffff"
                     "00000000"
                     "00000002"
                     "0041"
                     "ffffffff"));
    }

    void accessPointWithColour()
    {
        const WifiApInfo ap{"ab", "N", -50, 2437, 20, QColor(255, 0, 0)};
        // texts as UTF-16, then rssi, frequency, width, and the colour: model 1 (RGB), alpha,
        // red, green, blue, padding as 16-bit values.
        QCOMPARE(encode(ap),
                 hex("00000004"
                     "00610062"
                     "00000002"
                     "004e"
                     "ffffffce"
                     "00000985"
                     "00000014"
                     "01"
                     "ffff"
                     "ffff"
                     "0000"
                     "0000"
                     "0000"));
    }

    void timeEventWithDateTime()
    {
        // 2026-12-08 13:45:30.250 local time: Julian day 2461383, 49530250 ms after midnight,
        // time kind 0 (Qt::LocalTime).
        const TimeEvent event{QDateTime(QDate(2026, 12, 8), QTime(13, 45, 30, 250), Qt::LocalTime),
                              "Go"};
        QCOMPARE(encode(event),
                 hex("0000000000258ec7"
                     "02f3c58a"
                     "00"
                     "00000004"
                     "0047006f"));
        // With an offset from UTC the offset in seconds follows the time-kind byte.
        const TimeEvent offset{QDateTime(QDate(2026, 12, 8), QTime(0, 0), Qt::OffsetFromUTC, -3600),
                               ""};
        QCOMPARE(encode(offset),
                 hex("0000000000258ec7"
                     "00000000"
                     "02"
                     "fffff1f0"
                     "00000000"));
    }

    void labelEncoding()
    {
        QCOMPARE(encode(SpectroLabel{QPointF(2437.5, -60.25), QString()}),
                 hex("40a30b0000000000"
                     "c04e200000000000"
                     "ffffffff"));
    }

    void roundTrip()
    {
        const RfSpectrumHistory original = fullHistory(12);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(RecordingFile::write(buffer, original));
        buffer.close();

        RfSpectrumHistory read;
        auto integrity = RecordingFile::Integrity::Damaged;
        QCOMPARE(readBytes(buffer.data(), read, &integrity), RecordingFile::Band::Band2400MHz);
        QCOMPARE(integrity, RecordingFile::Integrity::Whole);
        QCOMPARE(read.freqInterval, original.freqInterval);
        QCOMPARE(read.rssiInterval, original.rssiInterval);
        QCOMPARE(read.samples.size(), original.samples.size());
        for (int s = 0; s < original.samples.size(); ++s) {
            QCOMPARE(read.samples.timestamp(s), original.samples.timestamp(s));
            QCOMPARE(read.samples.scan(s), original.samples.scan(s));
            QCOMPARE(read.samples.accessPoints(s).size(), original.samples.accessPoints(s).size());
            for (int a = 0; a < original.samples.accessPoints(s).size(); ++a) {
                const WifiApInfo &x = read.samples.accessPoints(s)[a];
                const WifiApInfo &y = original.samples.accessPoints(s)[a];
                QCOMPARE(x.bssid, y.bssid);
                QCOMPARE(x.ssid, y.ssid);
                QCOMPARE(x.ssid.isNull(), y.ssid.isNull());
                QCOMPARE(x.rssi, y.rssi);
                QCOMPARE(x.frequency, y.frequency);
                QCOMPARE(x.width, y.width);
                QCOMPARE(x.color, y.color);
            }
        }
        QCOMPARE(read.timeEvents.size(), 3);
        for (int e = 0; e < 3; ++e) {
            QCOMPARE(read.timeEvents[e].dateTime, original.timeEvents[e].dateTime);
            QCOMPARE(read.timeEvents[e].dateTime.timeSpec(),
                     original.timeEvents[e].dateTime.timeSpec());
            QCOMPARE(read.timeEvents[e].text.isNull(), original.timeEvents[e].text.isNull());
        }
        QCOMPARE(read.labels, original.labels);
        QVERIFY(read.labels[1].text.isNull());
        QCOMPARE(read.projectInfo, original.projectInfo);
        QVERIFY(!read.projectInfo.projectId.isNull());
        QVERIFY(read.projectInfo.scanLocation.isNull());
        QCOMPARE(read, original);
    }

    void nineHundredRecording()
    {
        RfSpectrumHistory history;
        history.freqInterval = QwtInterval(902.0, 928.0);
        history.rssiInterval = QwtInterval(-100.0, -30.0);
        history.samples.append(RfSpectrumSample{42, RfSpectrumScan(252, -90), {}});
        RfSpectrumHistory read;
        QCOMPARE(readBytes(encode(history), read, nullptr), RecordingFile::Band::Band900MHz);
        QCOMPARE(read, history);
    }

    void allZeroFileIsRejected()
    {
        QTest::ignoreMessage(QtCriticalMsg, "The file loaded has a wrong frequency interval");
        RfSpectrumHistory read;
        QCOMPARE(readBytes(QByteArray(4096, '\0'), read, nullptr), RecordingFile::Band::Rejected);
        QCOMPARE(read.freqInterval.minValue(), 0.0);
        QCOMPARE(read.freqInterval.maxValue(), 0.0);
    }

    void truncatedFileKeepsWhatWasRead()
    {
        const RfSpectrumHistory original = fullHistory(10);
        const QByteArray bytes = encode(original);
        // Cut inside the seventh sample: six whole samples precede it.
        int cut = 40 + 4;
        for (int s = 0; s < 6; ++s)
            cut += encode(original.samples.at(s)).size();
        cut += 100;

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ends early or is corrupt"));
        RfSpectrumHistory read;
        auto integrity = RecordingFile::Integrity::Whole;
        QCOMPARE(readBytes(bytes.left(cut), read, &integrity), RecordingFile::Band::Band2400MHz);
        QCOMPARE(integrity, RecordingFile::Integrity::CutShort);
        QCOMPARE(read.samples.size(), 6);
        for (int s = 0; s < 6; ++s)
            QCOMPARE(read.samples.at(s), original.samples.at(s));
        QVERIFY(read.timeEvents.isEmpty());
        QVERIFY(read.labels.isEmpty());
        QVERIFY(read.projectInfo.projectName.isEmpty());
    }

    void absurdCounts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("samples");
        const QByteArray head = hex(QByteArray(k_freq2400) + k_rssi);
        // Two thousand million samples announced in a 100-byte file.
        QTest::newRow("samples") << (head + hex("7fffffff")).leftJustified(100, '\0') << 0;
        // One sample announced, whose amplitude count says two thousand million.
        QTest::newRow("amplitudes") << (head
                                        + hex("00000001"
                                              "0000019afe1e747b"
                                              "7fffffff"))
                                           .leftJustified(100, '\x05')
                                    << 0;
        // A whole sample, then one announcing two thousand million access points.
        QTest::newRow("access points") << (head
                                           + hex("00000002"
                                                 "0000000000000001"
                                                 "00000001"
                                                 "a0"
                                                 "00000000"
                                                 "0000000000000002"
                                                 "00000001"
                                                 "a0"
                                                 "7fffffff"))
                                              .leftJustified(100, '\0')
                                       << 1;
        QTest::newRow("negative") << (head + hex("80000000")).leftJustified(100, '\0') << 0;
        QTest::newRow("events") << (head
                                    + hex("00000000"
                                          "7ffffff0"))
                                       .leftJustified(100, '\0')
                                << 0;
        // Twenty samples fit in the 56 bytes left as bytes, not as samples of 16 bytes at
        // least; the project texts behind the count must not be read from there.
        QTest::newRow("fits the bytes, not the samples")
            << (head + hex("00000014")).leftJustified(100, '\x01') << 0;
    }

    void absurdCounts()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, samples);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ends early or is corrupt"));
        const qint64 peakBefore = peakVirtualKb();
        RfSpectrumHistory read;
        auto integrity = RecordingFile::Integrity::Whole;
        QCOMPARE(readBytes(bytes, read, &integrity), RecordingFile::Band::Band2400MHz);
        QCOMPARE(integrity, RecordingFile::Integrity::Damaged);
        QCOMPARE(read.samples.size(), samples);
        // Reading stopped at the bad count: what follows keeps its defaults.
        QVERIFY(read.labels.isEmpty());
        QCOMPARE(read.projectInfo, ProjectInfoData());
        if (samples == 1)
            QCOMPARE(read.samples.scan(0), RfSpectrumScan{qint8(-96)});
        // Nothing near the announced size was ever reserved.
        if (peakBefore > 0)
            QVERIFY2(peakVirtualKb() - peakBefore < 16 * 1024,
                     qPrintable(QString("peak grew by %1 kB").arg(peakVirtualKb() - peakBefore)));
    }

    // Inputs the fuzzer found troublesome read safely (the sanitizers watch every step), with
    // the integrity they deserve, and what they hold saves again.
    void fuzzFindings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("integrity");
        // An access point's colour of a colour model that does not exist.
        QTest::newRow("colour model")
            << "ap-colour-of-no-model" << int(RecordingFile::Integrity::Damaged);
        // Sweep times at both ends of the 64-bit range: no time the program wrote, and their
        // difference (the recording's duration) overflowed.
        QTest::newRow("sweep times")
            << "sweep-time-out-of-range" << int(RecordingFile::Integrity::Damaged);
        // A time event in a time zone the framework does not know: saving it again crashed.
        QTest::newRow("event time zone")
            << "event-time-zone-unknown" << int(RecordingFile::Integrity::Damaged);
        // An access point's colour in extended RGB with components that are not numbers: read,
        // saved and read again it was unequal, and it reached the painter.
        QTest::newRow("colour not a number")
            << "ap-colour-not-a-number" << int(RecordingFile::Integrity::Damaged);
    }

    void fuzzFindings()
    {
        QFETCH(QString, name);
        QFETCH(int, integrity);
        QFile file(QStringLiteral(QUORVEX_FUZZ_REGRESSIONS "/recording/") + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ends early or is corrupt"));
        RfSpectrumHistory read;
        auto found = RecordingFile::Integrity::Whole;
        RecordingFile::read(file, read, &found);
        QCOMPARE(int(found), integrity);
        // What was read saves again, and reads back as the same history.
        QBuffer again;
        QVERIFY(again.open(QIODevice::WriteOnly));
        QVERIFY(RecordingFile::write(again, read));
        again.close();
        QVERIFY(again.open(QIODevice::ReadOnly));
        RfSpectrumHistory readAgain;
        RecordingFile::read(again, readAgain);
        QCOMPARE(readAgain, read);
    }

    // The compact store writes what the records' own stream operators write, sample by
    // sample: the layout every recording has.
    void sameBytesAsSampleRecords()
    {
        const RfSpectrumHistory history = fullHistory(40);
        QByteArray expected;
        QDataStream out(&expected, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_5_15);
        out << history.freqInterval << history.rssiInterval << history.samples.toList()
            << history.timeEvents << history.labels << history.projectInfo;
        QCOMPARE(encode(history).toHex(), expected.toHex());
    }

    // A recording read from a file, in blocks, holds what a stream reading it field by field
    // holds, ends the same way wherever it is cut or damaged (in a sweep, an access-point list
    // or a text past the first megabytes), and leaves the file just after what it read.
    void blockReadingMatchesFieldReading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("integrity");
        QVector<int> ends;
        const QByteArray whole = showRecording(&ends);
        QVERIFY(whole.size() > (4 << 20));
        // A sweep with access points past 2 MB (its list begins after its time, value count and
        // values, and ends with it).
        int listed = 3000;
        while (whole.mid(ends[listed - 1] + 8 + 4 + 501, 4) == hex("00000000"))
            ++listed;
        QByteArray forged = whole;
        // A count of access points the rest of the file could hold, not the next megabyte.
        forged.replace(ends[1999] + 8 + 4 + 501, 4, hex("00009c40"));

        QTest::newRow("whole") << whole << int(RecordingFile::Integrity::Whole);
        QTest::newRow("cut in a sweep")
            << whole.left((1 << 20) + 3) << int(RecordingFile::Integrity::CutShort);
        QTest::newRow("cut in a list")
            << whole.left(ends[listed] - 1) << int(RecordingFile::Integrity::CutShort);
        QTest::newRow("cut in the last text")
            << whole.left(whole.size() - 2) << int(RecordingFile::Integrity::CutShort);
        QTest::newRow("forged list count") << forged << int(RecordingFile::Integrity::Damaged);
    }

    void blockReadingMatchesFieldReading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, integrity);
        RfSpectrumHistory expected;
        QCOMPARE(int(readFieldByField(bytes, expected)), integrity);
        if (integrity == int(RecordingFile::Integrity::Whole))
            QCOMPARE(expected.samples.size(), 6000);

        // In a file after other bytes, and (when whole) before others.
        const QByteArray before("QX");
        const QByteArray after = integrity == int(RecordingFile::Integrity::Whole) ? "END" : "";
        QTemporaryDir dir;
        QFile file(dir.filePath("show.tarn"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before + bytes + after);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.seek(before.size()));
        if (integrity != int(RecordingFile::Integrity::Whole))
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ends early or is corrupt"));
        RfSpectrumHistory read;
        auto found = RecordingFile::Integrity::Whole;
        QCOMPARE(RecordingFile::read(file, read, &found), RecordingFile::Band::Band2400MHz);
        QCOMPARE(int(found), integrity);
        QCOMPARE(read.samples.size(), expected.samples.size());
        QCOMPARE(read, expected);
        if (!after.isEmpty())
            QCOMPARE(file.readAll(), after);
    }

    void fileOnDisk()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("site.tarn"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(RecordingFile::write(file, fullHistory(3)));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        RfSpectrumHistory read;
        QCOMPARE(RecordingFile::read(file, read), RecordingFile::Band::Band2400MHz);
        QCOMPARE(read, fullHistory(3));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestRecordingFile)
#include "tst_recordingfile.moc"
