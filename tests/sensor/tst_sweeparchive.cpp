#include "QuorvexTest.h"
#include "data/RecordingFile.h"
#include "sensor/SweepArchive.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

constexpr qint64 k_hour = 3600000;

// Sweep n of the test: its values follow from its number, so any copy can be checked.
RfSpectrumScan sweepOf(quint64 n, int steps)
{
    RfSpectrumScan scan(steps);
    for (int i = 0; i < steps; ++i)
        scan[i] = qint8(-110 + int((n * 7 + quint64(i)) % 80));
    return scan;
}

struct Planned
{
    quint64 seq;
    int band;
    qint64 timestamp;
};

QString recordingName(const QString &id, int band, qint64 startMs)
{
    return QStringLiteral("%1_%2_%3.tarn")
        .arg(id)
        .arg(band)
        .arg(QDateTime::fromMSecsSinceEpoch(startMs, Qt::UTC).toString("yyyyMMddTHHmmssZ"));
}

// Every kept sweep of [from, end), read back through fetch (waiting for files being read).
QList<SweepBatch> readBack(SweepArchive &archive, quint64 from, quint64 end)
{
    QList<SweepBatch> batches;
    quint64 next = from;
    for (;;) {
        SweepBatch batch;
        QSignalSpy loaded(&archive, &SweepArchive::dataLoaded);
        const SweepArchive::Fetch fetched = archive.fetch(next, end, 1000, &batch);
        if (fetched == SweepArchive::Fetch::None)
            break;
        if (fetched == SweepArchive::Fetch::Loading) {
            if (!loaded.wait(20000))
                break;
            continue;
        }
        batches.append(batch);
        next = batch.endSeq();
    }
    return batches;
}

// The batches hold exactly `planned`, in order, each sweep as it was appended.
bool holds(const QList<SweepBatch> &batches, const QList<Planned> &planned)
{
    int at = 0;
    for (const SweepBatch &batch : batches) {
        for (int i = 0; i < batch.count(); ++i, ++at) {
            if (at >= planned.size())
                return false;
            const Planned &p = planned.at(at);
            if (batch.firstSeq + quint64(i) != p.seq || batch.band.mhz != p.band
                || batch.timestamps.at(i) != p.timestamp
                || batch.scan(i) != sweepOf(p.seq, p.band == 900 ? 252 : 501)) {
                qWarning("sweep %llu differs", static_cast<unsigned long long>(p.seq));
                return false;
            }
        }
    }
    return at == planned.size();
}

quint64 marksAt(const QString &folder, int offset)
{
    QFile file(QDir(folder).filePath("marks"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    return bytes.size() == 16 ? qFromLittleEndian<quint64>(bytes.constData() + offset) : 0;
}

void copyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to + "/journal");
    for (const QString &name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + "/" + name, to + "/" + name);
    for (const QString &name : QDir(from + "/journal").entryList(QDir::Files))
        QFile::copy(from + "/journal/" + name, to + "/journal/" + name);
}

} // namespace

// A sensor's data folder through its archive: numbered sweeps in journals that become hourly
// recordings, kept across runs (a killed one too), read back by number, and a folder that
// fills up.
class TestSweepArchive : public QObject
{
    Q_OBJECT

private:
    SweepArchive::Options options(const QString &folder)
    {
        SweepArchive::Options o;
        o.folder = folder;
        o.sensorId = QStringLiteral("north");
        o.sensorName = QStringLiteral("North stand");
        o.keepHours = 2;
        return o;
    }

