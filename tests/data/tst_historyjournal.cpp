#include "QuorvexTest.h"
#include "data/HistoryJournal.h"
#include "data/JournalEncoder.h"
#include "data/JournalKeeper.h"
#include "data/JournalReader.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

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
    // is skipped, and the records after it are read.
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

        // A flip in the fifth sweep loses that sweep alone: the words say where and how much
        // was skipped, and the six sweeps, the label and the last sweep after it are read.
        QByteArray middle = whole;
        middle[sink.sampleEnds.at(3) + 40] = char(middle.at(sink.sampleEnds.at(3) + 40) ^ 0x01);
        const JournalReader::Result read = readBytes(middle);
        RfSpectrumHistory withoutFifth = changes.expected;
        QList<RfSpectrumSample> kept = changes.expected.samples.toList();
        kept.removeAt(4);
        withoutFifth.samples = SampleStore::fromList(kept);
        QCOMPARE(read.history, withoutFifth);
        QVERIFY(read.readPastDamage);
        QCOMPARE(read.validBytes, qint64(sink.sampleEnds.at(3)));
        QVERIFY2(read.damage.startsWith(QString("it is damaged at byte %1 (a record fails its "
                                                "checksum): %2 bytes (about 1 sweep) were skipped")
                                            .arg(sink.sampleEnds.at(3))
                                            .arg(sink.sampleEnds.at(4) - sink.sampleEnds.at(3))),
                 qPrintable(read.damage));
        QVERIFY2(read.damage.endsWith("the 6 sweeps after them were read"),
                 qPrintable(read.damage));

        // A second header after sweeps is not a header: it is skipped as damage, the band stays
        // and the sweeps after it are read. A clock set back shows no negative duration.
        EncoderSink twice;
        Changes again;
        twice.encoder.header(twice.bytes, again.expected, 1765200000000, "1.0");
        again.sweeps(twice, 3, WifiScan());
        QByteArray header;
        RfSpectrumHistory other;
        other.freqInterval = QwtInterval(902.0, 928.0);
        JournalEncoder().header(header, other, 1765200009000, "2.0");
        twice.bytes += header.mid(JournalFormat::k_magic.size());
        twice.sample(RfSpectrumSample{1765199990000, RfSpectrumScan(501, -90), {}});
        const JournalReader::Result headers = readBytes(twice.bytes);
        QCOMPARE(headers.history.freqInterval, again.expected.freqInterval);
        QCOMPARE(headers.sweeps, 4);
        QVERIFY2(headers.damage.contains("not what the program writes"),
                 qPrintable(headers.damage));
        QCOMPARE(headers.durationMs(), qint64(0));

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

    // A recovered journal goes on where it can: damaged only at its end, it is cut there and
    // written on; read past damage in its middle, it is replaced by a new journal holding what
    // was read, so that the records after the damage are never cut off.
    void adoptDamaged_data()
    {
        QTest::addColumn<bool>("inTheMiddle");
        QTest::newRow("at the end") << false;
        QTest::newRow("in the middle") << true;
    }
    void adoptDamaged()
    {
        QFETCH(bool, inTheMiddle);
        QTemporaryDir dir;
        EncoderSink sink;
        Changes changes;
        sink.encoder.header(sink.bytes, changes.expected, 1765200000000, "1.0");
        changes.sweeps(sink, 12, accessPoints(2, 1));
        QByteArray bytes = sink.bytes;
        if (inTheMiddle)
            bytes[sink.sampleEnds.at(5) + 30] = char(bytes.at(sink.sampleEnds.at(5) + 30) ^ 0x10);
        else
            bytes.chop(7);
        const QString path = dir.filePath("left.journal");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        const JournalReader::Result read = JournalReader::read(path);
        QCOMPARE(read.sweeps, 11);
        QCOMPARE(read.readPastDamage, inTheMiddle);
        RfSpectrumHistory history = read.history;
        JournalKeeper keeper(history, dir.path());
        QVERIFY(keeper.adopt(path, read));
        QVERIFY(keeper.hasUnsavedChanges());
        for (int i = 0; i < 3; ++i) {
            const RfSpectrumSample more = sweep(100 + i, WifiScan());
            history.samples.append(more);
            keeper.change([&more](HistoryJournal &journal) { journal.appendSample(more); });
        }
        QVERIFY(keeper.journal()->flush());
        const JournalReader::Result after = JournalReader::read(keeper.journal()->path());
        QVERIFY2(after.damage.isEmpty(), qPrintable(after.damage));
        QCOMPARE(after.history, history);
        QCOMPARE(after.sweeps, 14);
        // The damaged file went once its replacement was written; a cut one was written on.
        QCOMPARE(keeper.journal()->path() == path, !inTheMiddle);
        QCOMPARE(QDir(dir.path()).entryList({"*.journal"}).size(), 1);
    }

    // A journal that cannot be written stops nothing: the owner hears of it through the event
    // loop (never inside the change), changes go on being counted, and once the journal can be
    // written again it holds the whole history. The folder is made for this user alone.
    void keeperOutlivesAJournalThatCannotBeWritten()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        QTemporaryDir dir;
        // In the way of the journal folder: a file where a folder should be.
        const QString folder = dir.filePath("blocked/unsaved");
        QFile blocker(dir.filePath("blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RfSpectrumHistory history = emptyHistory2400();
        JournalKeeper keeper(history, folder);
        keeper.setEnabled(true);
        keeper.setRetryInterval(100);
        QSignalSpy failed(&keeper, &JournalKeeper::failed);
        QSignalSpy resumed(&keeper, &JournalKeeper::resumed);
        const auto add = [&](int index) {
            const RfSpectrumSample sample = sweep(index, WifiScan());
            history.samples.append(sample);
            keeper.change([&sample](HistoryJournal &journal) { journal.appendSample(sample); });
        };
        add(0);
        QCOMPARE(failed.count(), 0); // not inside the change
        QVERIFY(keeper.isBroken());
        QTRY_COMPARE(failed.count(), 1);
        for (int i = 1; i < 20; ++i)
            add(i);
        QVERIFY(keeper.hasUnsavedChanges());
        QVERIFY(QFile::remove(dir.filePath("blocked")));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7755)));
        QTRY_COMPARE(resumed.count(), 1);
        QVERIFY(!keeper.isBroken());
        QVERIFY(!(QFileInfo(folder).permissions() & QFile::Permissions(0x0077)));
        QVERIFY(keeper.journal()->flush());
        QCOMPARE(JournalReader::read(keeper.journal()->path()).history, history);

        // The disk fills up: writing fails, and the history goes on without it.
        struct FileSizeLimit
        {
            static void set(rlim_t bytes)
            {
                rlimit limit;
                getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = bytes;
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            ~FileSizeLimit() { set(RLIM_INFINITY); }
        } limit;
        const QString brokenPath = keeper.journal()->path();
        FileSizeLimit::set(QFileInfo(brokenPath).size() + 3000);
        for (int i = 20; i < 40; ++i)
            add(i);
        QTRY_VERIFY(failed.count() >= 2);
        QVERIFY(keeper.isBroken());
        FileSizeLimit::set(RLIM_INFINITY);
        QTRY_COMPARE(resumed.count(), 2);
        add(40);
        QVERIFY(keeper.journal()->flush());
        QCOMPARE(JournalReader::read(keeper.journal()->path()).history, history);
        QVERIFY(!QFile::exists(brokenPath));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestHistoryJournal)
#include "tst_historyjournal.moc"
