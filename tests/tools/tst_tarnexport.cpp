#include "QuorvexTest.h"
#include "TarnRun.h"
#include "data/RecordingFile.h"
#include "tools/TarnCommand.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <random>

namespace {

constexpr qint64 k_t0 = 1765200000000;
constexpr int k_sweeps = 400;

bool isFiller(const RfSpectrumScan &scan)
{
    for (const qint8 v : scan) {
        if (v != -128)
            return false;
    }
    return true;
}

// A site on 900 MHz, 100 ms a sweep: a carrier at step 40, a hopper, noise; runs of gap filler
// (as the program writes while it sweeps the other band) at sweeps 100 to 149 and at the end.
RfSpectrumHistory site900(bool withFillers)
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(902.0, 928.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    std::mt19937 rng(22);
    std::uniform_int_distribution<int> noise(-104, -88);
    std::uniform_int_distribution<int> hop(0, 251);
    for (int i = 0; i < k_sweeps; ++i) {
        RfSpectrumScan scan(252);
        for (int j = 0; j < 252; ++j)
            scan[j] = qint8(noise(rng));
        scan[40] = qint8(-60 - i % 7);
        scan[hop(rng)] = qint8(-50 - i % 23);
        const bool filler = (i >= 100 && i < 150) || i >= k_sweeps - 5;
        if (filler) {
            if (!withFillers)
                continue;
            scan.fill(-128);
        }
        history.samples << RfSpectrumSample{k_t0 + 100 * i, scan, WifiScan()};
    }
    return history;
}

// What the export must hold, worked out here sweep by sweep from the recording's own sweeps:
// the frequency in whole hertz rounded to the kilohertz, levels in tenths rounded half away
// from zero.
struct Expected
{
    QStringList coordinationMax;
    QStringList coordinationAverage;
    QStringList coordinationLast;
    QStringList summary;
};

QString tenths(double value)
{
    const double rounded = std::copysign(std::floor(std::abs(value) * 10.0 + 0.5), value) / 10.0;
    return QString::number(rounded, 'f', 1);
}

Expected expectedOf(const RfSpectrumHistory &history, qint64 fromMs, qint64 toMs, int threshold,
                    qint64 startHz, qint64 stepHz)
{
    QList<RfSpectrumScan> sweeps;
    for (const RfSpectrumSample &sample : history.samples.toList()) {
        if (sample.timestamp >= fromMs && sample.timestamp <= toMs && !isFiller(sample.scan))
            sweeps.append(sample.scan);
    }
    Expected expected;
    expected.summary << "frequency_mhz,max_dbm,average_dbm,busy_percent";
    const int n = sweeps.first().size();
    for (int j = 0; j < n; ++j) {
        const qint64 kilohertz = std::llround(double(startHz + j * stepHz) / 1000.0);
        const QString mhz = QString::number(double(kilohertz) / 1000.0, 'f', 3);
        int max = -128;
        qint64 sum = 0;
        int busy = 0;
        for (const RfSpectrumScan &scan : qAsConst(sweeps)) {
            max = qMax(max, int(scan.at(j)));
            sum += scan.at(j);
            busy += scan.at(j) >= threshold ? 1 : 0;
        }
        const QString average = tenths(double(sum) / sweeps.size());
        const QString maxText = QString::number(max) + ".0";
        expected.coordinationMax << mhz + ", " + maxText;
        expected.coordinationAverage << mhz + ", " + average;
        expected.coordinationLast << mhz + ", " + QString::number(sweeps.last().at(j)) + ".0";
        expected.summary << mhz + "," + maxText + "," + average + ","
                + tenths(100.0 * busy / sweeps.size());
    }
    return expected;
}

QStringList linesOf(const QString &text)
{
    QStringList lines = text.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Fails the calling test at the first line that differs.
void compareLines(const QStringList &actual, const QStringList &expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        if (actual.at(i) != expected.at(i))
            QFAIL(qPrintable(QString("line %1: \"%2\", expected \"%3\"")
                                 .arg(i + 1)
                                 .arg(actual.at(i), expected.at(i))));
    }
}

} // namespace

// quorvex-tarn export on recordings written by the program's writer, every line against what
// the test works out itself from the sweeps.
class TestTarnExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_site;
    QString m_plain;

