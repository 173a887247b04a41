#include "QuorvexTest.h"
#include "data/HistoryJournal.h"
#include "data/JournalEncoder.h"
#include "data/JournalReader.h"

#include <QBuffer>
#include <QTemporaryDir>

namespace {

RfSpectrumHistory emptyHistory2400()
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(2400.0, 2500.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    return history;
}

WifiScan accessPoints(int count, int seed)
{
    WifiScan aps;
    for (int a = 0; a < count; ++a)
        aps.append(WifiApInfo{QString("aa:bb:cc:00:%1:%2").arg(seed).arg(a),
                              QString("Net %1").arg(a), -40 - a - seed, 2412 + 5 * a, 20,
                              QColor::fromHsv(30 * a, 200, 255)});
    return aps;
}

RfSpectrumSample sweep(int index, const WifiScan &aps)
{
    RfSpectrumScan scan(501);
    for (int i = 0; i < scan.size(); ++i)
        scan[i] = qint8(-100 + (i * 7 + index * 13) % 70);
    return RfSpectrumSample{1765200000000 + 46 * index, scan, aps};
}

// A history changed the way a live page changes it, told to a journal (or an encoder) and
// applied to an expected history side by side.
struct Changes
{
    RfSpectrumHistory expected = emptyHistory2400();
    int next = 0;

    template<typename Sink> void sweeps(Sink &sink, int count, const WifiScan &aps)
    {
        for (int i = 0; i < count; ++i) {
            const RfSpectrumSample sample = sweep(next++, aps);
            expected.samples.append(sample);
            sink.sample(sample);
        }
    }
    template<typename Sink> void newestWifi(Sink &sink, const WifiScan &aps)
    {
        expected.samples.setNewestAccessPoints(aps);
        sink.newestWifi(aps);
    }
    template<typename Sink> void event(Sink &sink, const TimeEvent &event, bool added)
    {
        if (added)
            expected.timeEvents.append(event);
        else
            expected.timeEvents.removeOne(event);
        sink.timeEvent(event, added);
    }
    template<typename Sink> void label(Sink &sink, const SpectroLabel &label, bool added)
    {
        if (added)
            expected.labels.append(label);
        else
            expected.labels.removeOne(label);
        sink.label(label, added);
    }
};

// The encoder as a sink, collecting the bytes and where each record starts.
struct EncoderSink
{
    JournalEncoder encoder;
    QByteArray bytes;
    QList<int> sampleEnds; // where each sample's record ends
    void sample(const RfSpectrumSample &s)
    {
        encoder.sample(bytes, s);
        sampleEnds.append(bytes.size());
    }
    void newestWifi(const WifiScan &aps) { encoder.newestWifi(bytes, aps); }
    void timeEvent(const TimeEvent &e, bool added) { encoder.timeEvent(bytes, e, added); }
    void label(const SpectroLabel &l, bool added) { encoder.label(bytes, l, added); }
};

// The journal as a sink, as a page drives it.
struct JournalSink
{
    HistoryJournal &journal;
    void sample(const RfSpectrumSample &s) { journal.appendSample(s); }
    void newestWifi(const WifiScan &aps) { journal.setNewestWifi(aps); }
    void timeEvent(const TimeEvent &e, bool added)
    {
        added ? journal.addTimeEvent(e) : journal.removeTimeEvent(e);
    }
    void label(const SpectroLabel &l, bool added)
    {
        added ? journal.addLabel(l) : journal.removeLabel(l);
    }
};

JournalReader::Result readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return JournalReader::read(buffer);
}

} // namespace

