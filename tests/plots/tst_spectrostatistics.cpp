#include "LiteralSpectrogram.h"
#include "QuorvexTest.h"
#include "SyntheticSweeps.h"
#include "plots/SpectroStatistics.h"

#include <random>

namespace {

constexpr int k_yMin = -100;
constexpr int k_yMax = -30;

RfSpectrumSample randomSample(std::mt19937 &rng, int columns, qint64 time)
{
    // Mostly values around the scale, some gap filler and some above the top.
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> inScale(-105, -25);
    std::uniform_int_distribution<int> anyByte(-128, 127);
    RfSpectrumSample sample;
    sample.timestamp = time;
    sample.scan.resize(columns);
    for (int j = 0; j < columns; ++j) {
        const int k = kind(rng);
        sample.scan[j] = qint8(k == 0 ? -128 : k == 1 ? anyByte(rng) : inScale(rng));
    }
    return sample;
}

// With fillerRuns, runs of gap filler (as written while the other band was swept) now and
// then, one of them at the end.
QList<RfSpectrumSample> randomHistory(unsigned seed, int count, int columns,
                                      bool fillerRuns = false)
{
    std::mt19937 rng(seed);
    QList<RfSpectrumSample> history;
    for (int i = 0; i < count; ++i) {
        history.append(randomSample(rng, columns, 1000 + 45 * i));
        if (fillerRuns && (i % 50 >= 40 || i >= count - 3))
            history.last().scan.fill(-128);
    }
    return history;
}

// Fails the calling test unless the incremental result equals the literal one.
void compareWithLiteral(const SpectroStatistics::Result &fast,
                        const QList<RfSpectrumSample> &window)
{
    const LiteralSpectrogram literal = LiteralSpectrogram::compute(window, k_yMin, k_yMax);
    QCOMPARE(fast.numColumns, literal.numColumns);
    QCOMPARE(fast.numRows, literal.numRows);
    QCOMPARE(fast.density.size(), literal.density.size());
    for (int i = 0; i < literal.density.size(); ++i) {
        if (std::abs(fast.density.at(i) - literal.density.at(i)) > 1e-12)
            QFAIL(qPrintable(QString("density cell %1: %2 != %3")
                                 .arg(i)
                                 .arg(fast.density.at(i), 0, 'g', 17)
                                 .arg(literal.density.at(i), 0, 'g', 17)));
        if (std::abs(fast.tips.at(i) - literal.tips.at(i)) > 1e-12)
            QFAIL(qPrintable(QString("tip cell %1: %2 != %3")
                                 .arg(i)
                                 .arg(fast.tips.at(i))
                                 .arg(literal.tips.at(i))));
    }
    for (int j = 0; j < literal.numColumns; ++j) {
        if (std::abs(fast.average.at(j) - literal.average.at(j)) > 1e-9)
            QFAIL(qPrintable(QString("average %1: %2 != %3")
                                 .arg(j)
                                 .arg(fast.average.at(j), 0, 'g', 17)
                                 .arg(literal.average.at(j), 0, 'g', 17)));
    }
    QCOMPARE(fast.max, literal.max);
    QCOMPARE(fast.top, literal.top);
    QCOMPARE(fast.current, window.last().scan);
}

} // namespace

