#include "QuietAir.h"
#include "QuorvexTest.h"
#include "TarnRun.h"
#include "data/HistoryJournal.h"
#include "data/JournalFormat.h"
#include "data/RecordingFile.h"
#include "pages/SurveyReport.h"
#include "tools/TarnCommand.h"

#include <QBuffer>
#include <QDir>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <ctime>

namespace {

constexpr qint64 k_t0 = 1765200000000; // 2025-12-08T13:20:00Z

RfSpectrumHistory siteRecording()
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(2400.0, 2500.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    WifiApInfo office;
    office.bssid = "02:00:00:00:00:01";
    office.ssid = "Office";
    WifiApInfo guest = office;
    guest.bssid = "02:00:00:00:00:02";
    for (int i = 0; i < 3; ++i) {
        RfSpectrumScan scan(501, qint8(-90));
        scan[0] = qint8(-40 - i);
        history.samples << RfSpectrumSample{k_t0 + 500 * i, scan,
                                            i ? WifiScan{office, guest} : WifiScan{office}};
    }
    history.timeEvents << TimeEvent{QDateTime::fromMSecsSinceEpoch(k_t0 + 500, Qt::UTC),
                                    "Door\nopened"};
    history.labels << SpectroLabel{QPointF(2437.5, -60.25), "oven \x1b[2J"};
    history.projectInfo = ProjectInfoData{"Arena", "P-7", QString(), "Jo"};
    return history;
}

} // namespace

class TestTarnCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_site;