private Q_SLOTS:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules("quorvex.data.warning=false\nquorvex.data.critical=false");
        m_site = m_dir.filePath("site.tarn");
        m_plain = m_dir.filePath("plain.tarn");
        QString error;
        QVERIFY2(RecordingFile::save(m_site, site900(true), &error), qPrintable(error));
        QVERIFY2(RecordingFile::save(m_plain, site900(false), &error), qPrintable(error));
    }

    void everyLine_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<qint64>("fromMs");
        QTest::addColumn<qint64>("toMs");
        QTest::addColumn<int>("kind"); // 0 max, 1 average, 2 last, 3 summary
        QTest::addColumn<int>("threshold");
        const qint64 all = std::numeric_limits<qint64>::max();
        QTest::newRow("coordination, max by default")
            << QStringList{} << qint64(0) << all << 0 << -80;
        QTest::newRow("average") << QStringList{"--trace", "average"} << qint64(0) << all << 1
                                 << -80;
        QTest::newRow("last sweep, fillers at the end")
            << QStringList{"--trace", "last"} << qint64(0) << all << 2 << -80;
        // From the middle of the first run of fillers to before the last: both ends inclusive.
        QTest::newRow("a stretch") << QStringList{"--trace", "average",
                                                  "--from",  QString::number(k_t0 + 12000),
                                                  "--to",    QString::number(k_t0 + 30000)}
                                   << k_t0 + 12000 << k_t0 + 30000 << 1 << -80;
        QTest::newRow("last sweep of a stretch")
            << QStringList{"--trace", "last", "--to", QString::number(k_t0 + 14900)} << qint64(0)
            << k_t0 + 14900 << 2 << -80;
        QTest::newRow("summary") << QStringList{"--format", "summary"} << qint64(0) << all << 3
                                 << -80;
        QTest::newRow("summary at -95 over a stretch")
            << QStringList{"--format", "summary", "--threshold",
                           "-95",      "--from",  QString::number(k_t0 + 5050)}
            << k_t0 + 5050 << all << 3 << -95;
        QTest::newRow("a threshold between whole dBm")
            << QStringList{"--format", "summary", "--threshold", "-90.5"} << qint64(0) << all << 3
            << -90;
    }

    void everyLine()
    {
        QFETCH(QStringList, options);
        QFETCH(qint64, fromMs);
        QFETCH(qint64, toMs);
        QFETCH(int, kind);
        QFETCH(int, threshold);
        const Expected expected
            = expectedOf(site900(true), fromMs, toMs, threshold, 902000000, 103250);
        const QStringList lines[] = {expected.coordinationMax, expected.coordinationAverage,
                                     expected.coordinationLast, expected.summary};
        const TarnRun run = tarn(QStringList{"export", m_site} + options);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, int(TarnCommand::Done));
        compareLines(linesOf(run.out), lines[kind]);
        QVERIFY(run.out.endsWith('\n'));

        // The gap fillers count in nothing: the recording without them exports the same.
        QCOMPARE(tarn(QStringList{"export", m_plain} + options).out, run.out);
    }

    void coordinationShape()
    {
        const QStringList lines = linesOf(tarn({"export", m_site}).out);
        QCOMPARE(lines.size(), 252);
        QVERIFY(lines.at(0).startsWith("902.000, -"));
        QVERIFY(lines.at(1).startsWith("902.103, -"));
        QVERIFY(lines.at(2).startsWith("902.207, -")); // 902.2065 MHz
        QVERIFY(lines.at(251).startsWith("927.916, -"));
        const QRegularExpression shape("^\\d{3,4}\\.\\d{3}, -?\\d{1,3}\\.\\d$");
        for (const QString &line : lines)
            QVERIFY2(shape.match(line).hasMatch(), qPrintable(line));

        // 2.4 GHz: 501 steps of 200 kHz.
        RfSpectrumHistory wide;
        wide.freqInterval = QwtInterval(2400.0, 2500.0);
        wide.rssiInterval = QwtInterval(-100.0, -30.0);
        RfSpectrumScan scan(501, qint8(-90));
        scan[60] = -57;
        wide.samples << RfSpectrumSample{k_t0, scan, WifiScan()};
        const QString path = m_dir.filePath("wide.tarn");
        QString error;
        QVERIFY(RecordingFile::save(path, wide, &error));
        const QStringList wideLines = linesOf(tarn({"export", path}).out);
        QCOMPARE(wideLines.size(), 501);
        QCOMPARE(wideLines.at(0), QString("2400.000, -90.0"));
        QCOMPARE(wideLines.at(60), QString("2412.000, -57.0"));
        QCOMPARE(wideLines.at(500), QString("2500.000, -90.0"));
    }

    void toFile()
    {
        const QString out = m_dir.filePath("scan.txt");
        const TarnRun run = tarn({"export", m_site, "-o", out});
        QCOMPARE(run.status, int(TarnCommand::Done));
        QCOMPARE(run.out, QString());
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), tarn({"export", m_site}).out);
    }

    void unwritable()
    {
        // A folder that does not exist, and a file that exists in a folder that may not be
        // written: the file is left as it was.
        const TarnRun missing = tarn({"export", m_site, "-o", m_dir.filePath("no/such/scan.txt")});
        QCOMPARE(missing.status, int(TarnCommand::Unwritable));
        QVERIFY2(missing.err.startsWith("quorvex-tarn: cannot write "), qPrintable(missing.err));
        QCOMPARE(missing.out, QString());

        QTemporaryDir locked;
        const QString kept = locked.filePath("kept.txt");
        QFile file(kept);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("before\n");
        file.close();
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool enforced = !QFileInfo(locked.path()).isWritable();
        const TarnRun readOnly = tarn({"export", m_site, "-o", kept});
        QFile::setPermissions(locked.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!enforced)
            QSKIP("Folder permissions are not enforced for this user (root)");
        QCOMPARE(readOnly.status, int(TarnCommand::Unwritable));
        QVERIFY(readOnly.err.contains("cannot write " + kept));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("before\n"));
    }

    void unreadable()
    {
        const TarnRun missing = tarn({"export", m_dir.filePath("missing.tarn")});
        QCOMPARE(missing.status, int(TarnCommand::Unreadable));
        QVERIFY(missing.err.contains("cannot read"));
        const QString text = m_dir.filePath("notes.tarn");
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Not a recording at all, but some text.\n").repeated(10));
        file.close();
        const QString out = m_dir.filePath("never.txt");
        const TarnRun garbage = tarn({"export", text, "-o", out});
        QCOMPARE(garbage.status, int(TarnCommand::Unreadable));
        QVERIFY(garbage.err.contains("it is not a recording of either band"));
        QVERIFY(!QFile::exists(out));
    }

    void nothingToExport()
    {
        // A stretch after the last sweep, and one of gap filler alone: nothing is written.
        const QString out = m_dir.filePath("empty.txt");
        const TarnRun late
            = tarn({"export", m_site, "--from", QString::number(k_t0 + 100000), "-o", out});
        QCOMPARE(late.status, int(TarnCommand::Unreadable));
        QVERIFY(late.err.contains("holds no sweeps to export in that time"));
        const TarnRun fillers = tarn({"export", m_site, "--from", QString::number(k_t0 + 10000),
                                      "--to", QString::number(k_t0 + 14900), "-o", out});
        QCOMPARE(fillers.status, int(TarnCommand::Unreadable));
        QVERIFY(!QFile::exists(out));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("format") << QStringList{"--format", "wwb"} << "--format is coordination";
        QTest::newRow("trace") << QStringList{"--trace", "min"} << "--trace is max, average";
        QTest::newRow("trace of a summary")
            << QStringList{"--format", "summary", "--trace", "max"} << "--trace chooses";
        QTest::newRow("threshold of a coordination scan")
            << QStringList{"--threshold", "-70"} << "--threshold sets";
        QTest::newRow("universes") << QStringList{"--universes", "2"} << "usage";
        QTest::newRow("not a number") << QStringList{"--from", "noon"} << "are numbers";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        const TarnRun run = tarn(QStringList{"export", m_site} + arguments);
        QCOMPARE(run.status, int(TarnCommand::Usage));
        QVERIFY2(run.err.startsWith("quorvex-tarn: ") && run.err.contains(said),
                 qPrintable(run.err));
        QCOMPARE(run.out, QString());
    }

    // The program itself: the export on its standard output and its exit statuses.
    void program()
    {
        QProcess process;
        process.start(QUORVEX_TARN_BINARY, {"export", m_site, "--format", "summary"});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), int(TarnCommand::Done));
        const QStringList lines = linesOf(QString::fromUtf8(process.readAllStandardOutput()));
        compareLines(
            lines,
            expectedOf(site900(true), 0, std::numeric_limits<qint64>::max(), -80, 902000000, 103250)
                .summary);
        process.start(QUORVEX_TARN_BINARY, {"export", m_site, "-o", "/proc/quorvex/scan.txt"});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), int(TarnCommand::Unwritable));
        const QString help = [] {
            QProcess helpProcess;
            helpProcess.start(QUORVEX_TARN_BINARY, {"--help"});
            helpProcess.waitForFinished(10000);
            return QString::fromUtf8(helpProcess.readAllStandardOutput());
        }();
        QVERIFY(help.contains("export FILE [--format coordination|wsm|summary|rtl_power]"));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestTarnExport)
#include "tst_tarnexport.moc"
