#include "QuietAir.h"
#include "QuorvexTest.h"
#include "data/AirWatch.h"
#include "data/Constants.h"
#include "data/VexaIdAdvisor.h"

namespace {

// A watch of 24240's range with a two-second stretch and the default threshold and limit.
AirWatch watch24240()
{
    AirWatch watch(FrequencyAxis(Constants::k_2400ScanParams), 501);
    AirWatch::Settings settings;
    settings.stretchMs = 2000;
    watch.setSettings(settings);
    const VexaIdDesc plan = Constants::k_vexaIdMap.value(24240);
    watch.addRange("24240", plan.lowerEdge(), plan.upperEdge());
    return watch;
}

// Feeds sweeps [from, to) and returns the changes they made.
QList<AirWatch::Change> feed(AirWatch &watch, const QuietAir &air, int from, int to)
{
    QList<AirWatch::Change> changes;
    for (int i = from; i < to; ++i) {
        const RfSpectrumSample &sample = air.samples().at(i);
        changes += watch.addSweep(sample.timestamp,
                                  reinterpret_cast<const qint8 *>(sample.scan.constData()),
                                  sample.scan.size());
    }
    return changes;
}

} // namespace

// The watch of a range over a sliding stretch of sweeps 100 ms apart.
class TestAirWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A carrier over most of 24240 comes and goes: one alert, raised within the stretch and
    // cleared once the share stayed below the limit for a stretch; gap filler in between
    // changes nothing. The share is always the advisor's for the same sweeps.
    void alertComesAndGoes()
    {
        QuietAir air(400);
        air.carrier(380, 405, 100, 200, -60);
        air.filler(140, 160);
        const RfSpectrumHistory history = air.history();
        AirWatch watch = watch24240();
        const auto [first, last] = watch.columnsOf("24240");
        QCOMPARE(first, 361); // 2472.2 MHz
        QCOMPARE(last, 405); // 2481.0 MHz

        QList<AirWatch::Change> changes;
        for (int i = 0; i < air.size(); ++i) {
            changes += feed(watch, air, i, i + 1);
            if (i % 10 != 9 || history.samples.isGapFiller(i))
                continue;
            // The advisor over the sweeps of the stretch that ends here.
            int begin = i;
            while (begin > 0 && air.time(i) - air.time(begin - 1) < 2000)
                --begin;
            const QList<VexaIdAdvisor::Score> ranking = VexaIdAdvisor::rank(history, begin, i + 1);
            const auto score
                = std::find_if(ranking.begin(), ranking.end(),
                               [](const VexaIdAdvisor::Score &s) { return s.id == 24240; });
            QVERIFY(score != ranking.end());
            QCOMPARE(watch.share("24240"), score->busyShare);
        }
        QCOMPARE(changes.size(), 2);
        const AirWatch::Change raised = changes.at(0);
        QVERIFY(raised.raised);
        QCOMPARE(raised.key, QString("24240"));
        QVERIFY(raised.share > 0.2);
        QVERIFY(raised.timestamp > air.time(100));
        QVERIFY(raised.timestamp < air.time(100) + 2000);
        const AirWatch::Change cleared = changes.at(1);
        QVERIFY(!cleared.raised);
        QVERIFY(cleared.share < 0.2);
        QVERIFY(cleared.timestamp >= air.time(200) + 2000);
        QVERIFY(cleared.timestamp <= air.time(200) + 4000);
        QVERIFY(!watch.isAlerting("24240"));
    }

    // Busy from the first sweep: nothing is judged until the sweeps cover a whole stretch.
    void firstStretch()
    {
        QuietAir air(100);
        air.carrier(361, 405, 0, 100, -60);
        AirWatch watch = watch24240();
        const QList<AirWatch::Change> changes = feed(watch, air, 0, 100);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().timestamp, air.time(20));
        QCOMPARE(changes.first().share, 1.0);
    }

    // After a pause longer than the stretch (the other band was swept), quiet sweeps clear an
    // alert only once they cover a stretch of their own; a new scan's reset drops it unreported.
    void pauseAndReset()
    {
        QuietAir air(200);
        air.carrier(361, 405, 0, 50, -60);
        AirWatch watch = watch24240();
        QCOMPARE(feed(watch, air, 0, 50).size(), 1);
        // 50 ... 99 are not swept.
        QVERIFY(feed(watch, air, 100, 119).isEmpty());
        QVERIFY(watch.isAlerting("24240"));
        const QList<AirWatch::Change> cleared = feed(watch, air, 119, 140);
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(cleared.first().timestamp, air.time(120));

        watch.reset();
        QCOMPARE(feed(watch, air, 0, 50).size(), 1);
        QVERIFY(watch.isAlerting("24240"));
        watch.reset();
        QVERIFY(!watch.isAlerting("24240"));
        QCOMPARE(watch.share("24240"), 0.0);
    }

    // A pause shorter than the stretch: stretch 5 s, ten quiet seconds, 4 s without sweeps of
    // the band (the other band swept; the page pads the time with gap filler, or the sweeps
    // just stop coming), then a burst of three sweeps over the whole range. The stretch is
    // covered again only 5 s after the pause, where the burst is 3 of 50 sweeps: nothing is
    // raised. A carrier that then stays raises its alert.
    void shortPause_data()
    {
        QTest::addColumn<bool>("padded");
        QTest::newRow("no sweeps") << false;
        QTest::newRow("gap filler") << true;
    }

    void shortPause()
    {
        QFETCH(bool, padded);
        QuietAir air(400);
        air.filler(100, 140);
        air.carrier(361, 405, 140, 143, -60);
        air.carrier(361, 405, 250, 400, -60);
        AirWatch watch = watch24240();
        AirWatch::Settings settings = watch.settings();
        settings.stretchMs = 5000;
        watch.setSettings(settings);
        QVERIFY(feed(watch, air, 0, 100).isEmpty());
        QVERIFY(feed(watch, air, padded ? 100 : 140, 250).isEmpty());
        const QList<AirWatch::Change> changes = feed(watch, air, 250, 400);
        QCOMPARE(changes.size(), 1);
        QVERIFY(changes.first().raised);
        QVERIFY(changes.first().timestamp < air.time(250) + 5000);
    }

    // The limit itself raises nothing, a cell more does: a stretch of 2 s holds 20 sweeps, and
    // every fifth sweep is busy over the whole range of 45 steps (180 of 900 cells, 20 %); one
    // sweep in each stretch from the 50th on has a busy cell more.
    void atTheLimit_data()
    {
        QTest::addColumn<bool>("cellMore");
        QTest::newRow("at the limit") << false;
        QTest::newRow("a cell more") << true;
    }

    void atTheLimit()
    {
        QFETCH(bool, cellMore);
        AirWatch watch = watch24240();
        const auto [first, last] = watch.columnsOf("24240");
        QCOMPARE(last - first + 1, 45);
        QList<AirWatch::Change> changes;
        for (int s = 0; s < 100; ++s) {
            QVector<qint8> sweep(501, qint8(-95));
            if (s % 5 == 0)
                std::fill(sweep.begin() + first, sweep.begin() + last + 1, qint8(-60));
            if (cellMore && s >= 50 && s % 20 == 1)
                sweep[first + 10] = qint8(-60);
            changes += watch.addSweep(QuietAir::k_start + 100 * s, sweep.constData(), 501);
        }
        QCOMPARE(changes.size(), cellMore ? 1 : 0);
        QCOMPARE(watch.share("24240"), double(4 * 45 + (cellMore ? 1 : 0)) / double(20 * 45));
    }

    // The threshold rounds up to a whole dBm as the advisor's does; sweeps of another length
    // and ranges that hold no step count for nothing.
    void thresholdAndOddInput()
    {
        QuietAir air(100);
        air.carrier(361, 405, 0, 100, -75);
        AirWatch watch = watch24240();
        AirWatch::Settings settings = watch.settings();
        settings.thresholdDbm = -74.5;
        watch.setSettings(settings);
        QVERIFY(feed(watch, air, 0, 100).isEmpty());
        settings.thresholdDbm = -75.5;
        watch.setSettings(settings);
        QCOMPARE(feed(watch, air, 0, 100).size(), 1);

        const qint8 shortSweep[10] = {};
        QVERIFY(watch.addSweep(air.time(99) + 100, shortSweep, 10).isEmpty());
        QVERIFY(!watch.addRange("between steps", 2440.05, 2440.15));
        QVERIFY(!watch.contains("between steps"));
        QVERIFY(!watch.addRange("outside", 2600.0, 2700.0));
        QVERIFY(watch.addRange("reversed", 2450.0, 2440.0));
        QCOMPARE(watch.columnsOf("reversed"), std::make_pair(200, 250));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestAirWatch)
#include "tst_airwatch.moc"