private Q_SLOTS:
    void initTestCase()
    {
        // Local times print the same on every machine.
        qputenv("TZ", "UTC");
        tzset();
        // The reader's own log lines about the bad files are not this test's concern.
        QLoggingCategory::setFilterRules("quorvex.data.warning=false\nquorvex.data.critical=false");
        m_site = m_dir.filePath("site.tarn");
        QString error;
        QVERIFY2(RecordingFile::save(m_site, siteRecording(), &error), qPrintable(error));
        TarnCommand::setReportWriter([](const RfSpectrumHistory &history,
                                        const SurveyFigures::Options &options, const QString &path,
                                        QString *error) {
            return SurveyReport::write({history, options, "test"}, path, error);
        });
    }

    void info()
    {
        const TarnRun run = tarn({"info", m_site});
        QCOMPARE(run.status, int(TarnCommand::Done));
        QCOMPARE(run.err, QString());
        const QString expected = "File:           " + m_site
            + "\n"
              "Band:           2.4 GHz (2400 to 2500 MHz)\n"
              "Sweeps:         3\n"
              "First sweep:    2025-12-08T13:20:00.000Z\n"
              "Last sweep:     2025-12-08T13:20:01.000Z\n"
              "Duration:       00:00:01.000\n"
              "Mean interval:  500.0 ms\n"
              "Time events:    1\n"
              "  2025-12-08T13:20:00.500Z  Door\uFFFDopened\n"
              "Labels:         1\n"
              "  2437.500 MHz, -60.25 dBm  oven \uFFFD[2J\n"
              "Project name:   Arena\n"
              "Project ID:     P-7\n"
              "Scan location:  \n"
              "Technician:     Jo\n"
              "Access points:  2\n";
        QCOMPARE(run.out.split(QLatin1Char('\n')), expected.split(QLatin1Char('\n')));
    }

    void csv()
    {
        const TarnRun run = tarn({"csv", m_site});
        QCOMPARE(run.status, int(TarnCommand::Done));
        const QStringList rows = run.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 4);
        const QStringList header = rows.at(0).split(',');
        QCOMPARE(header.size(), 2 + 501);
        QCOMPARE(header.mid(0, 4),
                 (QStringList{"timestamp_ms", "local_time", "2400.00000", "2400.20000"}));
        QCOMPARE(header.last(), QString("2500.00000"));
        QVERIFY(rows.at(2).startsWith("1765200000500,2025-12-08T13:20:00.500Z,-41,-90,"));
        QCOMPARE(rows.at(3).split(',').size(), 2 + 501);

        // Into a file; a folder that does not exist is an output that cannot be written.
        const QString out = m_dir.filePath("site.csv");
        QCOMPARE(tarn({"csv", m_site, "-o", out}).status, int(TarnCommand::Done));
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), run.out);
        const TarnRun unwritable
            = tarn({"csv", m_site, "-o", m_dir.filePath("no/such/folder.csv")});
        QCOMPARE(unwritable.status, int(TarnCommand::Unwritable));
        QVERIFY(unwritable.err.startsWith("quorvex-tarn: cannot write "));
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("zeros") << QByteArray(4096, '\0')
                               << "it is not a recording of either band (its frequency range is "
                                  "0 to 0 MHz)";
        QTest::newRow("text") << QByteArray("Not a recording at all, but some text.\n").repeated(10)
                              << "it is not a recording of either band";
        // A whole recording whose sample count promises more samples than its bytes hold.
        QByteArray forged;
        QBuffer buffer(&forged);
        buffer.open(QIODevice::WriteOnly);
        RecordingFile::write(buffer, siteRecording());
        forged[40] = char(0x7f); // the sample count's high byte
        QTest::newRow("forged count") << forged << "the file is damaged after 0 whole sweeps";
    }

    void unreadableFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString path = m_dir.filePath("bad.tarn");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        for (const char *command : {"info", "csv"}) {
            const TarnRun run = tarn({command, path});
            QCOMPARE(run.status, int(TarnCommand::Unreadable));
            QVERIFY2(run.err.startsWith("quorvex-tarn: cannot read " + path + ": " + reason),
                     qPrintable(run.err));
            QCOMPARE(run.out, QString());
        }
    }

    void cutShort()
    {
        QFile site(m_site);
        QVERIFY(site.open(QIODevice::ReadOnly));
        const QByteArray bytes = site.readAll();
        const QString path = m_dir.filePath("cut.tarn");
        QFile cut(path);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        // Two whole sweeps and part of the third.
        cut.write(bytes.left(44 + 2 * 517 + 100 + 300));
        cut.close();
        const TarnRun run = tarn({"info", path});
        QCOMPARE(run.status, int(TarnCommand::Done));
        QCOMPARE(run.err,
                 "quorvex-tarn: warning: " + path + " ends early; it holds 2 whole sweeps\n");
        QVERIFY(run.out.contains("Sweeps:         2\n"));
    }

    // The plans of the recording's band, quietest first; options narrow them down.
    void advise()
    {
        RfSpectrumHistory history = siteRecording();
        // A carrier over 2450-2480 MHz in every sweep.
        QList<RfSpectrumSample> samples = history.samples.toList();
        for (RfSpectrumSample &sample : samples) {
            for (int j = 250; j <= 400; ++j)
                sample.scan[j] = qint8(-60);
        }
        history.samples = SampleStore::fromList(samples);
        const QString path = m_dir.filePath("carrier.tarn");
        QString error;
        QVERIFY(RecordingFile::save(path, history, &error));
        const TarnRun all = tarn({"advise", path});
        QCOMPARE(all.status, int(TarnCommand::Done));
        const QStringList lines = all.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() > 10);
        QVERIFY2(lines.first().startsWith("24110 0.00% -90.0 dBm  (1 universe, Low)"),
                 qPrintable(lines.first()));
        QVERIFY(lines.last().startsWith("24340 100.00% -60.0 dBm"));
        const QStringList five
            = tarn({"advise", path, "--universes", "5"}).out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(five.first().startsWith("24310 "));
        QVERIFY(five.filter(QRegularExpression("^24[12]")).isEmpty());
        // Only the first sweep, 1765200000000.
        const TarnRun first = tarn({"advise", path, "--from", "0", "--to", "1765200000000"});
        QCOMPARE(first.out.split('\n', Qt::SkipEmptyParts).size(), lines.size());
        const TarnRun none = tarn({"advise", path, "--from", "1765300000000"});
        QCOMPARE(none.out, QString());
        QVERIFY(none.err.contains("holds no sweeps to rank in that time"));
        QCOMPARE(tarn({"advise", path, "--threshold", "loud"}).status, int(TarnCommand::Usage));
        QCOMPARE(tarn({"info", path, "--universes", "2"}).status, int(TarnCommand::Usage));
        QCOMPARE(tarn({"advise", m_dir.filePath("missing.tarn")}).status,
                 int(TarnCommand::Unreadable));
    }

    // Where the air of a recording from the program's writer changed, in time order, then
    // its own time events; the options narrow the search down.
    void events()
    {
        QuietAir air(3000);
        air.carrier(200, 219, 1000, 1300, -55);
        air.carrier(400, 404, 2500, 3000, -50);
        RfSpectrumHistory history = air.history();
        history.timeEvents << TimeEvent{QDateTime::fromMSecsSinceEpoch(air.time(1500)),
                                        "Doors open"}
                           << TimeEvent{QDateTime::fromMSecsSinceEpoch(air.time(100)),
                                        "Sound check\x1b"};
        const QString path = m_dir.filePath("show.tarn");
        QString error;
        QVERIFY(RecordingFile::save(path, history, &error));

        const TarnRun run = tarn({"events", path});
        QCOMPARE(run.status, int(TarnCommand::Done));
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out.split('\n'),
                 QString("00:01:40  2440.0-2443.8 MHz  -55 dBm  00:00:29\n"
                         "00:04:10  2480.0-2480.8 MHz  -50 dBm  00:00:49  (still busy at the end)\n"
                         "00:00:10  time event: Sound check\uFFFD\n"
                         "00:02:30  time event: Doors open\n")
                     .split('\n'));
        QCOMPARE(tarn({"events", path, "--min-seconds", "40"}).out.count("MHz"), 1);
        QVERIFY(tarn({"events", path, "--threshold", "-52"}).out.startsWith("00:04:10  2480.0"));

        // Cut short in the quiet minute: a warning, and no change in what it holds.
        QFile whole(path);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QString cutPath = m_dir.filePath("show-cut.tarn");
        QFile cut(cutPath);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.read(44 + 900 * 517 + 200));
        cut.close();
        const TarnRun short_ = tarn({"events", cutPath});
        QCOMPARE(short_.status, int(TarnCommand::Done));
        QCOMPARE(short_.out, QString());
        QVERIFY(short_.err.contains("ends early; it holds 900 whole sweeps"));

        for (const QStringList &wrong : {QStringList{"events", path, "--min-seconds", "-1"},
                                         {"events", path, "--min-seconds", "soon"},
                                         {"events", path, "--threshold", "nan"},
                                         {"events", path, "--universes", "2"},
                                         {"info", path, "--min-seconds", "5"},
                                         {"events"}})
            QCOMPARE(tarn(wrong).status, int(TarnCommand::Usage));
        QCOMPARE(tarn({"events", m_dir.filePath("missing.tarn")}).status,
                 int(TarnCommand::Unreadable));
        const QString textPath = m_dir.filePath("notes.txt");
        QFile notes(textPath);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write(QByteArray("Not a recording at all, but some text.\n").repeated(10));
        notes.close();
        const TarnRun text = tarn({"events", textPath});
        QCOMPARE(text.status, int(TarnCommand::Unreadable));
        QVERIFY(text.err.contains("not a recording of either band"));

        // The report's events: those placed and those found, in time order; from a later
        // start, only what starts in its stretch.
        const auto reportEvents = [&](const QStringList &options) {
            const QString pdf = m_dir.filePath("show.pdf");
            const TarnRun run = tarn(QStringList{"report", path, "-o", pdf} + options);
            QProcess text;
            text.start("pdftotext", {"-layout", pdf, "-"});
            text.waitForFinished(30000);
            QStringList events;
            for (const QString &line :
                 QString::fromUtf8(text.readAllStandardOutput()).split('\n')) {
                const QString simple = line.simplified();
                if (simple.contains(" Turned busy: ") || simple.contains(" Doors open")
                    || simple.contains(" Sound check"))
                    events << simple.section(' ', 2);
            }
            return run.status == TarnCommand::Done ? events : QStringList{"failed"};
        };
        QCOMPARE(
            reportEvents({}),
            (QStringList{"Sound check", "Turned busy: 2440.0-2443.8 MHz, peak -55 dBm, for 0:00:29",
                         "Doors open",
                         "Turned busy: 2480.0-2480.8 MHz, peak -50 dBm, for 0:00:49 (still "
                         "busy at the end)"}));
        QCOMPARE(reportEvents({"--from", QString::number(air.time(1200))}).size(), 2);
    }

    void commandLine()
    {
        const TarnRun help = tarn({"--help"});
        QCOMPARE(help.status, int(TarnCommand::Done));
        QVERIFY(help.out.contains("info FILE"));
        QVERIFY(help.out.contains("csv FILE [-o OUT]"));
        QVERIFY(help.out.contains("events FILE [--threshold DBM] [--min-seconds S]"));
        for (const QStringList &wrong :
             {QStringList{}, QStringList{"info"}, QStringList{"report", m_site},
              QStringList{"info", m_site, "-o", "x.csv"}, QStringList{"info", m_site, "--bogus"}}) {
            const TarnRun run = tarn(wrong);
            QCOMPARE(run.status, int(TarnCommand::Usage));
            QVERIFY(run.err.startsWith("quorvex-tarn: "));
        }
        const TarnRun missing = tarn({"info", m_dir.filePath("missing.tarn")});
        QCOMPARE(missing.status, int(TarnCommand::Unreadable));
        QVERIFY(missing.err.contains("it cannot be opened"));
    }

    // The scans a run left unsaved: listed, written out as a recording, with the exit
    // statuses of nothing to recover, a wrong command line and an output not written.
    void recover()
    {
        QDir(JournalFormat::folder()).removeRecursively();
        QCOMPARE(tarn({"recover", "-o", m_dir.filePath("none.tarn")}).status,
                 int(TarnCommand::Unreadable));
        QVERIFY(tarn({"recover", "--list"}).out.startsWith("No unsaved scans in "));
        for (const QStringList &wrong : {QStringList{"recover"},
                                         {"recover", "--list", "-o", "x"},
                                         {"recover", "a", "b", "-o", "x"},
                                         {"info", m_site, "--list"}})
            QCOMPARE(tarn(wrong).status, int(TarnCommand::Usage));

        const RfSpectrumHistory site = siteRecording();
        HistoryJournal journal;
        QVERIFY(journal.begin(site, "1.0"));
        journal.close();
        const TarnRun list = tarn({"recover", "--list"});
        QCOMPARE(list.status, int(TarnCommand::Done));
        QCOMPARE(list.out,
                 journal.path()
                     + "\n  2.4 GHz, 3 sweeps from 2025-12-08T13:20:00.000Z, "
                       "00:00:01.000\n");

        QCOMPARE(tarn({"recover", "-o", m_dir.filePath("no/such/folder.tarn")}).status,
                 int(TarnCommand::Unwritable));
        const TarnRun run = tarn({"recover", "-o", m_dir.filePath("rescued.tarn")});
        QCOMPARE(run.status, int(TarnCommand::Done));
        RfSpectrumHistory rescued;
        QFile file(m_dir.filePath("rescued.tarn"));
        QVERIFY(RecordingFile::load(file, rescued).isEmpty());
        QCOMPARE(rescued, site);

        // The recording is on the disk before its journal may go: the folder is synced after
        // the rename that put the file in place (seen in the system calls of the program).
        const QString strace = QStandardPaths::findExecutable("strace");
        if (!strace.isEmpty()) {
            const QString log = m_dir.filePath("calls.log");
            const QString traced = m_dir.filePath("traced.tarn");
            QProcess program;
            program.start(strace,
                          {"-f", "-o", log, "-e",
                           "trace=openat,rename,renameat,renameat2,linkat,fsync",
                           QUORVEX_TARN_BINARY, "recover", journal.path(), "-o", traced});
            QVERIFY(program.waitForFinished(60000));
            QFile calls(log);
            QVERIFY(calls.open(QIODevice::ReadOnly));
            const QStringList lines = QString::fromUtf8(calls.readAll()).split('\n');
            if (program.exitCode() != 0 && !QFile::exists(traced))
                QSKIP("strace cannot trace programs here");
            int renamed = -1;
            for (int i = 0; i < lines.size() && renamed < 0; ++i) {
                if ((lines.at(i).contains("rename") || lines.at(i).contains("linkat"))
                    && lines.at(i).contains('"' + traced + '"'))
                    renamed = i;
            }
            QVERIFY2(renamed >= 0, qPrintable(lines.join('\n')));
            const QRegularExpression folderOpened(
                QString("openat\\(AT_FDCWD, \"%1\", [^)]*O_DIRECTORY[^)]*\\) = (\\d+)")
                    .arg(QRegularExpression::escape(m_dir.path())));
            bool synced = false;
            QString folderFd;
            for (int i = renamed + 1; i < lines.size() && !synced; ++i) {
                const QRegularExpressionMatch opened = folderOpened.match(lines.at(i));
                if (opened.hasMatch())
                    folderFd = opened.captured(1);
                synced = !folderFd.isEmpty()
                    && QRegularExpression(QString("fsync\\(%1\\)\\s*= 0").arg(folderFd))
                           .match(lines.at(i))
                           .hasMatch();
            }
            QVERIFY2(synced, qPrintable(lines.mid(renamed).join('\n')));
        }

        // Named, and cut inside its last record: what comes before, with a warning.
        QFile cut(journal.path());
        QVERIFY(cut.resize(cut.size() - 3));
        const TarnRun damaged
            = tarn({"recover", journal.path(), "-o", m_dir.filePath("rescued-cut.tarn")});
        QCOMPARE(damaged.status, int(TarnCommand::Done));
        QVERIFY(damaged.err.contains("warning: " + journal.path()
                                     + ": its last record was "
                                       "unfinished"));
        journal.discard();
    }

    // The report: written as a PDF of the stretch asked for; the exits of a wrong command line,
    // a file that cannot be read and a report that cannot be written.
    void report()
    {
        QCOMPARE(tarn({"report", m_site}).status, int(TarnCommand::Usage));
        QCOMPARE(
            tarn({"report", m_dir.filePath("missing.tarn"), "-o", m_dir.filePath("m.pdf")}).status,
            int(TarnCommand::Unreadable));
        const TarnRun unwritable = tarn({"report", m_site, "-o", m_dir.filePath("no/such/r.pdf")});
        QCOMPARE(unwritable.status, int(TarnCommand::Unwritable));
        QVERIFY(unwritable.err.startsWith("quorvex-tarn: cannot write "));
        const TarnRun run = tarn({"report", m_site, "-o", m_dir.filePath("site.pdf"), "--threshold",
                                  "-70", "--from", QString::number(k_t0 + 500)});
        QCOMPARE(run.status, int(TarnCommand::Done));
        QProcess text;
        text.start("pdftotext", {"-layout", m_dir.filePath("site.pdf"), "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString report = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY(report.contains("threshold -70 dBm"));
        QVERIFY(QRegularExpression("Sweeps\\s+2\\n").match(report).hasMatch());
    }

    // The installed program: its exit status and streams.
    void program()
    {
        QProcess process;
        process.start(QUORVEX_TARN_BINARY, {"info", m_site});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(process.readAllStandardOutput().contains("Sweeps:         3\n"));
        process.start(QUORVEX_TARN_BINARY, {"csv", QFINDTESTDATA("tst_tarncommand.cpp")});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), int(TarnCommand::Unreadable));
        QVERIFY(process.readAllStandardError().contains("cannot read"));
    }
};

QUORVEX_TEST_MAIN_IMPL(QGuiApplication, TestTarnCommand)
#include "tst_tarncommand.moc"
