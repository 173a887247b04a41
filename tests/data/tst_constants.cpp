#include "QuorvexTest.h"
#include "data/Constants.h"

using namespace Constants;

class TestConstants : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sampleCounts()
    {
        // 26000 / 103.25 + 1 = 252.82, truncated.
        QCOMPARE(k_samplesPerScan900, 252);
        QCOMPARE(k_samplesPerScan2400, 501);
    }

    void scanParams_data()
    {
        QTest::addColumn<ScanParams>("params");
        QTest::addColumn<QVariantList>("expected");
        // FBand, FStart, FStop, RBW, FStep, StepCount, Span, SpanIndex
        QTest::newRow("900") << k_900ScanParams
                             << QVariantList{1, 902.0, 928.0, 36, 103.25, 10, 26, 9};
        QTest::newRow("2400") << k_2400ScanParams
                              << QVariantList{2, 2400.0, 2500.0, 41, 200.0, 5, 100, 9};
    }

    void scanParams()
    {
        QFETCH(ScanParams, params);
        QFETCH(QVariantList, expected);
        const QStringList keys{"FBand", "FStart",    "FStop", "RBW",
                               "FStep", "StepCount", "Span",  "SpanIndex"};
        QCOMPARE(params.size(), keys.size());
        for (int i = 0; i < keys.size(); ++i) {
            QCOMPARE(params.value(keys[i]), expected[i]);
            // Integers stay integers: the set-up sends them as one or two bytes.
            QCOMPARE(params.value(keys[i]).userType(), expected[i].userType());
        }
    }

    void wifiChannels()
    {
        QCOMPARE(k_wifiChannelFreq.size(), 16);
        QCOMPARE(k_wifiChannelFreq.first(), 2400.0);
        QCOMPARE(k_wifiChannelFreq[1], 2412.0);
        QCOMPARE(k_wifiChannelFreq[6], 2437.0);
        QCOMPARE(k_wifiChannelFreq[13], 2472.0);
        QCOMPARE(k_wifiChannelFreq[14], 2484.0);
        QCOMPARE(k_wifiChannelFreq[15], 2500.0);

        QCOMPARE(k_wifiFreqChannel.size(), 14);
        QCOMPARE(k_wifiFreqChannel.value(2412.0), 1);
        QCOMPARE(k_wifiFreqChannel.value(2472.0), 13);
        QCOMPARE(k_wifiFreqChannel.value(2484.0), 14);
        QVERIFY(!k_wifiFreqChannel.contains(2400.0));
        QVERIFY(!k_wifiFreqChannel.contains(2477.0));
        for (int channel = 1; channel <= 14; ++channel)
            QCOMPARE(k_wifiFreqChannel.value(k_wifiChannelFreq[channel]), channel);
    }

    void zigBeeChannels()
    {
        QCOMPARE(k_zigBeeChannelFreq.size(), 18);
        QCOMPARE(k_zigBeeChannelFreq.first(), 2400.0);
        QCOMPARE(k_zigBeeChannelFreq[11 - 10], 2405.0);
        QCOMPARE(k_zigBeeChannelFreq[26 - 10], 2480.0);
        QCOMPARE(k_zigBeeChannelFreq.last(), 2500.0);
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestConstants)
#include "tst_constants.moc"
