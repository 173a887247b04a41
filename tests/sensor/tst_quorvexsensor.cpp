#include "MosquittoBroker.h"
#include "QuorvexTest.h"
#include "SensorProcess.h"
#include "SweepViewer.h"
#include "sim/SimulatedSweepGenerator.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <csignal>

namespace {

const QString k_sweeps = QStringLiteral("quorvex/v1/north/sweeps");
const QString k_control = QStringLiteral("quorvex/v1/north/control");
const QString k_allControl = QStringLiteral("quorvex/v1/all/control");

// Every number from 0 to the highest is there.
bool contiguous(const QMap<quint64, SweepViewer::Sweep> &sweeps)
{
    return !sweeps.isEmpty() && sweeps.firstKey() == 0
        && sweeps.lastKey() == quint64(sweeps.size() - 1);
}

// Waits (without asserting anything about speed) until `done` holds.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QTest::qWait(50);
    }
    return true;
}

bool run(const QString &program, const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return false;
    }
    return true;
}

// The number in the sensor's log line "Stopped with N sweeps numbered", the last of them.
qint64 sweepsNumbered(const QString &log)
{
    const QRegularExpression pattern(QStringLiteral("Stopped with (\\d+) sweeps numbered"));
    qint64 count = -1;
    auto it = pattern.globalMatch(log);
    while (it.hasNext())
        count = it.next().captured(1).toLongLong();
    return count;
}

} // namespace

