#include "QuorvexTest.h"
#include "TarnRun.h"
#include "data/RecordingFile.h"
#include "tools/TarnCommand.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <random>

namespace {

constexpr qint64 k_t0 = 1765200000000;
constexpr int k_sweeps = 120;

struct Band
{
    double lowMHz;
    double highMHz;
    int steps;
    qint64 startHz;
    qint64 stepHz;
};
const Band k_900{902.0, 928.0, 252, 902000000, 103250};
const Band k_2400{2400.0, 2500.0, 501, 2400000000, 200000};

bool isFiller(const RfSpectrumScan &scan)
{
    return std::all_of(scan.begin(), scan.end(), [](qint8 v) { return v == -128; });
}

// A site of either band, 350 ms a sweep (so that seconds turn between sweeps): noise, a carrier,
// a hopper; gap filler at sweeps 30 to 49 and at the last three.
RfSpectrumHistory site(const Band &band, const QString &project)
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(band.lowMHz, band.highMHz);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    history.projectInfo.projectName = project;
    std::mt19937 rng(band.steps);
    std::uniform_int_distribution<int> noise(-110, -85);
    std::uniform_int_distribution<int> hop(0, band.steps - 1);
    for (int i = 0; i < k_sweeps; ++i) {
        RfSpectrumScan scan(band.steps);
        for (qint8 &v : scan)
            v = qint8(noise(rng));
        scan[7] = qint8(-55 - i % 9);
        scan[hop(rng)] = qint8(-40 - i % 17);
        if ((i >= 30 && i < 50) || i >= k_sweeps - 3)
            scan.fill(-128);
        history.samples << RfSpectrumSample{k_t0 + 350 * i, scan, WifiScan()};
    }
    return history;
}

QString localTime(qint64 msecs, const char *format)
{
    const std::time_t seconds = std::time_t(msecs / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::strftime(text, sizeof text, format, &local);
    return QString::fromLatin1(text);
}

// What a layout must hold, worked out here from the sweeps of the stretch (both ends included),
// gap fillers left out: the wsm scan of trace 0 max, 1 average or 2 last, or (trace -1) the
// rtl_power lines.
QStringList expected(const Band &band, const RfSpectrumHistory &history, qint64 fromMs, qint64 toMs,
                     int trace, const QString &name)
{
    QList<RfSpectrumSample> sweeps;
    QStringList lines;
    for (const RfSpectrumSample &sample : history.samples.toList()) {
        if (sample.timestamp < fromMs || sample.timestamp > toMs || isFiller(sample.scan))
            continue;
        sweeps.append(sample);
        QString line = localTime(sample.timestamp, "%Y-%m-%d, %H:%M:%S")
            + QString(", %1, %2, %3, 1")
                  .arg(band.startHz)
                  .arg(band.startHz + (band.steps - 1) * band.stepHz)
                  .arg(band.stepHz);
        for (const qint8 v : sample.scan)
            line += QString(", %1.0").arg(int(v));
        lines << line;
    }
    if (trace < 0)
        return lines;
    const auto kHz = [&band](int step) {
        return std::llround(double(band.startHz + step * band.stepHz) / 1000.0);
    };
    lines = QString("Receiver;\nDate/Time;%1\nRFUnit;dBm\nOwner;\nScanCity;\nScanComment;\n"
                    "ScanCountry;\nScanDescription;\nScanInteriorExterior;\nScanLatitude;\n"
                    "ScanLongitude;\nScanName;%2\nScanPostalCode;\n\n"
                    "Frequency Range [kHz];%3;%4;%5\nFrequency;RF level (%);RF level")
                .arg(localTime(sweeps.first().timestamp, "%Y-%m-%d %H:%M:%S"), name)
                .arg(kHz(0))
                .arg(kHz(band.steps - 1))
                .arg(std::llround(band.stepHz / 1000.0))
                .split('\n');
    for (int j = 0; j < band.steps; ++j) {
        int max = -128;
        qint64 sum = 0;
        for (const RfSpectrumSample &sample : qAsConst(sweeps)) {
            max = qMax(max, int(sample.scan.at(j)));
            sum += sample.scan.at(j);
        }
        const qint64 tenths[]
            = {max * 10, std::llround(sum * 10.0 / sweeps.size()), sweeps.last().scan.at(j) * 10};
        lines << QString::asprintf("%lld;;%s%lld.%lld", kHz(j), tenths[trace] < 0 ? "-" : "",
                                   std::llabs(tenths[trace]) / 10, std::llabs(tenths[trace]) % 10);
    }
    return lines;
}

} // namespace

// quorvex-tarn export in the semicolon (wsm) and rtl_power layouts, on recordings of both bands
// written by the program's writer: every line against what the test works out from the sweeps.
class TestTarnLayouts : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // The recording of the band's site, written once.
    QString recording(const Band &band)
    {
        const QString path = m_dir.filePath(QString("site%1.tarn").arg(band.steps));
        QString error;
        if (!QFile::exists(path) && !RecordingFile::save(path, site(band, project(band)), &error))
            qWarning() << error;
        return path;
    }
    // The 2.4 GHz recordings carry a project name, the 900 MHz ones are named by their file.
    static QString project(const Band &band) { return band.steps == 501 ? "Hall B" : QString(); }

