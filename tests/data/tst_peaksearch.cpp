#include "QuorvexTest.h"
#include "data/PeakSearch.h"

namespace {

// A trace of `steps` levels at `floor`, with the given steps raised: "step:level" pairs.
QVector<double> trace(int steps, double floor, const QStringList &raised)
{
    QVector<double> levels(steps, floor);
    for (const QString &pair : raised)
        levels[pair.section(':', 0, 0).toInt()] = pair.section(':', 1, 1).toDouble();
    return levels;
}

RfSpectrumHistory bandOf(int steps)
{
    RfSpectrumHistory history;
    history.freqInterval = steps == 252 ? QwtInterval(902.0, 928.0) : QwtInterval(2400.0, 2500.0);
    return history;
}

} // namespace

// The peaks of synthetic traces, in the order Peak and Next Peak visit them.
class TestPeakSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void peaks_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QStringList>("raised");
        QTest::addColumn<QList<int>>("expected"); // steps, strongest first

        // 2.4 GHz, 200 kHz steps, 1 MHz apart: 103 is 0.6 MHz from the stronger 100 and part
        // of it; 105 (1.0 MHz) is a peak of its own; the band edges are peaks; a flat top of
        // three steps counts once, at its middle.
        QTest::newRow("2.4 GHz") << 501 << QStringList{"100:-40", "103:-45", "105:-61",
                                                       "110:-60", "300:-48", "301:-48",
                                                       "302:-48", "0:-50",   "500:-55"}
                                 << QList<int>{100, 301, 0, 500, 110, 105};
        // 900 MHz, 103.25 kHz steps, 0.5 MHz apart: 4 steps (413 kHz) are too near, 5 steps
        // (516.25 kHz) are far enough.
        QTest::newRow("900 MHz") << 252 << QStringList{"120:-50", "124:-52", "160:-51", "165:-53",
                                                       "251:-70", "1:-80",   "0:-81"}
                                 << QList<int>{120, 160, 165, 251, 1};
        // Two equal peaks: the lower frequency first. A step beside a higher one is no peak.
        QTest::newRow("equal levels")
            << 501 << QStringList{"400:-60", "200:-60", "201:-59"} << QList<int>{201, 400};
        // Steps without a level (no sweep) are never peaks; a flat trace has one, mid-band.
        QTest::newRow("no level") << 252 << QStringList{} << QList<int>{};
        QTest::newRow("flat") << 501 << QStringList{"0:-90"} << QList<int>{0};
    }

    void peaks()
    {
        QFETCH(int, steps);
        QFETCH(QStringList, raised);
        QFETCH(QList<int>, expected);
        const bool empty = QByteArray(QTest::currentDataTag()) == "no level";
        const bool flat = QByteArray(QTest::currentDataTag()) == "flat";
        QVector<double> levels = trace(steps, empty ? -128.0 : -95.0, raised);
        if (flat)
            levels.fill(-90.0);
        const RfSpectrumHistory history = bandOf(steps);
        const QList<PeakSearch::Peak> peaks = PeakSearch::find(
            levels, FrequencyAxis::of(history), PeakSearch::separationHertz(history));
        QList<int> found;
        for (const PeakSearch::Peak &peak : peaks) {
            found << peak.step;
            QCOMPARE(peak.level, levels.at(peak.step));
        }
        QCOMPARE(found, flat ? QList<int>{250} : expected);

        // Next Peak from each peak goes to the one after it, and from the last to none.
        for (int i = 0; i < peaks.size(); ++i)
            QCOMPARE(PeakSearch::next(peaks, peaks.at(i).level, peaks.at(i).step),
                     i + 1 < peaks.size() ? i + 1 : -1);
    }

    // From a point that is no peak, Next Peak goes to the strongest peak below its level.
    void nextFromAnywhere()
    {
        const QVector<double> levels
            = trace(501, -95.0, {"100:-40", "200:-50", "300:-60", "400:-50"});
        const RfSpectrumHistory history = bandOf(501);
        const QList<PeakSearch::Peak> peaks
            = PeakSearch::find(levels, FrequencyAxis::of(history), 1000000);
        QCOMPARE(peaks.size(), 4);
        QCOMPARE(peaks.at(PeakSearch::next(peaks, -45.0, 150)).step, 200);
        // On the level of two peaks: the one at a higher frequency comes after.
        QCOMPARE(peaks.at(PeakSearch::next(peaks, -50.0, 250)).step, 400);
        QCOMPARE(PeakSearch::next(peaks, -60.0, 300), -1);
        QCOMPARE(PeakSearch::next(peaks, -95.0, 0), -1);
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestPeakSearch)
#include "tst_peaksearch.moc"
