#include "QuorvexTest.h"
#include "data/RecordingFile.h"
#include "data/RfSpectrumHistory.h"

class TestRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults()
    {
        const RfSpectrumHistory history;
        QVERIFY(!history.freqInterval.isValid());
        QVERIFY(!history.freqInterval.contains(915.0));
        QVERIFY(!history.freqInterval.contains(2450.0));
        QCOMPARE(RecordingFile::bandOf(history), RecordingFile::Band::Rejected);
        QVERIFY(history.projectInfo.projectName.isNull());
        QVERIFY(history.projectInfo.technicianName.isNull());

        const WifiApInfo ap;
        QVERIFY(!ap.color.isValid());
        QCOMPARE(ap.rssi, 0);
        QVERIFY(!TimeEvent().dateTime.isValid());
    }

    void labelEquality()
    {
        const SpectroLabel a{QPointF(2412.0, -60.0), "AP"};
        QCOMPARE(a, (SpectroLabel{QPointF(2412.0 + 1e-10, -60.0), "AP"}));
        QVERIFY(a != (SpectroLabel{QPointF(2412.0 + 1e-10, -60.0), "other"}));
        QVERIFY(a != (SpectroLabel{QPointF(2412.1, -60.0), "AP"}));
        // A zero coordinate compares absolutely.
        QCOMPARE((SpectroLabel{QPointF(0.0, -60.0), "x"}),
                 (SpectroLabel{QPointF(1e-13, -60.0), "x"}));
        QVERIFY((SpectroLabel{QPointF(0.0, -60.0), "x"})
                != (SpectroLabel{QPointF(1e-6, -60.0), "x"}));
    }

    void timeEventEquality()
    {
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(1765200000123);
        QCOMPARE((TimeEvent{when, "start"}), (TimeEvent{when, "start"}));
        QVERIFY((TimeEvent{when, "start"}) != (TimeEvent{when.addMSecs(1), "start"}));
        QVERIFY((TimeEvent{when, "start"}) != (TimeEvent{when, "stop"}));
    }

    void bands_data()
    {
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<int>("band");
        QTest::newRow("900") << 902.0 << 928.0 << int(RecordingFile::Band::Band900MHz);
        QTest::newRow("2400") << 2400.0 << 2500.0 << int(RecordingFile::Band::Band2400MHz);
        QTest::newRow("zero") << 0.0 << 0.0 << int(RecordingFile::Band::Rejected);
        QTest::newRow("5 GHz") << 5150.0 << 5850.0 << int(RecordingFile::Band::Rejected);
    }

    void bands()
    {
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(int, band);
        RfSpectrumHistory history;
        history.freqInterval = QwtInterval(minimum, maximum);
        QCOMPARE(int(RecordingFile::bandOf(history)), band);
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
