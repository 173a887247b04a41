#include "QuorvexTest.h"
#include "data/Constants.h"
#include "pages/SurveyReport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

namespace {

constexpr qint64 k_t0 = 1765200000000;

WifiApInfo ap(const QString &ssid, const QString &bssid, int channel, int rssi)
{
    return {bssid, ssid, rssi, int(Constants::k_wifiChannelFreq.at(channel)), 20, QColor(Qt::red)};
}

// A 2.4 GHz site: a floor near -95 dBm, an access point busy on channel 6 in every third
// sweep, a carrier at 2450 MHz in every sweep, gap filler at the start, inside and at the end,
// access points on channels 1, 6 and 11 that get stronger over time, and one time event.
RfSpectrumHistory site2400(const ProjectInfoData &project)
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(2400.0, 2500.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    history.projectInfo = project;
    for (int s = 0; s < 600; ++s) {
        RfSpectrumScan scan(501);
        for (int j = 0; j < 501; ++j)
            scan[j] = qint8(-95 + (j * 7 + s * 3) % 5);
        if (s % 3 == 0) {
            for (int j = 0; j < 501; ++j) {
                if (std::abs(2400.0 + 0.2 * j - 2437.0) <= 9.0)
                    scan[j] = qint8(-60 - (j % 4));
            }
        }
        scan[250] = qint8(-41);
        if (s < 15 || (s >= 300 && s < 320) || s >= 590)
            scan.fill(qint8(-128));
        const WifiScan aps{ap("Stage-Net", "02:00:00:00:00:01", 6, -70 + s / 60),
                           ap("", "02:00:00:00:00:02", 1, -55),
                           ap("Box Office", "02:00:00:00:00:03", 11, -80 + s / 100)};
        history.samples << RfSpectrumSample{k_t0 + 100 * s, scan, aps};
    }
    history.timeEvents << TimeEvent{QDateTime::fromMSecsSinceEpoch(k_t0 + 5000), "Doors open"};
    return history;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The report's text, laid out as on the page.
QString text(const QString &pdf)
{
    return run("pdftotext", {"-layout", pdf, "-"});
}

int pages(const QString &pdf)
{
    const QRegularExpressionMatch m
        = QRegularExpression("Pages:\\s+(\\d+)").match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The line of a table that starts with `first` (its words apart by any whitespace).
QString row(const QString &report, const QString &first)
{
    QStringList words;
    for (const QString &word : first.split(' '))
        words << QRegularExpression::escape(word);
    const QRegularExpression line("^\\s*" + words.join("\\s+") + "(\\s.*)?$",
                                  QRegularExpression::MultilineOption);
    return line.match(report).captured(0).simplified();
}

// The channel table's line of a Wi-Fi channel: its number, then its range.
QString channelRow(const QString &report, int channel)
{
    const double centre = Constants::k_wifiChannelFreq.at(channel);
    return row(report, QString("%1 %2-%3").arg(channel).arg(centre - 11.0).arg(centre + 11.0));
}

QString localTime(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString("yyyy-MM-dd HH:mm:ss");
}

} // namespace

// The site-survey report, read back with poppler's tools: the title block, the channel table
// against a computation of its own, the recommendation, the pages and their pictures; and
// what it says of what is missing, and when it cannot be written.
class TestSurveyReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void report2400()
    {
        QTemporaryDir dir;
        const RfSpectrumHistory history = site2400({"Arena Tour", "", "Hall B", "Jo"});
        const QString path = dir.filePath("site.pdf");
        QString error;
        QList<int> progress;
        QVERIFY2(SurveyReport::write({history, {}, "1.2.3"}, path, &error,
                                     [&progress](int percent) {
                                         progress << percent;
                                         return true;
                                     }),
                 qPrintable(error));
        QCOMPARE(progress.last(), 100);
        const QString report = text(path);

        // The title block; what is missing says so. The sweeps are those measured, the first
        // and the last of them too: gap filler is no sweep.
        qint64 measured = 0;
        qint64 firstMs = -1;
        qint64 lastMs = -1;
        for (const RfSpectrumSample &sample : history.samples.toList(0, history.samples.size())) {
            if (std::all_of(sample.scan.cbegin(), sample.scan.cend(),
                            [](qint8 v) { return v == -128; }))
                continue;
            ++measured;
            firstMs = firstMs < 0 ? sample.timestamp : firstMs;
            lastMs = sample.timestamp;
        }
        const qint64 seconds = (lastMs - firstMs) / 1000;
        QCOMPARE(row(report, "Project name"), QString("Project name Arena Tour"));
        QCOMPARE(row(report, "Project ID"), QString("Project ID not given"));
        QCOMPARE(row(report, "Scan location"), QString("Scan location Hall B"));
        QCOMPARE(row(report, "Technician"), QString("Technician Jo"));
        QCOMPARE(row(report, "Band"), QString("Band 2.4 GHz (2400 to 2500 MHz)"));
        QCOMPARE(row(report, "First sweep"), "First sweep " + localTime(firstMs));
        QCOMPARE(row(report, "Last sweep"), "Last sweep " + localTime(lastMs));
        QCOMPARE(row(report, "Duration"),
                 QString("Duration 0:%1:%2")
                     .arg(seconds / 60, 2, 10, QChar('0'))
                     .arg(seconds % 60, 2, 10, QChar('0')));
        QCOMPARE(row(report, "Sweeps"), "Sweeps " + QString::number(measured));
        QCOMPARE(row(report, "Program version"), QString("Program version 1.2.3"));

        // The channel table: busy share of each channel's 22 MHz at -80 dBm and the highest
        // level, computed here sweep by sweep, fillers left out; and who was heard there.
        for (int channel = 1; channel <= 14; ++channel) {
            const double centre = Constants::k_wifiChannelFreq.at(channel);
            qint64 cells = 0;
            qint64 busy = 0;
            int highest = -128;
            for (int s = 0; s < history.samples.size(); ++s) {
                if (history.samples.isGapFiller(s))
                    continue;
                const RfSpectrumScan scan = history.samples.scan(s);
                for (int j = 0; j < scan.size(); ++j) {
                    const double mhz = 2400.0 + 0.2 * j;
                    if (mhz < centre - 11.0 || mhz > centre + 11.0)
                        continue;
                    ++cells;
                    busy += scan.at(j) >= -80 ? 1 : 0;
                    highest = qMax(highest, int(scan.at(j)));
                }
            }
            const QString expected = QString("%1 %2-%3 MHz %4 % %5 dBm")
                                         .arg(channel)
                                         .arg(centre - 11.0, 0, 'f', 0)
                                         .arg(centre + 11.0, 0, 'f', 0)
                                         .arg(100.0 * double(busy) / double(cells), 0, 'f', 1)
                                         .arg(highest);
            const QString line = channelRow(report, channel);
            QVERIFY2(line.startsWith(expected), qPrintable(line + " / " + expected));
        }
        QVERIFY(channelRow(report, 6).endsWith("Stage-Net (-61 dBm)"));
        QVERIFY(channelRow(report, 1).endsWith("(hidden) (-55 dBm)"));
        QVERIFY2(channelRow(report, 11).endsWith("Box Office (-75 dBm)"),
                 qPrintable(channelRow(report, 11)));

        // The recommendation is the advisor's best, in words, with the filter.
        const QList<VexaIdAdvisor::Score> ranking = VexaIdAdvisor::rank(history, 0, 600);
        QVERIFY(report.simplified().contains(
            QString("VEXA ID %1 (%2")
                .arg(ranking.first().id)
                .arg(Constants::k_vexaIdMap.value(ranking.first().id).type)));
        QVERIFY(report.contains("is the quietest plan of the band in this stretch"));
        QVERIFY(report.contains("Filter: All plans of the band; busy at or above -80 dBm."));
        // Events, the strongest peak (the carrier), the footer on every page.
        QCOMPARE(row(report, localTime(k_t0 + 5000)), localTime(k_t0 + 5000) + " Doors open");
        QCOMPARE(row(report, "1 2450.000 MHz"), QString("1 2450.000 MHz -41 dBm 100.0 %"));
        const int count = pages(path);
        QVERIFY(count >= 3);
        QCOMPARE(report.count("threshold -80 dBm"), count);
        QCOMPARE(report.count(QRegularExpression("Page \\d+ of " + QString::number(count))), count);

        // The pictures: spectrogram and waterfall at print resolution.
        const QStringList images
            = run("pdfimages", {"-list", path})
                  .split('\n')
                  .filter(QRegularExpression(
                      "^\\s*\\d+\\s+\\d+\\s+image\\s+\\d{3,}\\s+\\d{3,}\\s.*\\s300\\s+300\\s"));
        QCOMPARE(images.size(), 2);
    }

    // A 900 MHz recording of no project, a stretch with no sweep, a file that cannot be
    // written and a report that is stopped: each says so, and nothing is half-written.
    void whatIsMissing()
    {
        QTemporaryDir dir;
        RfSpectrumHistory band900;
        band900.freqInterval = QwtInterval(902.0, 928.0);
        band900.rssiInterval = QwtInterval(-100.0, -30.0);
        for (int s = 0; s < 50; ++s)
            band900.samples << RfSpectrumSample{k_t0 + 40 * s, RfSpectrumScan(252, qint8(-90)), {}};
        QString error;
        QVERIFY(SurveyReport::write({band900, {}, "1.0"}, dir.filePath("900.pdf"), &error));
        const QString report = text(dir.filePath("900.pdf"));
        QCOMPARE(report.count("not given"), 4);
        QVERIFY(report.contains("The band in 2 MHz segments"));
        QVERIFY(row(report, "902-904 MHz").startsWith("902-904 MHz 902-904 MHz 0.0 % -90 dBm"));
        QVERIFY(row(report, "926-928 MHz").startsWith("926-928 MHz"));
        QVERIFY(!report.contains("Wi-Fi channels"));

        SurveyFigures::Options later;
        later.fromMs = k_t0 + 3600000;
        QVERIFY(SurveyReport::write({band900, later, "1.0"}, dir.filePath("empty.pdf"), &error));
        const QString empty = text(dir.filePath("empty.pdf"));
        QVERIFY(empty.contains("no sweep in the stretch"));
        QVERIFY(empty.contains("No sweep of this stretch can be ranked"));
        QVERIFY(empty.contains("Stretch: no sweep"));

        QVERIFY(
            !SurveyReport::write({band900, {}, "1.0"}, dir.filePath("no/such/folder.pdf"), &error));
        QVERIFY(!error.isEmpty());
        // Stopped half-way: the file that was there stays as it was.
        QFile kept(dir.filePath("kept.pdf"));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("earlier") == 7);
        kept.close();
        QVERIFY(!SurveyReport::write({band900, {}, "1.0"}, kept.fileName(), &error,
                                     [](int percent) { return percent < 50; }));
        QVERIFY(error.contains("cancelled"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("earlier"));
    }
};

QUORVEX_TEST_MAIN(TestSurveyReport)
#include "tst_surveyreport.moc"
