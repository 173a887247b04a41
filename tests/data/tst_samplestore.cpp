#include "QuorvexTest.h"
#include "data/SampleStore.h"

#include <random>

Q_DECLARE_METATYPE(RfSpectrumSample)

namespace {

WifiScan accessPoints(const QString &name, int count)
{
    WifiScan aps;
    for (int a = 0; a < count; ++a)
        aps.append(WifiApInfo{QString("02:00:00:00:00:%1").arg(a), name, -50 - a, 2412 + 5 * a, 20,
                              QColor::fromHsv(40 * a, 200, 255)});
    return aps;
}

// count sweeps of `columns` random values (some gap filler, some odd lengths when asked),
// carrying Wi-Fi scans that change every `apsEvery` sweeps (0: none).
QList<RfSpectrumSample> sweeps(int count, int columns, int apsEvery, bool oddLengths,
                               unsigned seed = 1)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> value(-128, 127);
    std::uniform_int_distribution<int> kind(0, 49);
    QList<RfSpectrumSample> list;
    WifiScan aps;
    for (int i = 0; i < count; ++i) {
        if (apsEvery > 0 && i % apsEvery == 0)
            aps = accessPoints(QString("scan %1").arg(i / apsEvery), 1 + i % 3);
        const int k = kind(rng);
        const int length = oddLengths && k == 1 ? columns / 2
            : oddLengths && k == 2              ? columns + 3
                                                : columns;
        RfSpectrumScan scan(length);
        for (qint8 &v : scan)
            v = qint8(k == 0 ? -128 : value(rng));
        list.append(RfSpectrumSample{1765200000000 + 46 * i, scan, aps});
    }
    return list;
}

// The counts of a stretch the plain way, one value at a time, as read in place (cut or
// padded to the store's columns).
SampleStore::Counts literalCounts(const QList<RfSpectrumSample> &list, int columns, int first,
                                  int last)
{
    SampleStore::Counts counts;
    counts.reset(columns);
    for (int i = first; i < last; ++i) {
        const RfSpectrumScan &scan = list.at(i).scan;
        for (int col = 0; col < columns; ++col) {
            const int v = col < scan.size() ? scan.at(col) : -128;
            ++counts.levels[(v + 128) * columns + col];
            counts.sums[col] += v;
        }
        ++counts.sweeps;
        if (std::all_of(scan.begin(), scan.end(), [](qint8 v) { return v == -128; }))
            ++counts.fillers;
    }
    return counts;
}

} // namespace

// The compact store: what goes in comes out, and its block summaries count any stretch as
// the sweeps themselves would.
class TestSampleStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void holdsWhatWasAppended_data()
    {
        QTest::addColumn<QList<RfSpectrumSample>>("input");
        QTest::newRow("empty") << QList<RfSpectrumSample>();
        QTest::newRow("one sweep") << sweeps(1, 501, 0, false);
        QTest::newRow("900 MHz") << sweeps(300, 252, 0, false);
        QTest::newRow("2.4 GHz with access points") << sweeps(300, 501, 17, false);
        QTest::newRow("over three blocks")
            << sweeps(2 * SampleStore::k_blockSweeps + 5, 40, 90, false);
        QTest::newRow("other lengths") << sweeps(400, 64, 30, true);
        QTest::newRow("empty sweeps") << QList<RfSpectrumSample>{{5, {}, {}}, {6, {1, 2}, {}}};
    }

    void holdsWhatWasAppended()
    {
        QFETCH(QList<RfSpectrumSample>, input);
        const SampleStore store = SampleStore::fromList(input);
        QCOMPARE(store.size(), int(input.size()));
        QCOMPARE(store.toList(), input);
        QCOMPARE(store, SampleStore::fromList(input));
        for (int i = 0; i < input.size(); ++i) {
            const RfSpectrumSample &sample = input.at(i);
            QCOMPARE(store.timestamp(i), sample.timestamp);
            QCOMPARE(store.length(i), int(sample.scan.size()));
            const int shown = qMin(int(sample.scan.size()), store.columns());
            QVERIFY(std::equal(sample.scan.begin(), sample.scan.begin() + shown, store.values(i)));
            QVERIFY(std::all_of(store.values(i) + shown, store.values(i) + store.columns(),
                                [](qint8 v) { return v == -128; }));
            QCOMPARE(store.isGapFiller(i),
                     std::all_of(sample.scan.begin(), sample.scan.end(),
                                 [](qint8 v) { return v == -128; }));
        }
        // Each Wi-Fi scan once, in order.
        QList<WifiScan> runs;
        for (const RfSpectrumSample &sample : input) {
            if (runs.isEmpty() || runs.constLast() != sample.wifiAps)
                runs.append(sample.wifiAps);
        }
        QCOMPARE(store.accessPointRuns(), runs);
    }

    // A newer Wi-Fi scan lands on the newest sweep only; a copy keeps what it had.
    void newestAccessPoints()
    {
        SampleStore store = SampleStore::fromList(sweeps(10, 8, 4, false));
        const SampleStore copy = store;
        const WifiScan before = store.accessPoints(8);
        store.setNewestAccessPoints(accessPoints("newer", 2));
        QCOMPARE(store.accessPoints(9), accessPoints("newer", 2));
        QCOMPARE(store.accessPoints(8), before);
        QCOMPARE(copy.accessPoints(9), before);
        store.setNewestAccessPoints(WifiScan());
        QVERIFY(store.accessPoints(9).isEmpty());
        QCOMPARE(copy, SampleStore::fromList(sweeps(10, 8, 4, false)));
    }

    // Any stretch, block edges included, counts and peaks as its sweeps one by one.
    void summariesCountAnyStretch()
    {
        const int blocks = SampleStore::k_blockSweeps;
        const QList<RfSpectrumSample> list = sweeps(3 * blocks + 300, 12, 0, true, 7);
        const SampleStore store = SampleStore::fromList(list);
        std::mt19937 rng(3);
        std::uniform_int_distribution<int> at(0, int(list.size()));
        QList<QPair<int, int>> stretches{{0, int(list.size())},        {blocks - 1, blocks + 1},
                                         {blocks, 2 * blocks},         {5, 3 * blocks},
                                         {blocks / 2, blocks / 2 + 1}, {0, 0}};
        for (int i = 0; i < 20; ++i) {
            const int a = at(rng);
            const int b = at(rng);
            stretches.append({qMin(a, b), qMax(a, b)});
        }
        for (const auto &[first, last] : stretches) {
            SampleStore::Counts counts;
            counts.reset(store.columns());
            store.accumulate(first, last, +1, counts);
            const SampleStore::Counts literal = literalCounts(list, store.columns(), first, last);
            QVERIFY2(counts == literal, qPrintable(QString("%1-%2").arg(first).arg(last)));
            QCOMPARE(counts.maxima(), literal.maxima());
            QVector<qint8> peaks(store.columns());
            store.maxima(first, last, peaks.data());
            QCOMPARE(peaks, literal.maxima());
            // Taken away again, nothing is left.
            store.accumulate(first, last, -1, counts);
            SampleStore::Counts none;
            none.reset(store.columns());
            QVERIFY(counts == none);
        }
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSampleStore)
#include "tst_samplestore.moc"
