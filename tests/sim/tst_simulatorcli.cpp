#include "../comms/CrcReference.h"
#include "QuorvexTest.h"
#include "sim/SimulatedAnalyzer.h"
#include "sim/SimulatorCommandLine.h"
#include "sim/SimulatorConsole.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>

// quorvex-sim: its command line, its console commands and the program itself.
class TestSimulatorCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults()
    {
        SimulatorCommandLine commandLine;
        QCOMPARE(commandLine.parse({"quorvex-sim"}), SimulatorCommandLine::Result::Run);
        const SimulatedAnalyzerSettings settings = commandLine.settings();
        QCOMPARE(settings.seed, 1u);
        QVERIFY(settings.throttle);
        QCOMPARE(settings.hostInfo, QString("1.0.0.9.0.69"));
        QCOMPARE(settings.radioInfo, QString("1.0.0.9.0.0"));
        QVERIFY(settings.linkPath.isEmpty());
        QCOMPARE(settings.dropAcks + settings.corruptCrcEvery + settings.garbageEvery
                     + settings.stallEverySweeps + settings.hangUpAfterSweeps
                     + settings.replugAfterMs,
                 0);
        QCOMPARE(settings.carrierWidthMHz, 0.0);
        QVERIFY(!commandLine.verbose());
    }

    void options()
    {
        SimulatorCommandLine commandLine;
        QCOMPARE(commandLine.parse({"quorvex-sim",
                                    "--seed",
                                    "42",
                                    "--sweep-time-900",
                                    "7",
                                    "--sweep-time-2400=9",
                                    "--no-throttle",
                                    "--host-info",
                                    "H",
                                    "--radio-info",
                                    "R",
                                    "--fw-version",
                                    "1.-2.255",
                                    "--device-version",
                                    "D",
                                    "--link",
                                    "/tmp/x",
                                    "--drop-acks",
                                    "3",
                                    "--corrupt-crc-every",
                                    "4",
                                    "--garbage-every",
                                    "5",
                                    "--stall-every",
                                    "6",
                                    "--stall-ms",
                                    "700",
                                    "--hang-up-after",
                                    "8",
                                    "--replug-after",
                                    "900",
                                    "--unplug-at-host-bl",
                                    "--carrier",
                                    "2476.6,4,-55",
                                    "--carrier-off",
                                    "--verbose"}),
                 SimulatorCommandLine::Result::Run);
        const SimulatedAnalyzerSettings s = commandLine.settings();
        QCOMPARE(s.seed, 42u);
        QCOMPARE(s.sweepTime900Ms, 7);
        QCOMPARE(s.sweepTime2400Ms, 9);
        QVERIFY(!s.throttle);
        QCOMPARE(s.hostInfo, QString("H"));
        QCOMPARE(s.radioInfo, QString("R"));
        QCOMPARE(s.firmwareVersion, QByteArray::fromHex("01feff"));
        QCOMPARE(s.deviceVersion, QString("D"));
        QCOMPARE(s.linkPath, QString("/tmp/x"));
        QCOMPARE(s.dropAcks, 3);
        QCOMPARE(s.corruptCrcEvery, 4);
        QCOMPARE(s.garbageEvery, 5);
        QCOMPARE(s.stallEverySweeps, 6);
        QCOMPARE(s.stallMs, 700);
        QCOMPARE(s.hangUpAfterSweeps, 8);
        QCOMPARE(s.replugAfterMs, 900);
        QVERIFY(s.unplugAtHostBootloader);
        QCOMPARE(s.carrierMHz, 2476.6);
        QCOMPARE(s.carrierWidthMHz, 4.0);
        QCOMPARE(s.carrierDbm, -55.0);
        QVERIFY(!s.carrierOn);
        QVERIFY(commandLine.verbose());
        // The width and level have defaults.
        QCOMPARE(commandLine.parse({"quorvex-sim", "--carrier", "915"}),
                 SimulatorCommandLine::Result::Run);
        QCOMPARE(commandLine.settings().carrierWidthMHz, 2.0);
        QCOMPARE(commandLine.settings().carrierDbm, -50.0);
        QVERIFY(commandLine.settings().carrierOn);
    }

    void badOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown") << QStringList{"--bogus"} << "bogus";
        QTest::newRow("negative") << QStringList{"--drop-acks", "-1"} << "--drop-acks";
        QTest::newRow("not a number") << QStringList{"--stall-ms", "soon"} << "--stall-ms";
        QTest::newRow("seed") << QStringList{"--seed", "-3"} << "--seed";
        QTest::newRow("version byte") << QStringList{"--fw-version", "1.256"} << "--fw-version";
        QTest::newRow("empty version part")
            << QStringList{"--fw-version", "1..2"} << "--fw-version";
        QTest::newRow("argument") << QStringList{"extra"} << "extra";
        QTest::newRow("missing value") << QStringList{"--seed"} << "seed";
        QTest::newRow("carrier") << QStringList{"--carrier", "loud"} << "--carrier";
        QTest::newRow("carrier width") << QStringList{"--carrier", "2440,0"} << "--carrier";
        QTest::newRow("carrier level") << QStringList{"--carrier", "2440,2,10"} << "--carrier";
        QTest::newRow("carrier parts") << QStringList{"--carrier", "2440,2,-50,1"} << "--carrier";
    }

    void badOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        SimulatorCommandLine commandLine;
        QCOMPARE(commandLine.parse(QStringList{"quorvex-sim"} + arguments),
                 SimulatorCommandLine::Result::Error);
        QVERIFY2(commandLine.errorText().contains(message), qPrintable(commandLine.errorText()));
    }

    void consoleCommands()
    {
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        SimulatorConsole console(&sim);
        QSignalSpy quit(&console, &SimulatorConsole::quitRequested);
        QVERIFY(console.execute("status").startsWith("Plugged in: " + sim.portName()));
        QCOMPARE(console.execute("hangup"), QString("Unplugged"));
        QVERIFY(!sim.isPluggedIn());
        QCOMPARE(console.execute("status"), "Unplugged: " + sim.portName());
        QVERIFY(console.execute("  PLUGIN ").startsWith("Plugged in: /dev/"));
        QVERIFY(sim.isPluggedIn());
        QCOMPARE(console.execute("garbage 3"), QString("Sent 3 stray bytes"));
        QCOMPARE(console.execute("stall 10"), QString("Stalled for 10 ms"));
        QVERIFY(console.execute("drop-acks 2").contains("2"));
        QVERIFY(console.execute("corrupt-crc-every 0").contains("0"));
        QVERIFY(console.execute("garbage-every 0").contains("0"));
        QVERIFY(console.execute("drop-acks").startsWith("Unknown command"));
        QVERIFY(console.execute("stall -5").startsWith("Bad arguments"));
        QVERIFY(console.execute("hangup now").startsWith("Bad arguments"));
        QVERIFY(console.execute("explode").startsWith("Unknown command"));
        QVERIFY(console.execute("   ").isEmpty());
        QVERIFY(console.execute("carrier on").startsWith("No carrier"));
        sim.setCarrier(2476.6, 4.0, -50.0);
        QCOMPARE(console.execute("carrier off"), QString("Carrier off"));
        QVERIFY(!sim.settings().carrierOn);
        QCOMPARE(console.execute("Carrier ON"), QString("Carrier on"));
        QVERIFY(sim.settings().carrierOn);
        QVERIFY(console.execute("carrier").startsWith("Bad arguments"));
        QVERIFY(console.execute("carrier dim").startsWith("Bad arguments"));
        QVERIFY(quit.isEmpty());
        QCOMPARE(console.execute("quit"), QString("Quitting"));
        QCOMPARE(quit.count(), 1);
    }

    void helpDocumentsEveryOption()
    {
        QProcess program;
        program.start(QUORVEX_SIM_PROGRAM, {"--help"});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);
        const QString help = QString::fromLocal8Bit(program.readAllStandardOutput());
        for (const char *option : {"--seed <n>",
                                   "--sweep-time-900 <ms>",
                                   "--sweep-time-2400 <ms>",
                                   "--no-throttle",
                                   "--host-info <text>",
                                   "--radio-info <text>",
                                   "--fw-version",
                                   "--device-version",
                                   "--link <path>",
                                   "--drop-acks <n>",
                                   "--corrupt-crc-every <n>",
                                   "--garbage-every <n>",
                                   "--stall-every <n>",
                                   "--stall-ms <ms>",
                                   "--hang-up-after <n>",
                                   "--replug-after <ms>",
                                   "--unplug-at-host-bl",
                                   "--carrier <MHZ[,WIDTH[,DBM]]>",
                                   "--carrier-off",
                                   "carrier on",
                                   "--verbose",
                                   "--help",
                                   "--version",
                                   "hangup",
                                   "plugin",
                                   "quit"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
    }

    void rejectsBadOptions()
    {
        QProcess program;
        program.start(QUORVEX_SIM_PROGRAM, {"--stall-ms", "x"});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 2);
        QVERIFY(program.readAllStandardError().contains("--stall-ms"));
    }

    // The program prints its port first, answers there, and ends cleanly when told to.
    void runsUntilStopped_data()
    {
        QTest::addColumn<bool>("bySignal");
        QTest::newRow("SIGTERM") << true;
        QTest::newRow("quit") << false;
    }

    void runsUntilStopped()
    {
        QFETCH(bool, bySignal);
        QProcess program;
        program.start(QUORVEX_SIM_PROGRAM, {"--no-throttle"});
        QVERIFY(program.waitForStarted(10000));
        QVERIFY(program.waitForReadyRead(10000));
        while (!program.canReadLine())
            QVERIFY(program.waitForReadyRead(10000));
        const QString portName = QString::fromLocal8Bit(program.readLine()).trimmed();
        QVERIFY(QFileInfo(portName).isSymLink());
        while (!program.canReadLine())
            QVERIFY(program.waitForReadyRead(10000));
        QVERIFY(program.readLine().startsWith("pseudo-terminal: /dev/"));

        QSerialPort port(portName);
        QVERIFY(port.open(QIODevice::ReadWrite));
        port.write(referenceFrame(0x01));
        QByteArray reply;
        while (reply.size() < 5 && port.waitForReadyRead(5000))
            reply += port.readAll();
        QCOMPARE(reply, referenceFrame(0x01));
        port.close();

        if (bySignal)
            program.terminate();
        else
            program.write("quit\n");
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(portName));
        QVERIFY(!QFileInfo::exists(QFileInfo(portName).path()));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSimulatorCli)
#include "tst_simulatorcli.moc"
