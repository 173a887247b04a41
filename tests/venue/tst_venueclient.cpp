#include "MosquittoBroker.h"
#include "QuorvexTest.h"
#include "SensorProcess.h"
#include "sensor/MqttClient.h"
#include "sensor/SensorMessages.h"
#include "sensor/SweepMessage.h"
#include "venue/VenueClient.h"

#include <QTemporaryDir>

namespace {

// What a viewer got of each sensor: every sweep delivered, by number, and whether any came twice
// or out of order.
struct Received
{
    QMap<quint64, QPair<int, QByteArray>> sweeps; // band and values by number
    QMap<quint64, qint64> times;
    int repeats = 0;
    int outOfOrder = 0;
    quint64 last = 0;
    bool any = false;

    void take(const SweepBatch &run)
    {
        for (int i = 0; i < run.count(); ++i) {
            const quint64 n = run.firstSeq + quint64(i);
            if (sweeps.contains(n))
                ++repeats;
            if (any && n != last + 1)
                ++outOfOrder;
            any = true;
            last = n;
            sweeps.insert(
                n,
                {run.band.mhz,
                 QByteArray(reinterpret_cast<const char *>(run.sweep(i)), run.band.steps)});
            times.insert(n, run.timestamps.at(i));
        }
    }
    // Every number from the first received to the last, and the last newer than `afterMs`.
    bool wholeUntil(qint64 afterMs) const
    {
        return !sweeps.isEmpty()
            && quint64(sweeps.size()) == sweeps.lastKey() - sweeps.firstKey() + 1
            && times.last() > afterMs;
    }
};

struct Viewer
{
    VenueClient client;
    QMap<QString, Received> received;
    QStringList problems;

    explicit Viewer(quint16 port)
    {
        QObject::connect(
            &client, &VenueClient::sweepsReady, &client,
            [this](const QString &id, const SweepBatch &run) { received[id].take(run); });
        QObject::connect(&client, &VenueClient::problem, &client,
                         [this](const QString &text) { problems << text; });
        BrokerSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = port;
        client.connectTo(settings);
    }
};

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

} // namespace

// The window's end of a venue: two sensor programs with their simulated analyzers publish to a
// real broker; the viewer lists them, receives each sensor's sweeps in order and each once
// through a broker outage, replays what it missed when it joins late, switches every sensor's
// band, and drops what is not the wire format with one message per cause.
class TestVenueClient : public QObject
{
    Q_OBJECT

    QStringList sensorArguments(const QString &id, const QString &name, quint16 port,
                                const QString &dir, const QString &sim, int band)
    {
        return {"--id",       id,
                "--name",     name,
                "--broker",   QStringLiteral("mqtt://127.0.0.1:%1").arg(port),
                "--data-dir", dir,
                "--band",     QString::number(band),
                "--sim",      sim};
    }

private Q_SLOTS:
    void twoSensorsThroughABroker()
    {
        MosquittoBroker broker;
        QVERIFY(broker.start());
        Viewer viewer(broker.port());
        QTemporaryDir dir;
        SensorProcess north;
        SensorProcess south;
        QVERIFY(north.start(sensorArguments("north", "North stand", broker.port(),
                                            dir.filePath("north"), "--seed 5", 2400)));
        QVERIFY(south.start(sensorArguments("south", "South stand", broker.port(),
                                            dir.filePath("south"), "--seed 6", 900)));

        // Both listed, with their names, states and bands.
        QVERIFY2(waitFor(
                     [&] {
                         return viewer.client.sensor("north").status.state == "scanning"
                             && viewer.client.sensor("south").status.state == "scanning";
                     },
                     60000),
                 qPrintable(north.log() + south.log()));
        QCOMPARE(viewer.client.sensor("north").displayName(), QString("North stand"));
        QCOMPARE(viewer.client.sensor("south").status.band, 900);
        QVERIFY(viewer.client.sensor("north").clockWarning().isEmpty());

        // Each sensor's sweeps are its own simulator's, by number.
        QVERIFY(waitFor(
            [&] {
                return viewer.received["north"].sweeps.size() >= 30
                    && viewer.received["south"].sweeps.size() >= 30;
            },
            60000));
        for (quint64 k = 0; k < 30; ++k) {
            QCOMPARE(viewer.received["north"].sweeps.value(k).second, simulatedSweep(5, 2400, k));
            QCOMPARE(viewer.received["south"].sweeps.value(k).second, simulatedSweep(6, 900, k));
        }
        QVERIFY(viewer.client.sensor("north").sweepsPerSecond > 0.0);

        // The broker away for 30 s: afterwards every number has come, once, in order.
        broker.stop();
        QTest::qWait(30000);
        const qint64 cameBack = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(broker.restart());
        QVERIFY2(waitFor(
                     [&] {
                         return viewer.received["north"].wholeUntil(cameBack + 3000)
                             && viewer.received["south"].wholeUntil(cameBack + 3000);
                     },
                     120000),
                 qPrintable(north.log()));
        for (const QString &id : {QStringLiteral("north"), QStringLiteral("south")}) {
            const Received &r = viewer.received[id];
            QCOMPARE(r.repeats, 0);
            QCOMPARE(r.outOfOrder, 0);
            QCOMPARE(r.sweeps.firstKey(), quint64(0));
        }

        // A viewer that joins now is given what it missed, from the first sweep on.
        Viewer late(broker.port());
        QVERIFY(waitFor(
            [&] {
                return late.received["north"].wholeUntil(cameBack + 3000)
                    && late.received["south"].wholeUntil(cameBack + 3000);
            },
            60000));
        QCOMPARE(late.received["north"].sweeps.firstKey(), quint64(0));
        QCOMPARE(late.received["north"].sweeps.value(7), viewer.received["north"].sweeps.value(7));
        QCOMPARE(late.received["south"].outOfOrder, 0);

        // One band for all: both sensors switch to 900 MHz, and their numbering goes on.
        const quint64 before = viewer.received["north"].last;
        viewer.client.setBand(QString(), 900);
        QVERIFY(waitFor(
            [&] {
                return viewer.client.sensor("north").status.band == 900
                    && viewer.received["north"].sweeps.last().first == 900;
            },
            60000));
        QVERIFY(viewer.received["north"].last > before);
        QCOMPARE(viewer.received["north"].outOfOrder, 0);

        // What is not the wire format is dropped, with one message for each sensor and fault.
        MqttClient rogue;
        BrokerSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = broker.port();
        QSignalSpy up(&rogue, &MqttClient::connected);
        rogue.start(settings, QStringLiteral("rogue"));
        QVERIFY(up.wait(20000));
        const QString sweeps = QStringLiteral("quorvex/v1/north/sweeps");
        QByteArray wrongLength = QByteArray("QVS1") + QByteArray(20, '\0');
        const quint32 fstart = 902000000;
        const quint32 fstep = 103250;
        const quint16 steps = 252;
        const quint16 count = 2;
        memcpy(wrongLength.data() + 4, &fstart, 4);
        memcpy(wrongLength.data() + 8, &fstep, 4);
        memcpy(wrongLength.data() + 12, &steps, 2);
        memcpy(wrongLength.data() + 14, &count, 2);
        QByteArray noBand = wrongLength;
        noBand[4] = char(noBand.at(4) + 1);
        // Sweeps numbered from 0 again, long after those numbers were delivered.
        QVERIFY(waitFor([&] { return viewer.received["north"].last > 1100; }, 180000));
        SweepBatch again;
        again.band = SensorBand::of(900);
        const QByteArray values(252, char(-90));
        for (int i = 0; i < 2; ++i)
            again.append(QDateTime::currentMSecsSinceEpoch(),
                         reinterpret_cast<const qint8 *>(values.constData()));
        const QByteArray backwards = SweepMessage::encode(again);
        for (const QByteArray &payload :
             {QByteArray("short"), QByteArray("QVS2") + QByteArray(40, '\0'), wrongLength,
              wrongLength + QByteArray(100, '\0'), noBand, backwards})
            rogue.publish(sweeps, payload);
        rogue.publish(QStringLiteral("quorvex/v1/south/state"), QByteArray("{not json"));
        QVERIFY(waitFor([&] { return viewer.problems.size() >= 6; }, 20000));
        QTest::qWait(1000);
        QCOMPARE(viewer.problems.filter("sensor north").size(), 5);
        QCOMPARE(viewer.problems.filter("A state of the sensor south").size(), 1);
        // Nothing else disturbed: the sweeps go on, whole.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(waitFor([&] { return viewer.received["north"].wholeUntil(now + 2000); }, 30000));
        QCOMPARE(viewer.received["north"].repeats, 0);
        QCOMPARE(north.stop(), 0);
        QCOMPARE(south.stop(), 0);
    }