// quorvex-sensor as a venue runs it: a real mosquitto started here on a free port of the
// loopback interface, the sensor's program scanning its simulated analyzer (on a
// pseudo-terminal, through the window's communication stack), and a viewer in the test that
// reads what the broker hands it.
class TestQuorvexSensor : public QObject
{
    Q_OBJECT

private:
    QStringList sensorArguments(quint16 port, const QString &dataDir, const QString &sim)
    {
        return {"--id",       "north",
                "--name",     "North stand",
                "--broker",   QStringLiteral("mqtt://127.0.0.1:%1").arg(port),
                "--data-dir", dataDir,
                "--sim",      sim};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!MosquittoBroker::program("mosquitto").isEmpty(),
                 "mosquitto is not installed (make deps installs it)");
    }

    void scanPublishesAndObeysCommands()
    {
        MosquittoBroker broker;
        QVERIFY(broker.start());
        SweepViewer viewer;
        viewer.start(broker.port());
        QVERIFY(viewer.waitConnected());
        QTemporaryDir dir;
        SensorProcess sensor;
        // Unplugged in the middle of its 40th sweep and plugged in again 2 s later.
        QVERIFY(sensor.start(sensorArguments(broker.port(), dir.filePath("north"),
                                             "--seed 5 --hang-up-after 40 --replug-after 2000")));

        // Its state, retained, with the fields of the manual page.
        QVERIFY2(waitFor([&] { return viewer.lastState().state == "scanning"; }, 30000),
                 qPrintable(sensor.log()));
        const SensorStatus state = viewer.lastState();
        QCOMPARE(state.id, QStringLiteral("north"));
        QCOMPARE(state.name, QStringLiteral("North stand"));
        QCOMPARE(state.band, 2400);
        QCOMPARE(state.fstartHz, 2400000000u);
        QCOMPARE(state.fstepHz, 200000u);
        QCOMPARE(state.steps, 501);
        QVERIFY(state.program.startsWith("quorvex-sensor "));
        QVERIFY(std::abs(state.timeMs - QDateTime::currentMSecsSinceEpoch()) < 60000);
        QCOMPARE(state.storage, QStringLiteral("ok"));
        QVERIFY(!state.analyzer.isEmpty());

        // The sweeps, read from the bytes, are the simulator's: its site for seed 5 on the
        // grid the analyzer is set to (frequencies in 16.16 fixed point, as sent to it).
        QVERIFY(waitFor([&] { return viewer.sweeps(k_sweeps).size() >= 30; }, 30000));
        const SimulatedSweepGenerator site(5);
        const double step = std::round(200.0 * 65536.0 / 1000.0) / 65536.0;
        const auto first = viewer.sweeps(k_sweeps);
        for (quint64 n = 0; n < 30; ++n) {
            QVERIFY2(first.contains(n), qPrintable(QString::number(n)));
            const RfSpectrumScan expected = site.sweep(2400.0, step, 501, n);
            const SweepViewer::Sweep &got = first.value(n);
            QCOMPARE(got.values,
                     QByteArray(reinterpret_cast<const char *>(expected.constData()), 501));
            QCOMPARE(got.fstartHz, 2400000000u);
            QVERIFY(n == 0 || got.timestamp >= first.value(n - 1).timestamp);
        }

        // The unplugged analyzer: the state says so, events tell, and the scan resumes by
        // itself with the next number.
        QVERIFY(waitFor(
            [&] {
                const auto scanning
                    = std::find_if(viewer.states.begin(), viewer.states.end(),
                                   [](const SensorStatus &s) { return s.state == "scanning"; });
                return std::any_of(scanning, viewer.states.end(),
                                   [](const SensorStatus &s) { return s.state == "no-analyzer"; });
            },
            30000));
        QVERIFY(waitFor([&] { return viewer.hasEvent("lost"); }, 30000));
        QVERIFY(waitFor(
            [&] {
                return viewer.lastState().state == "scanning"
                    && viewer.sweeps(k_sweeps).size() >= 60;
            },
            60000));
        QVERIFY(contiguous(viewer.sweeps(k_sweeps)));

        // Commands that are not commands are ignored, with a line each, and the scan goes on.
        viewer.client().publish(k_control, "switch to 900");
        viewer.client().publish(k_allControl, R"({"band": 5000})");
        viewer.client().publish(
            k_control,
            R"({"replay": {"from_seq": 100000000, "to_seq": 100000001, "reply": "quorvex/v1/north/replay/t"}})");
        QVERIFY(waitFor(
            [&] {
                return sensor.count("Ignored a command") == 2
                    && sensor.count("Ignored a replay") == 1;
            },
            30000));

        // The band switched by the command to every sensor: the sequence goes on.
        const int before = viewer.sweeps(k_sweeps).size();
        viewer.client().publish(k_allControl, R"({"band": 900})");
        QVERIFY(waitFor(
            [&] {
                const auto sweeps = viewer.sweeps(k_sweeps);
                return sweeps.last().steps == 252 && sweeps.size() >= before + 20;
            },
            30000));
        const auto switched = viewer.sweeps(k_sweeps);
        QVERIFY(contiguous(switched));
        int changes = 0;
        for (auto it = std::next(switched.begin()); it != switched.end(); ++it) {
            const bool was900 = std::prev(it).value().steps == 252;
            const bool is900 = it.value().steps == 252;
            QVERIFY(!was900 || is900);
            if (is900 != was900) {
                ++changes;
                QCOMPARE(it.value().fstartHz, 902000000u);
                QCOMPARE(it.value().fstepHz, 103250u);
            }
        }
        QCOMPARE(changes, 1);
        QVERIFY(waitFor([&] { return viewer.lastState().band == 900; }, 30000));
        QCOMPARE(viewer.lastState().fstartHz, 902000000u);
        QCOMPARE(viewer.lastState().steps, 252);
        QVERIFY(viewer.hasEvent("Band switched to 900 MHz"));

        // A replay of the first 50, to the topic asked for: the same sweeps, each once.
        const QString reply = QStringLiteral("quorvex/v1/north/replay/test");
        viewer.client().publish(k_control, SensorControl::replayCommand(0, 49, reply));
        QVERIFY(waitFor([&] { return viewer.sweeps(reply).size() == 50; }, 30000));
        const auto replayed = viewer.sweeps(reply);
        const auto live = viewer.sweeps(k_sweeps);
        for (quint64 n = 0; n < 50; ++n)
            QVERIFY(replayed.value(n) == live.value(n));

        // A viewer that comes later finds the state waiting.
        SweepViewer late;
        late.start(broker.port(), {"quorvex/v1/north/state"}, "late-viewer");
        QVERIFY(waitFor([&] { return late.lastState().state == "scanning"; }, 30000));
        QCOMPARE(late.lastState().band, 900);

        QCOMPARE(sensor.stop(), 0);
        QVERIFY(waitFor([&] { return late.lastState().state == "stopped"; }, 30000));
        QCOMPARE(viewer.duplicates, 0);
        QVERIFY2(viewer.malformed.isEmpty(), qPrintable(viewer.malformed.join('\n')));
    }

    void brokerAwayThirtySeconds()
    {
        MosquittoBroker broker;
        QVERIFY(broker.start());
        SweepViewer viewer;
        // The viewer's session outlives the broker's restart, so nothing is missed while it
        // reconnects.
        viewer.client().setPersistentSession(true);
        viewer.start(broker.port(), {k_sweeps, "quorvex/v1/north/events", "quorvex/v1/north/state"},
                     "outage-viewer");
        QVERIFY(viewer.waitConnected());
        QTemporaryDir dir;
        SensorProcess sensor;
        QVERIFY(sensor.start(sensorArguments(broker.port(), dir.filePath("north"), "--seed 6")));
        QVERIFY2(waitFor([&] { return viewer.sweeps(k_sweeps).size() >= 20; }, 30000),
                 qPrintable(sensor.log()));

        // The broker goes at a quiet moment: the sensor held still until all it sent arrived.
        sensor.signal(SIGSTOP);
        int seen = -1;
        QVERIFY(waitFor(
            [&] {
                const int now = viewer.sweeps(k_sweeps).size();
                const bool still = now == seen;
                seen = now;
                if (!still)
                    QTest::qWait(1500);
                return still;
            },
            30000));
        broker.stop();
        const qint64 wentAway = QDateTime::currentMSecsSinceEpoch();
        sensor.signal(SIGCONT);
        QTest::qWait(30000);
        const qint64 cameBack = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(broker.restart());

        // Every number arrives, once, the backlog first, and then the live sweeps.
        QVERIFY2(waitFor([&] { return viewer.hasEvent("Caught up"); }, 90000),
                 qPrintable(sensor.log()));
        QVERIFY(waitFor(
            [&] {
                const auto sweeps = viewer.sweeps(k_sweeps);
                return contiguous(sweeps) && sweeps.last().timestamp > cameBack + 2000;
            },
            60000));
        const auto sweeps = viewer.sweeps(k_sweeps);
        QCOMPARE(viewer.duplicates, 0);
        int duringOutage = 0;
        qint64 previous = 0;
        for (const SweepViewer::Sweep &sweep : sweeps) {
            QVERIFY(sweep.timestamp >= previous);
            previous = sweep.timestamp;
            if (sweep.timestamp > wentAway && sweep.timestamp < cameBack)
                ++duringOutage;
        }
        // At the link's rate, some 8 sweeps a second were measured while the broker was away.
        QVERIFY2(duringOutage >= 60, qPrintable(QString::number(duringOutage)));
        QCOMPARE(sensor.stop(), 0);
    }

    void killedSensorContinues()
    {
        MosquittoBroker broker;
        QVERIFY(broker.start());
        SweepViewer viewer;
        viewer.start(broker.port());
        QVERIFY(viewer.waitConnected());
        QTemporaryDir dir;
        const QStringList arguments
            = sensorArguments(broker.port(), dir.filePath("north"), "--seed 8");
        {
            SensorProcess sensor;
            QVERIFY(sensor.start(arguments));
            QVERIFY2(waitFor([&] { return viewer.sweeps(k_sweeps).size() >= 20; }, 30000),
                     qPrintable(sensor.log()));
            sensor.signal(SIGKILL);
            // The last will: offline.
            QVERIFY(waitFor([&] { return viewer.lastState().state == "offline"; }, 30000));
        }
        const quint64 beforeKill = viewer.sweeps(k_sweeps).lastKey();
        {
            SensorProcess sensor;
            QVERIFY(sensor.start(arguments));
            QVERIFY(waitFor(
                [&] {
                    return viewer.lastState().state == "scanning"
                        && viewer.sweeps(k_sweeps).lastKey() >= beforeKill + 30;
                },
                30000));
            QVERIFY(contiguous(viewer.sweeps(k_sweeps)));

            // Killed again while the broker is away: what it journalled then is published by
            // the next run.
            broker.stop();
            QTest::qWait(4000);
            sensor.signal(SIGKILL);
        }
        const quint64 beforeOutage = viewer.sweeps(k_sweeps).lastKey();
        QVERIFY(broker.restart());
        QVERIFY(viewer.waitConnected());
        SensorProcess sensor;
        QVERIFY(sensor.start(arguments));
        QVERIFY(waitFor(
            [&] {
                const auto sweeps = viewer.sweeps(k_sweeps);
                return contiguous(sweeps) && sweeps.lastKey() >= beforeOutage + 60;
            },
            60000));
        // A number sent twice (in flight when a sensor was killed) is the same sweep twice.
        QCOMPARE(viewer.conflicts, 0);
        QCOMPARE(sensor.stop(), 0);
    }

    void tlsPasswordsAndAccessList()
    {
        QTemporaryDir keys;
        const QString ec = QStringLiteral("ec_paramgen_curve:prime256v1");
        QFile ext(keys.filePath("server.ext"));
        QVERIFY(ext.open(QIODevice::WriteOnly));
        ext.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n");
        ext.close();
        QVERIFY(run("openssl",
                    {"req", "-x509", "-newkey", "ec", "-pkeyopt", ec, "-nodes", "-days", "2",
                     "-subj", "/CN=Venue CA", "-keyout", "ca.key", "-out", "ca.crt"},
                    keys.path()));
        QVERIFY(run("openssl",
                    {"req", "-x509", "-newkey", "ec", "-pkeyopt", ec, "-nodes", "-days", "2",
                     "-subj", "/CN=Other CA", "-keyout", "other.key", "-out", "other.crt"},
                    keys.path()));
        QVERIFY(run("openssl",
                    {"req", "-newkey", "ec", "-pkeyopt", ec, "-nodes", "-subj", "/CN=localhost",
                     "-keyout", "server.key", "-out", "server.csr"},
                    keys.path()));
        QVERIFY(
            run("openssl",
                {"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                 "-CAcreateserial", "-days", "2", "-extfile", "server.ext", "-out", "server.crt"},
                keys.path()));
        const QString passwd = MosquittoBroker::program("mosquitto_passwd");
        QVERIFY(run(passwd, {"-c", "-b", "passwords", "north", "right one"}, keys.path()));
        QVERIFY(run(passwd, {"-b", "passwords", "viewer", "seen"}, keys.path()));
        // The access list the package carries, as it is.
        QVERIFY(QFile::copy(QStringLiteral(QUORVEX_EXAMPLES "/mosquitto/quorvex.acl"),
                            keys.filePath("quorvex.acl")));
        MosquittoBroker broker;
        QVERIFY(broker.start(QStringLiteral("cafile %1/ca.crt\ncertfile %1/server.crt\n"
                                            "keyfile %1/server.key\nallow_anonymous false\n"
                                            "password_file %1/passwords\n"
                                            "acl_file %1/quorvex.acl\n")
                                 .arg(keys.path())));
        const QString url = QStringLiteral("mqtts://localhost:%1").arg(broker.port());

        SweepViewer viewer;
        BrokerSettings settings;
        QString error;
        QVERIFY(BrokerSettings::parseUrl(url, &settings, &error));
        settings.caFile = keys.filePath("ca.crt");
        settings.user = "viewer";
        settings.password = "seen";
        viewer.start(settings, {"quorvex/v1/#"}, "tls-viewer");
        QVERIFY(viewer.waitConnected());

        for (const auto &[name, text] :
             {std::pair{"wrong", "wrong one\n"}, {"right", "right one\n"}}) {
            QFile file(keys.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
        QTemporaryDir dir;
        const QStringList common{"--id",   "north",   "--broker",   url,
                                 "--user", "north",   "--data-dir", dir.filePath("north"),
                                 "--sim",  "--seed 9"};

        // A wrong password: said with the broker and the reason, tried again, the scan kept.
        {
            SensorProcess sensor;
            QVERIFY(sensor.start(common
                                 + QStringList{"--cafile", keys.filePath("ca.crt"),
                                               "--password-file", keys.filePath("wrong")}));
            QVERIFY2(sensor.waitForLog(url + ": the broker refused the connection: Not authorized"),
                     qPrintable(sensor.log()));
            QVERIFY(waitFor([&] { return broker.log().count("not authorised") >= 2; }, 30000));
            QVERIFY(sensor.waitForLog("scanning"));
            QTest::qWait(2000);
            QCOMPARE(sensor.stop(), 0);
            QVERIFY(sweepsNumbered(sensor.log()) > 0);
        }
        // A certificate of another authority.
        qint64 numbered = 0;
        {
            SensorProcess sensor;
            QVERIFY(sensor.start(common
                                 + QStringList{"--cafile", keys.filePath("other.crt"),
                                               "--password-file", keys.filePath("right")}));
            QVERIFY2(sensor.waitForLog("certificate verify failed"), qPrintable(sensor.log()));
            QVERIFY(sensor.log().contains(url));
            QVERIFY(sensor.waitForLog("scanning"));
            QTest::qWait(2000);
            QCOMPARE(sensor.stop(), 0);
            numbered = sweepsNumbered(sensor.log());
        }
        QVERIFY(viewer.sweeps(k_sweeps).isEmpty());

        // Right at last: everything the two runs kept arrives, then the live sweeps.
        SensorProcess sensor;
        QVERIFY(sensor.start(common
                             + QStringList{"--cafile", keys.filePath("ca.crt"), "--password-file",
                                           keys.filePath("right")}));
        QVERIFY2(waitFor(
                     [&] {
                         const auto sweeps = viewer.sweeps(k_sweeps);
                         return contiguous(sweeps) && qint64(sweeps.size()) > numbered + 10;
                     },
                     60000),
                 qPrintable(sensor.log()));
        QCOMPARE(viewer.lastState().state, QStringLiteral("scanning"));

        // The access list refuses the sensor a topic of no sensor's: the replay is dropped
        // with a line, and one to its own replay topic goes through.
        viewer.client().publish(k_control, SensorControl::replayCommand(0, 9, "elsewhere/replay"));
        QVERIFY2(sensor.waitForLog(
                     "Replay on elsewhere/replay abandoned: the broker refused it: Not authorized"),
                 qPrintable(sensor.log()));
        const QString own = QStringLiteral("quorvex/v1/north/replay/viewer");
        viewer.client().publish(k_control, SensorControl::replayCommand(0, 9, own));
        QVERIFY(waitFor([&] { return viewer.sweeps(own).size() == 10; }, 30000));
        QVERIFY(viewer.sweeps("elsewhere/replay").isEmpty());
        QCOMPARE(sensor.stop(), 0);
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestQuorvexSensor)
#include "tst_quorvexsensor.moc"