private Q_SLOTS:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules("quorvex.data.warning=false\nquorvex.data.critical=false");
    }

    void everyLine_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("trace"); // 0 max, 1 average, 2 last; -1 none given
        QTest::addColumn<qint64>("fromMs");
        QTest::addColumn<qint64>("toMs");
        const qint64 all = std::numeric_limits<qint64>::max();
        // From inside the first run of fillers, to a sweep of the second second.
        const qint64 from = k_t0 + 350 * 40;
        const qint64 to = k_t0 + 350 * 90;
        QTest::newRow("900, wsm, max by default") << 252 << "wsm" << -1 << qint64(0) << all;
        QTest::newRow("900, wsm, average of a stretch") << 252 << "wsm" << 1 << from << to;
        QTest::newRow("900, wsm, last before the last fillers")
            << 252 << "wsm" << 2 << qint64(0) << all;
        QTest::newRow("2.4, wsm, average") << 501 << "wsm" << 1 << qint64(0) << all;
        QTest::newRow("2.4, wsm, last of a stretch") << 501 << "wsm" << 2 << from << to;
        QTest::newRow("900, rtl_power") << 252 << "rtl_power" << -1 << qint64(0) << all;
        QTest::newRow("900, rtl_power of a stretch") << 252 << "rtl_power" << -1 << from << to;
        QTest::newRow("2.4, rtl_power") << 501 << "rtl_power" << -1 << qint64(0) << all;
        QTest::newRow("2.4, rtl_power from a time") << 501 << "rtl_power" << -1 << from << all;
    }

    void everyLine()
    {
        QFETCH(int, steps);
        QFETCH(QString, format);
        QFETCH(int, trace);
        QFETCH(qint64, fromMs);
        QFETCH(qint64, toMs);
        const Band &band = steps == 252 ? k_900 : k_2400;
        QStringList options{"--format", format};
        if (trace >= 0)
            options << "--trace" << QStringList{"max", "average", "last"}.at(trace);
        if (fromMs > 0)
            options << "--from" << QString::number(fromMs);
        if (toMs < std::numeric_limits<qint64>::max())
            options << "--to" << QString::number(toMs);
        const RfSpectrumHistory history = site(band, project(band));
        const QString name = project(band).isEmpty() ? QString("site%1").arg(steps) : "Hall B";
        const QStringList lines
            = expected(band, history, fromMs, toMs, format == "wsm" ? qMax(trace, 0) : -1, name);

        const TarnRun run = tarn(QStringList{"export", recording(band)} + options);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, int(TarnCommand::Done));
        const QStringList actual = run.out.split('\n'); // and an empty one after the last
        QCOMPARE(actual.size(), lines.size() + 1);
        QCOMPARE(actual.last(), QString());
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(actual.at(i) == lines.at(i),
                     qPrintable(QString("line %1: \"%2\", expected \"%3\"")
                                    .arg(i + 1)
                                    .arg(actual.at(i).left(120), lines.at(i).left(120))));

        // Written to a file, the same.
        const QString out = m_dir.filePath("out.csv");
        QCOMPARE(tarn(QStringList{"export", recording(band), "-o", out} + options).status,
                 int(TarnCommand::Done));
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), run.out);
    }

    // An output that cannot be written leaves the file that was there as it was, exit 3; a
    // stretch of gap filler alone writes nothing, exit 2; the options of other formats are
    // refused.
    void refused_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("wsm") << "wsm";
        QTest::newRow("rtl_power") << "rtl_power";
    }

    void refused()
    {
        QFETCH(QString, format);
        const QString recorded = recording(k_900);
        const QString kept = m_dir.filePath("kept.csv");
        QFile file(kept);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("before\n");
        file.close();
        // The program itself on a disk that takes no more than 2 kB of a file (as a full one
        // would, whoever runs it): the writing fails part-way.
        QProcess full;
        full.start("/bin/sh",
                   {"-c", "trap '' XFSZ; ulimit -f 2; exec \"$0\" \"$@\"", QUORVEX_TARN_BINARY,
                    "export", recorded, "--format", format, "-o", kept});
        QVERIFY(full.waitForFinished(30000));
        QCOMPARE(full.exitCode(), int(TarnCommand::Unwritable));
        QVERIFY(full.readAllStandardError().startsWith("quorvex-tarn: cannot write "));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("before\n"));
        file.close();
        QCOMPARE(QDir(m_dir.path()).entryList({"kept.csv*"}, QDir::Files | QDir::Hidden),
                 QStringList{"kept.csv"});

        const TarnRun fillers = tarn({"export", recorded, "--format", format, "--from",
                                      QString::number(k_t0 + 350 * 31), "--to",
                                      QString::number(k_t0 + 350 * 49), "-o", kept});
        QCOMPARE(fillers.status, int(TarnCommand::Unreadable));
        QVERIFY2(fillers.err.contains("holds no sweeps to export in that time"),
                 qPrintable(fillers.err));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("before\n"));

        QCOMPARE(tarn({"export", recorded, "--format", format, "--threshold", "-70"}).status,
                 int(TarnCommand::Usage));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestTarnLayouts)
#include "tst_tarnlayouts.moc"