    void append(SweepArchive &archive, QList<Planned> &planned, int band, qint64 start, int count)
    {
        for (int i = 0; i < count; ++i) {
            const qint64 t = start + 1000 * i;
            const quint64 seq = archive.append(SensorBand::of(band), t,
                                               sweepOf(archive.nextSeq(), band == 900 ? 252 : 501));
            planned.append({seq, band, t});
        }
    }

private Q_SLOTS:
    void hourlyRecordingsAcrossRuns()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("data");
        const qint64 hourStart = QDateTime::currentMSecsSinceEpoch() / k_hour * k_hour;
        QList<Planned> planned;
        {
            SweepArchive archive(options(folder));
            QString error;
            QVERIFY2(archive.open(&error), qPrintable(error));
            QCOMPARE(archive.nextSeq(), quint64(0));
            // Three hours ago (beyond keep-hours), the end of the last hour, this hour, and a
            // switch to 900 MHz: four segments.
            append(archive, planned, 2400, hourStart - 3 * k_hour + 600000, 3);
            append(archive, planned, 2400, hourStart - 10000, 4);
            append(archive, planned, 2400, hourStart + 1000, 5);
            append(archive, planned, 900, hourStart + 7000, 3);
            QCOMPARE(archive.durableEnd(), quint64(0));
            QSignalSpy durable(&archive, &SweepArchive::durableAdvanced);
            archive.sync();
            QCOMPARE(durable.count(), 1);
            QCOMPARE(archive.durableEnd(), quint64(15));

            // The closed segments become recordings named after their first sweep.
            for (const int first : {0, 3, 7}) {
                const QString name
                    = recordingName("north", planned.at(first).band, planned.at(first).timestamp);
                QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QDir(folder).filePath(name)), 20000);
            }
            // The oldest is older than keep-hours.
            archive.checkStorage();
            QVERIFY(!QFile::exists(
                QDir(folder).filePath(recordingName("north", 2400, planned.at(0).timestamp))));
            QCOMPARE(archive.firstKeptSeq(), quint64(3));
            QCOMPARE(archive.keptCount(0, 15), quint64(12));
            QVERIFY(holds(readBack(archive, 0, 15), planned.mid(3)));
            QVERIFY(holds(readBack(archive, 5, 13), planned.mid(5, 8)));
        }

        // The next run goes on from the next number; the last run's journal becomes a
        // recording too, and all of it reads back.
        SweepArchive archive(options(folder));
        QString error;
        QVERIFY2(archive.open(&error), qPrintable(error));
        QCOMPARE(archive.nextSeq(), quint64(15));
        QCOMPARE(archive.firstKeptSeq(), quint64(3));
        const QString last
            = QDir(folder).filePath(recordingName("north", 900, planned.at(12).timestamp));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(last), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(folder + "/journal").entryList(QDir::Files).isEmpty(), 20000);
        QVERIFY(holds(readBack(archive, 0, 15), planned.mid(3)));

        // A recording as the window opens it: the band, the sweeps, the sensor named.
        QFile file(last);
        RfSpectrumHistory history;
        RecordingFile::Band band = RecordingFile::Band::Rejected;
        QCOMPARE(RecordingFile::load(file, history, &band), QString());
        QCOMPARE(band, RecordingFile::Band::Band900MHz);
        QCOMPARE(history.samples.size(), 3);
        QCOMPARE(history.samples.timestamp(2), planned.at(14).timestamp);
        QCOMPARE(history.samples.scan(1), sweepOf(13, 252));
        QCOMPARE(history.projectInfo.projectId, QStringLiteral("north"));
        QCOMPARE(history.projectInfo.scanLocation, QStringLiteral("North stand"));

        append(archive, planned, 2400, hourStart + 20000, 1);
        QCOMPARE(planned.last().seq, quint64(15));
        // One sensor at a time in a folder.
        SweepArchive second(options(folder));
        QVERIFY(!second.open(&error));
        QVERIFY2(error.contains("another quorvex-sensor"), qPrintable(error));
    }

    void killedRunKeepsWhatReachedItsJournal()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("data");
        const QString left = dir.filePath("left");
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        QList<Planned> planned;
        SweepArchive archive(options(folder));
        QString error;
        QVERIFY2(archive.open(&error), qPrintable(error));
        append(archive, planned, 2400, start, 20);
        archive.sync();
        archive.setPublishedEnd(12);
        // The mark is written within a second, in place.
        QTRY_COMPARE_WITH_TIMEOUT(marksAt(folder, 0), quint64(12), 10000);
        // The files as a process killed now leaves them, its journal open and locked.
        copyFolder(folder, left);

        SweepArchive after(options(left));
        QVERIFY2(after.open(&error), qPrintable(error));
        QCOMPARE(after.nextSeq(), quint64(20));
        QCOMPARE(after.publishedEnd(), quint64(12));
        QVERIFY(holds(readBack(after, 0, 20), planned));
        const quint64 seq = after.append(SensorBand::of(2400), start + 30000, sweepOf(20, 501));
        QCOMPARE(seq, quint64(20));
    }

    void fullFolderHoldsSweepsAndNeverReusesNumbers()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("data");
        qint64 free = qint64(1) << 40;
        SweepArchive::Options o = options(folder);
        o.freeBytes = [&free] { return free; };
        o.reserveBytes = 1000;
        // Room in memory for ten 2.4 GHz sweeps.
        o.memoryBytes = 10 * (501 + qint64(sizeof(RfSpectrumSample)));
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        QList<Planned> planned;
        {
            SweepArchive archive(o);
            QString error;
            QVERIFY2(archive.open(&error), qPrintable(error));
            QSignalSpy storage(&archive, &SweepArchive::storageChanged);
            append(archive, planned, 2400, start, 5);
            archive.sync();

            free = 0;
            archive.checkStorage();
            QCOMPARE(storage.count(), 1);
            QCOMPARE(storage.at(0).at(0).toBool(), true);
            QVERIFY(archive.isFull());
            append(archive, planned, 2400, start + 5000, 15);
            archive.sync();
            // Published from memory, their numbers reserved on disk first.
            QCOMPARE(archive.durableEnd(), quint64(20));
            QVERIFY(marksAt(folder, 8) >= 20);
            // The newest ten are held; the five before them went beyond the bound.
            QCOMPARE(archive.keptCount(0, 20), quint64(15));
            QVERIFY(holds(readBack(archive, 0, 20), planned.mid(0, 5) + planned.mid(10)));
            copyFolder(folder, dir.filePath("crashed"));

            free = qint64(1) << 40;
            archive.checkStorage();
            QCOMPARE(storage.count(), 2);
            QCOMPARE(storage.at(1).at(0).toBool(), false);
            QVERIFY(!archive.isFull());
            QCOMPARE(marksAt(folder, 8), quint64(0));
            append(archive, planned, 2400, start + 20000, 1);
            archive.sync();
        }
        SweepArchive archive(o);
        QString error;
        QVERIFY2(archive.open(&error), qPrintable(error));
        QCOMPARE(archive.nextSeq(), quint64(21));
        QCOMPARE(archive.keptCount(0, 21), quint64(16));
        QVERIFY(holds(readBack(archive, 0, 21), planned.mid(0, 5) + planned.mid(10)));

        // A sensor that died while the folder was full gives none of the numbers it may have
        // published again.
        o.folder = dir.filePath("crashed");
        SweepArchive crashed(o);
        QVERIFY2(crashed.open(&error), qPrintable(error));
        QVERIFY(crashed.nextSeq() >= 20);
        QCOMPARE(crashed.keptCount(0, crashed.nextSeq()), quint64(5));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSweepArchive)
#include "tst_sweeparchive.moc"
