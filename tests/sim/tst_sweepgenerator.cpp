#include "QuorvexTest.h"
#include "sim/SimulatedSweepGenerator.h"

#include <algorithm>

namespace {

constexpr double k_start900 = 902.0;
constexpr double k_step900 = 6767 / 65536.0;
constexpr double k_start2400 = 2400.0;
constexpr double k_step2400 = 13107 / 65536.0;

int indexOf(double megahertz)
{
    return int(std::lround((megahertz - k_start2400) / k_step2400));
}

// Mean level per sample over the given sweeps of the 2.4 GHz band.
QVector<double> meanLevels(const SimulatedSweepGenerator &generator, const QList<quint64> &sweeps)
{
    QVector<double> mean(501, 0.0);
    for (const quint64 index : sweeps) {
        const RfSpectrumScan scan = generator.sweep(k_start2400, k_step2400, 501, index);
        for (int i = 0; i < scan.size(); ++i)
            mean[i] += scan[i] / double(sweeps.size());
    }
    return mean;
}

} // namespace

class TestSweepGenerator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deterministicForASeed()
    {
        const SimulatedSweepGenerator a(5);
        const SimulatedSweepGenerator b(5);
        const SimulatedSweepGenerator other(6);
        for (quint64 index : {0ull, 1ull, 977ull}) {
            QCOMPARE(a.sweep(k_start2400, k_step2400, 501, index),
                     b.sweep(k_start2400, k_step2400, 501, index));
            QCOMPARE(a.sweep(k_start900, k_step900, 252, index),
                     b.sweep(k_start900, k_step900, 252, index));
            QVERIFY(a.sweep(k_start2400, k_step2400, 501, index)
                    != other.sweep(k_start2400, k_step2400, 501, index));
        }
        QVERIFY(a.sweep(k_start2400, k_step2400, 501, 1)
                != a.sweep(k_start2400, k_step2400, 501, 2));
        QCOMPARE(a.calibration(k_start900, k_step900, 252),
                 b.calibration(k_start900, k_step900, 252));
    }

    void sizesAndRange_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("count");
        QTest::newRow("900") << k_start900 << k_step900 << 252;
        QTest::newRow("2400") << k_start2400 << k_step2400 << 501;
        QTest::newRow("empty") << k_start2400 << k_step2400 << 0;
        QTest::newRow("no step") << k_start2400 << 0.0 << 10;
    }

    void sizesAndRange()
    {
        QFETCH(double, start);
        QFETCH(double, step);
        QFETCH(int, count);
        const SimulatedSweepGenerator generator(1);
        for (quint64 index = 0; index < 50; ++index) {
            const RfSpectrumScan scan = generator.sweep(start, step, count, index);
            QCOMPARE(scan.size(), count);
            QVERIFY(std::all_of(scan.begin(), scan.end(),
                                [](qint8 v) { return v >= -120 && v <= -5; }));
        }
        const RfSpectrumScan calibration = generator.calibration(start, step, count);
        QCOMPARE(calibration.size(), count);
        QVERIFY(std::all_of(calibration.begin(), calibration.end(),
                            [](qint8 v) { return v >= -4 && v <= 4; }));
    }

    void noiseFloorNear95()
    {
        const SimulatedSweepGenerator generator(2);
        QVector<int> all;
        for (quint64 index = 0; index < 100; ++index) {
            const RfSpectrumScan scan = generator.sweep(k_start900, k_step900, 252, index);
            all += QVector<int>(scan.begin(), scan.end());
        }
        std::sort(all.begin(), all.end());
        QVERIFY(qAbs(all.at(all.size() / 2) + 95) <= 2);
        // Jitter: the floor is not flat.
        QVERIFY(all.at(all.size() / 10) < all.at(all.size() / 2));
    }

    void accessPointsOnTheirChannels()
    {
        const SimulatedSweepGenerator generator(1);
        QList<quint64> quiet;
        for (quint64 index = 0; quint64(quiet.size()) < 400; ++index) {
            if (!generator.microwaveRunning(index))
                quiet.append(index);
        }
        const QVector<double> mean = meanLevels(generator, quiet);
        const double empty = mean[indexOf(2495.0)];
        QVERIFY(!generator.air().accessPoints().isEmpty());
        for (const SimulatedAccessPoint &ap : generator.air().accessPoints()) {
            const double centre = ap.channel == 14 ? 2484.0 : 2412.0 + 5.0 * (ap.channel - 1);
            QVERIFY2(mean[indexOf(centre)] > empty + 0.5, qPrintable(ap.ssid));
        }
        // The same access points as the Wi-Fi scanner reports for the seed.
        const SimulatedAir air(1);
        QCOMPARE(generator.air().accessPoints().size(), air.accessPoints().size());
        for (int i = 0; i < air.accessPoints().size(); ++i)
            QCOMPARE(generator.air().accessPoints()[i].bssid, air.accessPoints()[i].bssid);
    }

    void microwaveOvenRunsNowAndThen()
    {
        const SimulatedSweepGenerator generator(4);
        QList<quint64> running;
        QList<quint64> idle;
        for (quint64 index = 0; index < 3000 && (running.size() < 200 || idle.size() < 200);
             ++index) {
            QList<quint64> &list = generator.microwaveRunning(index) ? running : idle;
            if (list.size() < 200)
                list.append(index);
        }
        QCOMPARE(running.size(), 200);
        QCOMPARE(idle.size(), 200);
        const QVector<double> on = meanLevels(generator, running);
        const QVector<double> off = meanLevels(generator, idle);
        QVERIFY(on[indexOf(2455.0)] > off[indexOf(2455.0)] + 10.0);
        // Far from the oven nothing changes.
        QVERIFY(qAbs(on[indexOf(2405.0)] - off[indexOf(2405.0)]) < 3.0);
    }

    void lightingNetworkHopsAndCarriersStay()
    {
        const SimulatedSweepGenerator generator(7);
        QVector<int> strong(252, 0);
        const int sweeps = 200;
        for (quint64 index = 0; index < quint64(sweeps); ++index) {
            const RfSpectrumScan scan = generator.sweep(k_start900, k_step900, 252, index);
            for (int i = 0; i < scan.size(); ++i)
                strong[i] += scan[i] > -85 ? 1 : 0;
        }
        // Hits spread over the band, a few at any one frequency ...
        const int visited
            = int(std::count_if(strong.begin(), strong.end(), [](int n) { return n > 0; }));
        QVERIFY(visited > 100);
        // ... and carriers that are there in nearly every sweep.
        const int steady = int(std::count_if(strong.begin(), strong.end(),
                                             [&](int n) { return n > sweeps * 9 / 10; }));
        QVERIFY(steady >= 2);
        QVERIFY(steady <= 8);
    }

    // The switched carrier covers its width at its level while on, and leaves the site as it
    // was while off.
    void switchedCarrier()
    {
        SimulatedSweepGenerator generator(1);
        const RfSpectrumScan site = generator.sweep(k_start2400, k_step2400, 501, 9);
        generator.setSwitchedCarrier({2490.0, 4.0, -50.0, true});
        const RfSpectrumScan on = generator.sweep(k_start2400, k_step2400, 501, 9);
        for (int i = indexOf(2488.2); i <= indexOf(2491.8); ++i)
            QVERIFY2(on[i] >= -52 && on[i] <= -48, qPrintable(QString::number(on[i])));
        QVERIFY(on[indexOf(2487.4)] < -80);
        QVERIFY(on[indexOf(2492.6)] < -80);
        generator.setSwitchedCarrier({2490.0, 4.0, -50.0, false});
        QCOMPARE(generator.sweep(k_start2400, k_step2400, 501, 9), site);
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSweepGenerator)
#include "tst_sweepgenerator.moc"