class TestSpectroStatistics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomWindows_data()
    {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("fillers");
        QTest::newRow("one sweep") << 1u << 1 << 501 << false;
        QTest::newRow("two sweeps") << 2u << 2 << 37 << false;
        QTest::newRow("240 sweeps") << 3u << 240 << 64 << false;
        QTest::newRow("900 MHz width") << 4u << 120 << 252 << false;
        QTest::newRow("2.4 GHz width") << 5u << 300 << 501 << false;
        QTest::newRow("gap filler among them") << 6u << 300 << 501 << true;
        QTest::newRow("gap filler alone") << 7u << 3 << 64 << true;
    }

    // From scratch: any window of random values, with gap filler and values above the top.
    void randomWindows()
    {
        QFETCH(unsigned, seed);
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(bool, fillers);
        const QList<RfSpectrumSample> window = randomHistory(seed, count, columns, fillers);
        const SampleStore store = SampleStore::fromList(window);
        SpectroStatistics stats;
        stats.setWindow(store, 0, store.size());
        compareWithLiteral(stats.compute(k_yMin, k_yMax), window);
    }

    void slidingWindows_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<int>("count");
        // Each move: first and end index of the next window in the history.
        QTest::newRow("live window sliding")
            << "0,1 0,2 0,3 0,120 0,121 1,122 2,123 3,124 4,125 5,126 6,127" << 700;
        QTest::newRow("pan back and forth")
            << "300,500 299,499 250,450 251,451 400,600 300,500 0,200 500,700" << 700;
        QTest::newRow("grow and shrink")
            << "100,200 100,260 80,260 80,150 120,150 119,151 0,700" << 700;
        QTest::newRow("disjoint jumps") << "0,100 200,300 150,250 600,700 0,1 699,700" << 700;
        // Windows of whole blocks, parts of them and their edges (blocks of 8192 sweeps).
        QTest::newRow("across blocks")
            << "0,20000 8191,8193 8192,16384 100,16500 8000,8400 8191,24577 24576,24577 0,24577 "
               "5000,5200 5000,20000"
            << 24577;
    }

    // Window after window: the counts carried over (or taken from the store's block
    // summaries) must give the literal result each time.
    void slidingWindows()
    {
        QFETCH(QString, moves);
        QFETCH(int, count);
        const QList<RfSpectrumSample> history = randomHistory(7, count, 16, true);
        const SampleStore store = SampleStore::fromList(history);
        SpectroStatistics stats;
        for (const QString &move : moves.split(' ')) {
            const int first = move.section(',', 0, 0).toInt();
            const int end = move.section(',', 1, 1).toInt();
            stats.setWindow(store, first, end);
            compareWithLiteral(stats.compute(k_yMin, k_yMax), history.mid(first, end - first));
            if (QTest::currentTestFailed())
                QFAIL(qPrintable("after window " + move));
        }
    }

    // Sliding by one sweep, as the live window does, counts one sweep in and one out; a store
    // grown meanwhile is the same store; its sweeps cleared or copied on write are counted anew.
    void slidingCountsOnlyTheDifference()
    {
        const QList<RfSpectrumSample> history = SyntheticSweeps(501, 3).take(300);
        SampleStore store = SampleStore::fromList(history.mid(0, 240));
        SpectroStatistics stats;
        stats.setWindow(store, 0, 240);
        QVERIFY(stats.lastUpdate().rebuilt);
        store.append(history.at(240));
        stats.setWindow(store, 1, 241);
        QCOMPARE(stats.lastUpdate().rebuilt, false);
        QCOMPARE(stats.lastUpdate().added, 1);
        QCOMPARE(stats.lastUpdate().removed, 1);
        compareWithLiteral(stats.compute(k_yMin, k_yMax), history.mid(1, 240));

        // A copy shares the sweeps; the store appended to after it has its own block again.
        const SampleStore copy = store;
        store.append(history.at(241));
        stats.setWindow(store, 2, 242);
        QVERIFY(stats.lastUpdate().rebuilt);
        compareWithLiteral(stats.compute(k_yMin, k_yMax), history.mid(2, 240));

        store.clear();
        for (const RfSpectrumSample &sample : history.mid(50, 250))
            store.append(sample);
        stats.setWindow(store, 2, 242);
        QVERIFY(stats.lastUpdate().rebuilt);
        compareWithLiteral(stats.compute(k_yMin, k_yMax), history.mid(52, 240));
    }

    // A cell where more than about a thousand sweeps ended underflows to 0 when halved; the
    // literal rule would then light it as if one sweep had ended there. It stays at 0.
    void tipUnderflowStaysDark()
    {
        RfSpectrumSample sample;
        sample.scan = RfSpectrumScan{-60};
        QList<RfSpectrumSample> window;
        for (int i = 0; i < 1100; ++i) {
            sample.timestamp = i;
            window.append(sample);
        }
        const SampleStore store = SampleStore::fromList(window);
        SpectroStatistics stats;
        stats.setWindow(store, 0, store.size());
        const SpectroStatistics::Result result = stats.compute(k_yMin, k_yMax);
        QCOMPARE(result.tips.at(39), 0.0);
        QCOMPARE(LiteralSpectrogram::compute(window, k_yMin, k_yMax).tips.at(39), 1.0 / 8388608);
        stats.setWindow(store, 0, 1000);
        QCOMPARE(stats.compute(k_yMin, k_yMax).tips.at(39), std::ldexp(1.0, -999));
    }

    // A sample shorter than the first (a damaged recording) reads as gap filler where it has
    // no value; a longer one's extra values are ignored.
    void samplesOfOtherLengths()
    {
        QList<RfSpectrumSample> window = randomHistory(21, 20, 30);
        window[5].scan.resize(10);
        window[9].scan.append(RfSpectrumScan(5, -40));
        const SampleStore store = SampleStore::fromList(window);
        SpectroStatistics stats;
        stats.setWindow(store, 0, store.size());
        QList<RfSpectrumSample> padded = window;
        padded[5].scan.append(RfSpectrumScan(20, -128));
        padded[9].scan.resize(30);
        compareWithLiteral(stats.compute(k_yMin, k_yMax), padded);
    }

    void noRowsWithoutAmplitudeRange()
    {
        const SampleStore store = SampleStore::fromList(randomHistory(1, 3, 10));
        SpectroStatistics stats;
        stats.setWindow(store, 0, 3);
        const SpectroStatistics::Result result = stats.compute(0, -1);
        QCOMPARE(result.numRows, 0);
        QVERIFY(result.density.isEmpty());
        QCOMPARE(result.average.size(), 10);
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSpectroStatistics)
#include "tst_spectrostatistics.moc"