    // A viewer that joined between a sensor's first sweeps and its next state (which still
    // says it had none) asks for those it missed and shows every one, in order.
    void sweepsBeforeTheFirstNumberedState()
    {
        MosquittoBroker broker;
        QVERIFY(broker.start());
        Viewer viewer(broker.port());
        MqttClient early;
        early.setSubscriptions({QStringLiteral("quorvex/v1/early/control")});
        QList<SensorControl> asked;
        QObject::connect(&early, &MqttClient::messageReceived, &early,
                         [&](const QString &, const QByteArray &payload) {
                             SensorControl control;
                             if (SensorControl::parse(payload, &control).isEmpty())
                                 asked << control;
                         });
        BrokerSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = broker.port();
        QSignalSpy up(&early, &MqttClient::connected);
        early.start(settings, QStringLiteral("early"));
        QVERIFY(up.wait(20000));

        SensorStatus status;
        status.id = QStringLiteral("early");
        status.state = QLatin1String(SensorStatus::k_scanning);
        status.band = 900;
        status.timeMs = QDateTime::currentMSecsSinceEpoch();
        early.publish(QStringLiteral("quorvex/v1/early/state"), status.toJson(), true);
        const auto sweeps = [](quint64 first, int count) {
            SweepBatch batch;
            batch.band = SensorBand::of(900);
            batch.firstSeq = first;
            for (int i = 0; i < count; ++i) {
                const QByteArray values(252, char(-100 + int(first) + i));
                batch.append(QDateTime::currentMSecsSinceEpoch(),
                             reinterpret_cast<const qint8 *>(values.constData()));
            }
            return SweepMessage::encode(batch);
        };
        QVERIFY(waitFor([&] { return viewer.client.sensor("early").status.band == 900; }, 20000));
        early.publish(QStringLiteral("quorvex/v1/early/sweeps"), sweeps(3, 2));

        QVERIFY(waitFor([&] { return !asked.isEmpty(); }, 20000));
        QVERIFY(asked.first().replay);
        QCOMPARE(asked.first().fromSeq, quint64(0));
        QCOMPARE(asked.first().toSeq, quint64(2));
        early.publish(asked.first().replyTopic, sweeps(0, 3));
        QVERIFY(waitFor([&] { return viewer.received["early"].sweeps.size() == 5; }, 20000));
        QCOMPARE(viewer.received["early"].sweeps.firstKey(), quint64(0));
        QCOMPARE(viewer.received["early"].outOfOrder, 0);
        QCOMPARE(viewer.received["early"].sweeps.value(4).second.at(0), char(-96));
        early.stop();
    }
};

QUORVEX_TEST_MAIN(TestVenueClient)
#include "tst_venueclient.moc"