// The scan journal: what a live page tells it comes back as the same history, a journal cut or
// damaged anywhere gives back everything before the damage, and journals in use are told from
// those left behind.
class TestHistoryJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void journalFollowsTheHistory()
    {
        QTemporaryDir dir;
        HistoryJournal journal(dir.path());
        JournalSink sink{journal};
        Changes changes;
        const WifiScan first = accessPoints(3, 1);
        const WifiScan second = accessPoints(9, 2);

        // A history already under way when the journal begins: its snapshot comes first.
        changes.expected.projectInfo = {"Hall", "P-7", "Stage left", "Ana"};
        for (int i = 0; i < 20; ++i)
            changes.expected.samples.append(sweep(changes.next++, first));
        changes.expected.timeEvents.append(
            {QDateTime::fromMSecsSinceEpoch(1765200000500), "before the journal"});
        QVERIFY(journal.begin(changes.expected, "1.2.3"));
        QVERIFY(HistoryJournal::isInUse(journal.path()));

        changes.sweeps(sink, 30, first);
        changes.newestWifi(sink, second); // a Wi-Fi scan lands on the newest sweep
        changes.sweeps(sink, 30, second);
        changes.sweeps(sink, 5, WifiScan()); // floor-level padding carries no access points
        changes.sweeps(sink, 5, first); // a set seen before comes back
        const TimeEvent door{QDateTime::fromMSecsSinceEpoch(1765200001000), "door opened"};
        changes.event(sink, door, true);
        changes.event(sink, {QDateTime::fromMSecsSinceEpoch(1765200002000), "gone"}, true);
        changes.event(sink, {QDateTime::fromMSecsSinceEpoch(1765200002000), "gone"}, false);
        changes.label(sink, {QPointF(2437.0, -55.5), "AP on 6"}, true);
        changes.label(sink, {QPointF(2450.0, -60.0), "oven"}, true);
        changes.label(sink, {QPointF(2437.0, -55.5), "AP on 6"}, false);
        changes.expected.projectInfo.technicianName = "Ben";
        journal.setProjectInfo(changes.expected.projectInfo);
        QVERIFY(journal.flush());

        const JournalReader::Result read = JournalReader::read(journal.path());
        QVERIFY2(read.isReadable(), qPrintable(read.problem));
        QVERIFY2(read.damage.isEmpty(), qPrintable(read.damage));
        QCOMPARE(read.history, changes.expected);
        QCOMPARE(read.sweeps, 90);
        QCOMPARE(read.programVersion, QString("1.2.3"));
        // Access points are written once per set, not once per sweep: a sweep costs its
        // amplitudes and a small frame.
        QVERIFY2(read.fileBytes < 90 * 530 + 4 * 9 * 80,
                 qPrintable(QString::number(read.fileBytes)));
        QCOMPARE(journal.bytesWritten(), read.fileBytes);

        // A summary counts without keeping; the list tells the journal in use.
        const QList<JournalReader::Entry> entries = JournalReader::list(dir.path());
        QCOMPARE(entries.size(), 1);
        QVERIFY(entries.first().inUse);
        QCOMPARE(entries.first().summary.sweeps, 90);
        QVERIFY(entries.first().summary.history.samples.isEmpty());
        QCOMPARE(entries.first().summary.durationMs(), qint64(89 * 46));

        // Closed, it stays and is free; adopted, it goes on where it ended.
        journal.close();
        QVERIFY(!HistoryJournal::isInUse(journal.path()));
        HistoryJournal again(dir.path());
        QVERIFY(again.adopt(journal.path(), read.validBytes, read.lastSetNumber));
        JournalSink more{again};
        changes.sweeps(more, 3, second);
        QVERIFY(again.flush());
        QCOMPARE(JournalReader::read(again.path()).history, changes.expected);
        again.discard();
        QVERIFY(!QFile::exists(journal.path()));
        QVERIFY(JournalReader::list(dir.path()).isEmpty());
    }

    // Cut at every byte of its last record, or with any byte of it flipped, a journal gives
    // back everything before that record and says how much it dropped; damage in the middle
    // drops the rest from there.
    void damagedJournals()
    {
        EncoderSink sink;
        Changes changes;
        sink.encoder.header(sink.bytes, changes.expected, 1765200000000, "1.0");
        changes.sweeps(sink, 10, accessPoints(2, 1));
        changes.label(sink, {QPointF(2412.0, -50.0), "x"}, true);
        const RfSpectrumHistory beforeLast = changes.expected;
        const int lastStart = sink.bytes.size();
        changes.sweeps(sink, 1, accessPoints(2, 1));
        const QByteArray whole = sink.bytes;
        QCOMPARE(readBytes(whole).history, changes.expected);

        for (int cut = lastStart; cut < whole.size(); ++cut) {
            const JournalReader::Result read = readBytes(whole.left(cut));
            QCOMPARE(read.history, beforeLast);
            QCOMPARE(read.validBytes, qint64(lastStart));
            if (cut > lastStart)
                QVERIFY2(read.damage.contains(QString("unfinished: %1 bytes").arg(cut - lastStart)),
                         qPrintable(read.damage));
            else
                QVERIFY(read.damage.isEmpty());
        }
        for (int at = lastStart; at < whole.size(); ++at) {
            QByteArray flipped = whole;
            flipped[at] = char(flipped.at(at) ^ 0x20);
            const JournalReader::Result read = readBytes(flipped);
            QCOMPARE(read.history, beforeLast);
            QVERIFY2(read.damage.contains(QString::number(whole.size() - lastStart) + " bytes"),
                     qPrintable(read.damage));
        }

        // A flip in the fifth sweep keeps four; the words say where, and about how many of the
        // seven sweeps after them were dropped.
        QByteArray middle = whole;
        middle[sink.sampleEnds.at(3) + 40] = char(middle.at(sink.sampleEnds.at(3) + 40) ^ 0x01);
        const JournalReader::Result read = readBytes(middle);
        QCOMPARE(read.sweeps, 4);
        QCOMPARE(read.history.samples.toList(), changes.expected.samples.toList(0, 4));
        QVERIFY2(
            read.damage.startsWith(QString("it is damaged at byte %1").arg(sink.sampleEnds.at(3))),
            qPrintable(read.damage));
        const QRegularExpressionMatch about
            = QRegularExpression("about (\\d+) sweeps").match(read.damage);
        QVERIFY2(about.hasMatch() && qAbs(about.captured(1).toInt() - 7) <= 1,
                 qPrintable(read.damage));

        // Found by fuzzing: a header record whose checksum holds but whose content is not what
        // the program writes was taken for a header, and the journal read as one of no band.
        QFile finding(QStringLiteral(QUORVEX_FUZZ_REGRESSIONS "/journal/header-content-damaged"));
        QVERIFY(finding.open(QIODevice::ReadOnly));
        const JournalReader::Result damagedHeader = readBytes(finding.readAll());
        QCOMPARE(damagedHeader.problem, QString("its first record is damaged"));

        // No journal at all, or one cut inside its header: nothing to recover.
        QVERIFY(!readBytes(QByteArray()).isReadable());
        QVERIFY(!readBytes(QByteArray(200, 'x')).isReadable());
        QVERIFY(!readBytes(whole.left(JournalFormat::k_magic.size() + 6)).isReadable());
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestHistoryJournal)
#include "tst_historyjournal.moc"
