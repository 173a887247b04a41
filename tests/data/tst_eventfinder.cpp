#include "QuietAir.h"
#include "QuorvexTest.h"
#include "data/EventFinder.h"

#include <functional>

namespace {

// An event expected: its first and last busy sweep, its first and last frequency step, and
// whether it was still busy at the end.
struct Expected
{
    int from;
    int to;
    int first;
    int last;
    bool ongoing = false;
};

using Site = std::function<void(QuietAir &)>;

} // namespace

Q_DECLARE_METATYPE(Site)
Q_DECLARE_METATYPE(QList<Expected>)

// Where the air changed, on synthetic histories of a quiet site (sweeps 100 ms apart): what
// turns busy after a quiet minute is found once, with its range, its start within a sweep and
// its end; what was busy all along, stray spikes and gap filler are not.
class TestEventFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void find_data()
    {
        QTest::addColumn<int>("sweeps");
        QTest::addColumn<Site>("site");
        QTest::addColumn<QList<Expected>>("expected");

        QTest::newRow("quiet") << 3000 << Site([](QuietAir &) {}) << QList<Expected>{};
        QTest::newRow("a carrier appears and goes")
            << 3000 << Site([](QuietAir &air) { air.carrier(200, 219, 1000, 1300, -55); })
            << QList<Expected>{{1000, 1299, 200, 219}};
        QTest::newRow("still busy at the end")
            << 3000 << Site([](QuietAir &air) { air.carrier(400, 404, 2500, 3000, -70); })
            << QList<Expected>{{2500, 2999, 400, 404, true}};
        QTest::newRow("two carriers at once") << 3000 << Site([](QuietAir &air) {
            air.carrier(100, 110, 1000, 1300, -55);
            air.carrier(300, 320, 1000, 1300, -60);
        }) << QList<Expected>{{1000, 1299, 100, 110}, {1000, 1299, 300, 320}};
        // Traffic in bursts of up to four seconds over a Wi-Fi channel from the start: busy
        // all along, so never a change, however long a burst.
        QTest::newRow("Wi-Fi busy throughout")
            << 3000 << Site([](QuietAir &air) { air.bursts(50, 150, 0.4, 40, -60); })
            << QList<Expected>{};
        QTest::newRow("Wi-Fi beside a carrier") << 3000 << Site([](QuietAir &air) {
            air.bursts(50, 150, 0.4, 40, -60);
            air.carrier(250, 260, 1500, 1600, -50);
        }) << QList<Expected>{{1500, 1599, 250, 260}};
        QTest::newRow("single-sweep spikes") << 3000 << Site([](QuietAir &air) {
            for (int i = 700; i < 3000; i += 97)
                air.carrier(0, 500, i, i + 1, -40);
        }) << QList<Expected>{};
        // Two seconds from the first busy sweep to the last is enough; a sweep less is not.
        QTest::newRow("two seconds")
            << 3000 << Site([](QuietAir &air) { air.carrier(200, 219, 1000, 1021, -55); })
            << QList<Expected>{{1000, 1020, 200, 219}};
        QTest::newRow("shorter than two seconds")
            << 3000 << Site([](QuietAir &air) { air.carrier(200, 219, 1000, 1020, -55); })
            << QList<Expected>{};
        // One quiet sweep inside is bridged; two end it.
        QTest::newRow("a dropout of one sweep") << 3000 << Site([](QuietAir &air) {
            air.carrier(200, 219, 1000, 1100, -55);
            air.carrier(200, 219, 1101, 1200, -55);
        }) << QList<Expected>{{1000, 1199, 200, 219}};
        // The minute before the change is not seen: no change to tell.
        QTest::newRow("busy in the first minute")
            << 3000 << Site([](QuietAir &air) { air.carrier(200, 219, 300, 600, -55); })
            << QList<Expected>{};
        // Back within a minute of going: that range was not quiet for the minute before.
        QTest::newRow("back within a minute") << 3000 << Site([](QuietAir &air) {
            air.carrier(200, 219, 1000, 1300, -55);
            air.carrier(200, 219, 1500, 1800, -55);
        }) << QList<Expected>{{1000, 1299, 200, 219}};
        // Padding written while the other band was swept, inside the quiet minute and inside
        // the carrier: it neither ends the carrier nor counts as quiet or busy.
        QTest::newRow("gap filler") << 3000 << Site([](QuietAir &air) {
            air.carrier(200, 219, 1000, 1300, -55);
            air.filler(600, 650);
            air.filler(1100, 1120);
        }) << QList<Expected>{{1000, 1299, 200, 219}};
        // A spike in the last sweep before the other band was swept and one in the first
        // after: no neighbours, however long (70 s) or short (3 s) the gap between them.
        QTest::newRow("spikes around a long gap") << 3000 << Site([](QuietAir &air) {
            air.carrier(240, 240, 1499, 1500, -55);
            air.filler(1500, 2200);
            air.carrier(240, 240, 2200, 2201, -55);
        }) << QList<Expected>{};
        QTest::newRow("spikes around a short gap") << 3000 << Site([](QuietAir &air) {
            air.carrier(240, 240, 1499, 1500, -55);
            air.filler(1500, 1530);
            air.carrier(240, 240, 1530, 1531, -55);
        }) << QList<Expected>{};
        // Busy for 2.9 s from first to last sweep, but seen busy for 0.9 s before the gap and
        // 0.4 s after it: too short.
        QTest::newRow("seen busy too briefly around a gap") << 3000 << Site([](QuietAir &air) {
            air.carrier(200, 219, 1000, 1030, -55);
            air.filler(1010, 1025);
        }) << QList<Expected>{};
        // A minute of filler before the carrier: the minute before it was not seen.
        QTest::newRow("after a long gap") << 3000 << Site([](QuietAir &air) {
            air.filler(1000, 1700);
            air.carrier(200, 219, 1750, 2000, -55);
        }) << QList<Expected>{};
    }

    void find()
    {
        QFETCH(int, sweeps);
        QFETCH(Site, site);
        QFETCH(QList<Expected>, expected);
        QuietAir air(sweeps);
        site(air);
        const RfSpectrumHistory history = air.history();
        const QList<EventFinder::Event> events = EventFinder::find(history, {});
        QCOMPARE(events.size(), expected.size());
        for (int i = 0; i < events.size(); ++i) {
            const EventFinder::Event &event = events.at(i);
            const Expected &want = expected.at(i);
            QVERIFY2(qAbs(event.startMs - air.time(want.from)) <= 100,
                     qPrintable(QString::number(event.startMs - air.time(want.from))));
            QCOMPARE(event.endMs, air.time(want.to));
            QCOMPARE(event.firstColumn, want.first);
            QCOMPARE(event.lastColumn, want.last);
            QCOMPARE(event.lowerMHz, 2400.0 + want.first * 0.2);
            QCOMPARE(event.upperMHz, 2400.0 + want.last * 0.2);
            QCOMPARE(event.ongoing, want.ongoing);
            QVERIFY(event.peakDbm >= -70);
        }

        // The same sweeps streamed one by one (as quorvex-tarn reads them) find the same.
        EventFinder finder(FrequencyAxis::of(history), 501, {});
        for (const RfSpectrumSample &sample : air.samples())
            finder.add(sample.timestamp, reinterpret_cast<const qint8 *>(sample.scan.constData()),
                       sample.scan.size());
        QCOMPARE(finder.finish(), events);
    }

    // The threshold and the minimum time are the caller's; the busy level is the advisor's.
    void options()
    {
        QuietAir air(3000);
        air.carrier(200, 219, 1000, 1040, -75);
        const RfSpectrumHistory history = air.history();
        EventFinder::Options options;
        QCOMPARE(EventFinder::find(history, options).size(), 1);
        options.thresholdDbm = -74.5; // busy from -74 dBm on
        QCOMPARE(EventFinder::find(history, options).size(), 0);
        options.thresholdDbm = -75.0;
        options.minBusyMs = 5000;
        QCOMPARE(EventFinder::find(history, options).size(), 0);
    }

    // A long search reports its progress, and stops when asked to.
    void progressAndCancel()
    {
        QuietAir air(20000);
        air.carrier(10, 20, 15000, 15100, -50);
        const RfSpectrumHistory history = air.history();
        QList<qint64> heard;
        bool cancelled = true;
        const QList<EventFinder::Event> events = EventFinder::find(
            history, {},
            [&heard](qint64 done, qint64 total) {
                heard << done;
                return total == 20000;
            },
            &cancelled);
        QCOMPARE(events.size(), 1);
        QVERIFY(!cancelled);
        QCOMPARE(heard.first(), 0);
        QCOMPARE(heard.last(), 20000);
        QVERIFY(heard.size() >= 3);

        const QList<EventFinder::Event> stopped = EventFinder::find(
            history, {}, [](qint64 done, qint64) { return done < 10000; }, &cancelled);
        QVERIFY(cancelled);
        QVERIFY(stopped.isEmpty());
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestEventFinder)
#include "tst_eventfinder.moc"
