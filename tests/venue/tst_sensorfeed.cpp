#include "QuorvexTest.h"
#include "venue/SensorFeed.h"

namespace {

// Sweeps [first, first + count) of a band, each sweep's values its number.
SweepBatch batch(quint64 first, int count, int mhz = 2400)
{
    SweepBatch b;
    b.band = SensorBand::of(mhz);
    b.firstSeq = first;
    for (int i = 0; i < count; ++i) {
        const QByteArray values(b.band.steps, char((first + quint64(i)) % 100));
        b.append(qint64(1765200000000 + (first + quint64(i)) * 50),
                 reinterpret_cast<const qint8 *>(values.constData()));
    }
    return b;
}

// The numbers delivered, checking that each run's values are its numbers' own.
QList<quint64> numbers(const QList<SweepBatch> &runs)
{
    QList<quint64> out;
    for (const SweepBatch &run : runs) {
        for (int i = 0; i < run.count(); ++i) {
            const quint64 n = run.firstSeq + quint64(i);
            if (run.sweep(i)[0] != qint8(n % 100)
                || run.timestamps.at(i) != qint64(1765200000000 + n * 50))
                out << quint64(-1);
            out << n;
        }
    }
    return out;
}

QList<quint64> range(quint64 from, quint64 to)
{
    QList<quint64> out;
    for (quint64 n = from; n < to; ++n)
        out << n;
    return out;
}

} // namespace

// One sensor's sweeps put in order: what arrives out of order waits behind its gap, repeats go,
// and a gap that will not be filled is given up.
class TestSensorFeed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ordersAndDropsRepeats()
    {
        SensorFeed feed;
        feed.startAt(10);
        const qint64 t = 1000;
        int repeats = 0;
        // Before the start: not delivered.
        QCOMPARE(numbers(feed.take(batch(5, 5), t, &repeats)), QList<quint64>());
        QCOMPARE(repeats, 5);
        QCOMPARE(numbers(feed.take(batch(8, 5), t, &repeats)), range(10, 13));
        QCOMPARE(repeats, 2);
        // A gap: 20-24 wait until 13-19 come, in two parts and with a repeat among them.
        QCOMPARE(numbers(feed.take(batch(20, 5), t)), QList<quint64>());
        SensorFeed::Range missing;
        QVERIFY(feed.gap(&missing));
        QCOMPARE(missing.from, quint64(13));
        QCOMPARE(missing.to, quint64(20));
        QCOMPARE(feed.waiting(), 5);
        QCOMPARE(numbers(feed.take(batch(20, 5), t, &repeats)), QList<quint64>());
        QCOMPARE(repeats, 5);
        QCOMPARE(numbers(feed.take(batch(16, 4), t)), QList<quint64>());
        QCOMPARE(numbers(feed.take(batch(13, 4), t)), range(13, 25));
        QVERIFY(!feed.gap(&missing));
        // A band switch: runs of each band, in order.
        const QList<SweepBatch> runs = feed.take(batch(25, 3, 900), t);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs.first().band.mhz, 900);
        QCOMPARE(feed.next(), quint64(28));
    }

    void givesUpAGap()
    {
        SensorFeed feed;
        const qint64 t = 1000;
        QCOMPARE(numbers(feed.take(batch(0, 3), t)), range(0, 3));
        QCOMPARE(numbers(feed.take(batch(10, 3), t)), QList<quint64>());
        quint64 skipped = 0;
        // Still within the wait, and the sensor keeps the numbers: nothing yet.
        QVERIFY(feed.expire(t + SensorFeed::k_gapWaitMs - 1, 0, &skipped).isEmpty());
        QCOMPARE(skipped, quint64(0));
        // The sensor no longer keeps 3-6: those are passed over, 7-9 still awaited.
        QVERIFY(feed.expire(t + 10, 7, &skipped).isEmpty());
        QCOMPARE(skipped, quint64(4));
        QCOMPARE(feed.next(), quint64(7));
        // Waited long enough: the rest is given up and what waited comes.
        QCOMPARE(numbers(feed.expire(t + 10 + SensorFeed::k_gapWaitMs, 0, &skipped)),
                 range(10, 13));
        QCOMPARE(skipped, quint64(3));
        // A feed not started begins at the first number it sees.
        SensorFeed fresh;
        QCOMPARE(numbers(fresh.take(batch(42, 2), t)), range(42, 44));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSensorFeed)
#include "tst_sensorfeed.moc"
