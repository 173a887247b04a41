#include "QuorvexTest.h"
#include "data/Constants.h"
#include "data/VexaIdAdvisor.h"

namespace {

// Sweeps of a band: a -95 dBm floor with a carrier at `carrierDbm` over [lowMHz, highMHz].
RfSpectrumHistory site(bool band2400, int sweeps, double lowMHz, double highMHz,
                       qint8 carrierDbm = -60)
{
    RfSpectrumHistory history;
    history.freqInterval = band2400 ? QwtInterval(2400.0, 2500.0) : QwtInterval(902.0, 928.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    const int columns = band2400 ? 501 : 252;
    for (int s = 0; s < sweeps; ++s) {
        RfSpectrumScan scan(columns, qint8(-95));
        for (int j = 0; j < columns; ++j) {
            const double mhz = band2400 ? 2400.0 + 0.2 * j : 902.0 + 0.10325 * j;
            if (mhz >= lowMHz && mhz <= highMHz)
                scan[j] = carrierDbm;
        }
        history.samples << RfSpectrumSample{1700000000000 + 46 * s, scan, WifiScan()};
    }
    return history;
}

QList<int> ids(const QList<VexaIdAdvisor::Score> &scores)
{
    QList<int> list;
    for (const VexaIdAdvisor::Score &score : scores)
        list << score.id;
    return list;
}

} // namespace

class TestVexaIdAdvisor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void carrierOverTheUpperRange()
    {
        const RfSpectrumHistory history = site(true, 200, 2450.0, 2480.0);
        const QList<VexaIdAdvisor::Score> all = VexaIdAdvisor::rank(history, 0, 200);
        QList<int> catalogue;
        for (auto it = Constants::k_vexaIdMap.cbegin(); it != Constants::k_vexaIdMap.cend(); ++it)
            if (it.key() >= 24000)
                catalogue << it.key();
        QCOMPARE(ids(all).size(), catalogue.size());
        // The clean low-range plans first, the one the carrier covers whole last.
        QCOMPARE(ids(all).mid(0, 2), (QList<int>{24110, 24210}));
        QCOMPARE(all.at(0).busyShare, 0.0);
        QCOMPARE(all.at(0).meanDbm, -95.0);
        QCOMPARE(all.last().id, 24340);
        QCOMPARE(all.last().busyShare, 1.0);
        QCOMPARE(all.last().meanDbm, -60.0);

        VexaIdAdvisor::Options five;
        five.minUniverses = 5;
        const QList<int> fiveUniverses = ids(VexaIdAdvisor::rank(history, 0, 200, five));
        QCOMPARE(fiveUniverses.first(), 24310);
        for (const int id : fiveUniverses)
            QVERIFY(id >= 24300 && id < 24400);

        // A carrier below the threshold is not busy; a lower threshold makes it so.
        const RfSpectrumHistory weak = site(true, 50, 2450.0, 2480.0, -85);
        QCOMPARE(VexaIdAdvisor::rank(weak, 0, 50).last().busyShare, 0.0);
        VexaIdAdvisor::Options low;
        low.thresholdDbm = -90.0;
        QCOMPARE(VexaIdAdvisor::rank(weak, 0, 50, low).last().busyShare, 1.0);
    }

    void band900()
    {
        const QList<int> ranked = ids(VexaIdAdvisor::rank(site(false, 20, 915.0, 928.0), 0, 20));
        QVERIFY(!ranked.isEmpty());
        for (const int id : ranked)
            QVERIFY(id <= 9500);
        QCOMPARE(
            ranked.size(),
            int(std::count_if(Constants::k_vexaIdMap.keyBegin(), Constants::k_vexaIdMap.keyEnd(),
                              [](int id) { return id <= 9500; })));
    }

    // Gap filler counts neither as busy nor as quiet; an empty stretch ranks nothing.
    void gapsAndEmptyWindows()
    {
        const RfSpectrumHistory plain = site(true, 100, 2430.0, 2460.0);
        RfSpectrumHistory gapped = plain;
        QList<RfSpectrumSample> samples = plain.samples.toList();
        for (int i = 0; i < 60; ++i)
            samples.insert(20 + i, RfSpectrumSample{0, RfSpectrumScan(501, -128), {}});
        gapped.samples = SampleStore::fromList(samples);
        const QList<VexaIdAdvisor::Score> a = VexaIdAdvisor::rank(plain, 0, 100);
        const QList<VexaIdAdvisor::Score> b = VexaIdAdvisor::rank(gapped, 0, 160);
        QCOMPARE(ids(a), ids(b));
        for (int i = 0; i < a.size(); ++i) {
            QCOMPARE(a.at(i).busyShare, b.at(i).busyShare);
            QCOMPARE(a.at(i).meanDbm, b.at(i).meanDbm);
        }
        QVERIFY(VexaIdAdvisor::rank(plain, 40, 40).isEmpty());
        QVERIFY(VexaIdAdvisor::rank(gapped, 20, 80).isEmpty());
        QVERIFY(VexaIdAdvisor::rank(RfSpectrumHistory(), 0, 10).isEmpty());
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestVexaIdAdvisor)
#include "tst_vexaidadvisor.moc"
