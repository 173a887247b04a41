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
        QTest::addColumn<double>("prominence"); // dB at least
        QTest::addColumn<QList<int>>("expected"); // steps, strongest first

        // 2.4 GHz, 200 kHz steps, 1 MHz apart: 103 is 0.6 MHz from the stronger 100 and part
        // of it; 105 (1.0 MHz) is a peak of its own; the band edges are peaks; a flat top of
        // three steps counts once, at its middle.
        QTest::newRow("2.4 GHz") << 501 << QStringList{"100:-40", "103:-45", "105:-61",
                                                       "110:-60", "300:-48", "301:-48",
                                                       "302:-48", "0:-50",   "500:-55"}
                                 << 6.0 << QList<int>{100, 301, 0, 500, 110, 105};
        // 900 MHz, 103.25 kHz steps, 0.5 MHz apart: 4 steps (413 kHz) are too near, 5 steps
        // (516.25 kHz) are far enough. Any prominence: step 1 rises 1 dB above the band edge.
        QTest::newRow("900 MHz") << 252 << QStringList{"120:-50", "124:-52", "160:-51", "165:-53",
                                                       "251:-70", "1:-80",   "0:-81"}
                                 << 0.0 << QList<int>{120, 160, 165, 251, 1};
        // Two equal peaks: the lower frequency first. A step beside a higher one is no peak.
        QTest::newRow("equal levels")
            << 501 << QStringList{"400:-60", "200:-60", "201:-59"} << 6.0 << QList<int>{201, 400};
        // Steps without a level (no sweep) are never peaks; a flat trace has one, mid-band.
        QTest::newRow("no level") << 252 << QStringList{} << 6.0 << QList<int>{};
        QTest::newRow("flat") << 501 << QStringList{"0:-90"} << 6.0 << QList<int>{0};

        // A Wi-Fi channel's flat top at -62 dBm over 150 ... 260 with a ripple every 2 MHz
        // (-61 ... -57 dBm): its highest ripple (180) rises 38 dB above the floor; every other
        // rises 4 dB at most above the top's level between it and a higher one.
        QStringList plateau;
        const QList<int> ripples{-60, -59, -61, -57, -60, -58, -59, -61, -60, -58, -59, -60};
        for (int j = 150; j <= 260; ++j)
            plateau << QString("%1:%2").arg(j).arg(j % 10 == 0 ? ripples.at((j - 150) / 10) : -62);
        QTest::newRow("ripples on a plateau") << 501 << plateau << 6.0 << QList<int>{180};
        QTest::newRow("ripples, any prominence")
            << 501 << plateau << 0.0
            << QList<int>{180, 200, 240, 160, 210, 250, 150, 190, 230, 260, 170, 220};
        // A strong carrier whose skirt falls to the right with a shoulder at 108 (1.6 MHz
        // away, 3 dB above the dip before it), and a weak carrier alone at 130 (20 dB above
        // the floor): the shoulder is a peak only when 3 dB are enough.
        const QStringList skirt{"100:-40", "101:-44", "102:-48", "103:-52", "104:-56", "105:-60",
                                "106:-63", "107:-64", "108:-61", "109:-68", "110:-75", "130:-75"};
        QTest::newRow("shoulder beside a strong peak")
            << 501 << skirt << 6.0 << QList<int>{100, 130};
        QTest::newRow("shoulder, 3 dB") << 501 << skirt << 3.0 << QList<int>{100, 108, 130};
        // At the band edges: 0 falls away from -60 dBm to the floor, a peak; 500 is a ripple at
        // the end of a stretch at -70 that 490 tops, 2 dB above the dip before it.
        QStringList edges{"0:-60", "1:-62", "2:-66", "3:-70"};
        for (int j = 485; j <= 498; ++j)
            edges << QString("%1:%2").arg(j).arg(j == 490 ? -50 : -70);
        edges << "499:-72"
              << "500:-68";
        QTest::newRow("band edges") << 501 << edges << 6.0 << QList<int>{490, 0};
    }

    void peaks()
    {
        QFETCH(int, steps);
        QFETCH(QStringList, raised);
        QFETCH(double, prominence);
        QFETCH(QList<int>, expected);
        const bool empty = QByteArray(QTest::currentDataTag()) == "no level";
        const bool flat = QByteArray(QTest::currentDataTag()) == "flat";
        QVector<double> levels = trace(steps, empty ? -128.0 : -95.0, raised);
        if (flat)
            levels.fill(-90.0);
        const RfSpectrumHistory history = bandOf(steps);
        const QList<PeakSearch::Peak> peaks = PeakSearch::find(
            levels, FrequencyAxis::of(history), PeakSearch::separationHertz(history), prominence);
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
