#include "TarnCommand.h"

#include "TarnEvents.h"
#include "TarnExport.h"
#include "data/AppVersion.h"
#include "data/Constants.h"
#include "data/JournalFormat.h"
#include "data/JournalReader.h"
#include "data/RecordingFile.h"
#include "data/SurveyFigures.h"
#include "data/VexaIdAdvisor.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const char k_description[]
    = "Reads Quorvex recordings (.tarn).\n"
      "\n"
      "Commands:\n"
      "  info FILE          band, sweeps, times, events, labels, project\n"
      "                     information and access points of a recording\n"
      "  csv FILE [-o OUT]  one row per sweep: milliseconds since the epoch,\n"
      "                     local ISO time, one column per frequency (MHz)\n"
      "  advise FILE [--universes N] [--threshold DBM] [--from MS --to MS]\n"
      "                     the band's VEXA IDs, quietest first: ID, share\n"
      "                     of busy cells (at or above the threshold,\n"
      "                     -80 dBm), mean amplitude; over the sweeps\n"
      "                     from MS to MS (ms since the epoch), or all\n"
      "  export FILE [--format coordination|wsm|summary|rtl_power] [--trace\n"
      "              max|average|last] [--threshold DBM] [--from MS --to MS]\n"
      "              [-o OUT]\n"
      "                     one line per frequency step: coordination,\n"
      "                     \"MHz, dBm\" of one trace (default max) for\n"
      "                     coordination software; wsm, the same as\n"
      "                     \"kHz;;dBm\" under a header; summary, CSV of\n"
      "                     MHz, maximum, average and busy percent (at or\n"
      "                     above -80 dBm); or rtl_power, one CSV line per\n"
      "                     sweep; gap fillers left out\n"
      "  events FILE [--threshold DBM] [--min-seconds S]\n"
      "                     where the air changed: a range quiet for a\n"
      "                     minute that turned busy for S seconds (2) or\n"
      "                     more; per line its start after the first\n"
      "                     sweep, range, peak level and duration; then\n"
      "                     the recording's own time events\n"
      "  report FILE -o OUT.pdf [--universes N] [--threshold DBM] [--from MS\n"
      "                     --to MS]\n"
      "                     a site-survey report as a PDF: title block,\n"
      "                     spectrogram and waterfall, channel table,\n"
      "                     VEXA ID ranking, time events, peaks\n"
      "  recover --list     the scans a run of the program left unsaved\n"
      "                     (their journals): band, start, sweeps, length\n"
      "  recover [JOURNAL] -o OUT\n"
      "                     writes the newest unsaved scan no running\n"
      "                     program holds (or JOURNAL) as a recording\n"
      "\n"
      "Exit status: 0 done (a recording cut short gives a warning and what\n"
      "it holds), 1 wrong command line, 2 unreadable file (or nothing to\n"
      "recover or export), 3 output not written.";

QString localIso(qint64 msecs)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString duration(qint64 msecs)
{
    const qint64 seconds = msecs / 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(msecs % 1000, 3, 10, QLatin1Char('0'));
}

const ScanParams &bandParams(const RfSpectrumHistory &history)
{
    return RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz
        ? Constants::k_900ScanParams
        : Constants::k_2400ScanParams;
}

} // namespace

QString TarnCommand::printable(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c.category() == QChar::Other_Control)
            c = QChar(0xFFFD);
    }
    return result;
}

void TarnCommand::Tally::add(const RfSpectrumSample &sample)
{
    if (sweeps == 0)
        first = sample.timestamp;
    last = sample.timestamp;
    ++sweeps;
    // Sweeps of one Wi-Fi scan share its list; each list is looked into once.
    if (sample.wifiAps != lastAccessPoints) {
        lastAccessPoints = sample.wifiAps;
        for (const WifiApInfo &ap : sample.wifiAps)
            accessPoints.insert(ap.bssid);
    }
}

QString TarnCommand::info(const QString &fileName, const RfSpectrumHistory &history,
                          const Tally &tally)
{
    QString text;
    QTextStream out(&text);
    const auto line = [&out](const QString &name, const QString &value) {
        out << (name + QLatin1Char(':')).leftJustified(16) << value << '\n';
    };
    const bool band900 = RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz;
    line(QStringLiteral("File"), printable(fileName));
    line(QStringLiteral("Band"),
         QStringLiteral("%1 (%2 to %3 MHz)")
             .arg(band900 ? QStringLiteral("900 MHz") : QStringLiteral("2.4 GHz"))
             .arg(history.freqInterval.minValue())
             .arg(history.freqInterval.maxValue()));
    line(QStringLiteral("Sweeps"), QString::number(tally.sweeps));
    if (tally.sweeps > 0) {
        line(QStringLiteral("First sweep"), localIso(tally.first));
        line(QStringLiteral("Last sweep"), localIso(tally.last));
        line(QStringLiteral("Duration"), duration(tally.last - tally.first));
        line(QStringLiteral("Mean interval"),
             tally.sweeps > 1 ? QStringLiteral("%1 ms").arg(
                 double(tally.last - tally.first) / double(tally.sweeps - 1), 0, 'f', 1)
                              : QStringLiteral("-"));
    }
    line(QStringLiteral("Time events"), QString::number(history.timeEvents.size()));
    for (const TimeEvent &event : history.timeEvents)
        out << "  " << event.dateTime.toString(Qt::ISODateWithMs) << "  " << printable(event.text)
            << '\n';
    line(QStringLiteral("Labels"), QString::number(history.labels.size()));
    for (const SpectroLabel &label : history.labels)
        out << "  " << QString::number(label.pos.x(), 'f', 3) << " MHz, "
            << QString::number(label.pos.y(), 'f', 2) << " dBm  " << printable(label.text) << '\n';
    const ProjectInfoData &project = history.projectInfo;
    line(QStringLiteral("Project name"), printable(project.projectName));
    line(QStringLiteral("Project ID"), printable(project.projectId));
    line(QStringLiteral("Scan location"), printable(project.scanLocation));
    line(QStringLiteral("Technician"), printable(project.technicianName));
    line(QStringLiteral("Access points"), QString::number(tally.accessPoints.size()));
    out.flush();
    return text;
}

void TarnCommand::writeCsvHeader(const RfSpectrumHistory &history, int columns, QTextStream &out)
{
    const ScanParams &params = bandParams(history);
    const double fStart = params.value(QStringLiteral("FStart")).toDouble();
    const double fStep = params.value(QStringLiteral("FStep")).toDouble();
    out << "timestamp_ms,local_time";
    for (int i = 0; i < columns; ++i)
        out << ',' << QString::number(fStart + i * fStep / 1000.0, 'f', 5);
    out << '\n';
}

void TarnCommand::writeCsvRow(const RfSpectrumSample &sample, QTextStream &out)
{
    QString row = QString::number(sample.timestamp) + QLatin1Char(',') + localIso(sample.timestamp);
    for (const qint8 value : sample.scan) {
        row += QLatin1Char(',');
        row += QString::number(value);
    }
    row += QLatin1Char('\n');
    out << row;
}

TarnCommand::ReportWriter TarnCommand::s_reportWriter;

void TarnCommand::setReportWriter(ReportWriter writer)
{
    s_reportWriter = std::move(writer);
}

int TarnCommand::listJournals(QTextStream &out)
{
    const QList<JournalReader::Entry> entries = JournalReader::list(JournalFormat::folder());
    if (entries.isEmpty())
        out << "No unsaved scans in " << JournalFormat::folder() << '\n';
    for (const JournalReader::Entry &entry : entries) {
        const JournalReader::Result &summary = entry.summary;
        out << printable(entry.path) << '\n';
        if (!summary.isReadable()) {
            out << "  unreadable: " << summary.problem << '\n';
            continue;
        }
        const bool band900
            = RecordingFile::bandOf(summary.history) == RecordingFile::Band::Band900MHz;
        if (summary.isAmendment()) {
            out << "  " << summary.edits << " edits to " << printable(summary.amendedPath)
                << (entry.inUse ? ", in use by a running program" : "") << '\n';
            continue;
        }
        out << "  " << (band900 ? "900 MHz" : "2.4 GHz") << ", " << summary.sweeps << " sweeps";
        if (summary.sweeps > 0)
            out << " from " << localIso(summary.firstSweepMs) << ", "
                << duration(summary.durationMs());
        out << (entry.inUse ? ", in use by a running program" : "") << '\n';
        // A remote sensor's scan is named by where the sensor stands.
        const QString &location = summary.history.projectInfo.scanLocation;
        if (!location.isEmpty())
            out << "  at " << printable(location) << '\n';
        if (!summary.damage.isEmpty())
            out << "  " << summary.damage << '\n';
    }
    return Done;
}

int TarnCommand::recover(QString journal, const QString &output, QTextStream &out, QTextStream &err)
{
    const QString program = QStringLiteral("quorvex-tarn");
    if (journal.isEmpty()) {
        // The newest that a running program does not hold and that holds something.
        for (const JournalReader::Entry &entry : JournalReader::list(JournalFormat::folder())) {
            if (!entry.inUse && entry.summary.isReadable() && entry.summary.holdsWork()) {
                journal = entry.path;
                break;
            }
        }
        if (journal.isEmpty()) {
            err << program << ": no unsaved scan to recover in " << JournalFormat::folder() << '\n';
            return Unreadable;
        }
    }
    const JournalReader::Recovered recovered = JournalReader::readForRecovery(journal);
    const JournalReader::Result &result = recovered.journal;
    if (!result.isReadable() || !result.holdsWork()) {
        err << program << ": cannot recover " << journal << ": "
            << (result.isReadable() ? QStringLiteral("it holds no sweeps") : result.problem)
            << '\n';
        return Unreadable;
    }
    if (!result.damage.isEmpty())
        err << program << ": warning: " << journal << ": " << result.damage << '\n';
    if (recovered.recordingChanged)
        err << program << ": warning: " << result.amendedPath
            << " has changed since the edits were made; they are applied to it as it is now\n";
    QString error;
    if (!RecordingFile::save(output, result.history, &error)) {
        err << program << ": cannot write " << output << ": " << error << '\n';
        return Unwritable;
    }
    if (result.isAmendment())
        out << "Recovered " << result.edits << " edits to " << result.amendedPath << " from "
            << journal << " into " << output << '\n';
    else
        out << "Recovered " << result.sweeps << " sweeps from " << journal << " into " << output
            << '\n';
    return Done;
}

int TarnCommand::run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(k_description));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the table to OUT instead of the "
                                                   "standard output (csv, export); the "
                                                   "recording to write (recover); the PDF "
                                                   "(report)."),
                                    QStringLiteral("OUT"));
    parser.addOption(output);
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("List the unsaved scans (recover)."));
    parser.addOption(list);
    const QCommandLineOption universes(QStringLiteral("universes"),
                                       QStringLiteral("Only IDs carrying at least N universes "
                                                      "(advise, report)."),
                                       QStringLiteral("N"));
    const QCommandLineOption threshold(QStringLiteral("threshold"),
                                       QStringLiteral("Busy at or above DBM (advise, report, "
                                                      "export summary, events; -80)."),
                                       QStringLiteral("DBM"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("First sweep time, ms since the epoch (advise, "
                                                 "report, export)."),
                                  QStringLiteral("MS"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("Last sweep time, ms since the epoch (advise, "
                                               "report, export)."),
                                QStringLiteral("MS"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("coordination, wsm, summary or rtl_power "
                                                   "(export)."),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("max, average or last (export coordination, "
                                                  "wsm)."),
                                   QStringLiteral("TRACE"));
    const QCommandLineOption minSeconds(QStringLiteral("min-seconds"),
                                        QStringLiteral("Busy for at least S seconds (events; 2)."),
                                        QStringLiteral("S"));
    parser.addOptions({universes, threshold, from, to, format, trace, minSeconds});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("info, csv, advise, export, events, report or "
                                                "recover"));
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A recording (.tarn), or a journal (recover)."));

    const QString program = QStringLiteral("quorvex-tarn");
    if (!parser.parse(arguments)) {
        err << program << ": " << parser.errorText() << '\n';
        return Usage;
    }
    if (parser.isSet(help)) {
        out << parser.helpText();
        return Done;
    }
    if (parser.isSet(version)) {
        out << program << ' ' << AppVersion::text() << '\n';
        return Done;
    }
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    if (command == QLatin1String("recover")) {
        const bool listing = parser.isSet(list);
        if (positional.size() > 2 || (listing && (positional.size() > 1 || parser.isSet(output)))
            || (!listing && !parser.isSet(output))) {
            err << program << ": usage: quorvex-tarn recover --list | quorvex-tarn recover "
                << "[JOURNAL] -o OUT (see --help)\n";
            return Usage;
        }
        return listing ? listJournals(out)
                       : recover(positional.value(1), parser.value(output), out, err);
    }
    const bool exporting = command == QLatin1String("export");
    const bool advising = command == QLatin1String("advise");
    const bool events = command == QLatin1String("events");
    const bool report = command == QLatin1String("report");
    if (positional.size() != 2
        || (command != QLatin1String("info") && command != QLatin1String("csv") && !advising
            && !exporting && !events && !report)
        || (parser.isSet(output) && command != QLatin1String("csv") && !exporting && !report)
        || (report && !parser.isSet(output)) || parser.isSet(list)
        || (parser.isSet(universes) && !advising && !report)
        || ((parser.isSet(from) || parser.isSet(to)) && !advising && !exporting && !report)
        || (parser.isSet(threshold) && !advising && !exporting && !events && !report)
        || ((parser.isSet(format) || parser.isSet(trace)) && !exporting)
        || (parser.isSet(minSeconds) && !events)) {
        err << program << ": usage: quorvex-tarn info FILE | quorvex-tarn csv FILE [-o OUT]"
            << " | quorvex-tarn advise FILE [options] | quorvex-tarn export FILE [options]"
            << " | quorvex-tarn events FILE [options]"
            << " | quorvex-tarn report FILE -o OUT.pdf [options]"
            << " | quorvex-tarn recover ... (see --help)\n";
        return Usage;
    }
    VexaIdAdvisor::Options options;
    qint64 fromMs = std::numeric_limits<qint64>::min();
    qint64 toMs = std::numeric_limits<qint64>::max();
    bool numbers = true;
    const auto read = [&](const QCommandLineOption &option, auto convert) {
        bool converted = true;
        const auto value = convert(parser.value(option), &converted);
        numbers = numbers && converted;
        return value;
    };
    const auto integer = [](const QString &text, bool *ok) { return text.toLongLong(ok, 10); };
    if (parser.isSet(universes))
        options.minUniverses = int(read(universes, integer));
    if (parser.isSet(from))
        fromMs = read(from, integer);
    if (parser.isSet(to))
        toMs = read(to, integer);
    if (parser.isSet(threshold))
        options.thresholdDbm
            = read(threshold, [](const QString &text, bool *ok) { return text.toDouble(ok); });
    EventFinder::Options eventOptions;
    eventOptions.thresholdDbm = options.thresholdDbm;
    if (parser.isSet(minSeconds)) {
        const double seconds
            = read(minSeconds, [](const QString &text, bool *ok) { return text.toDouble(ok); });
        numbers = numbers && seconds >= 0.0 && seconds <= 86400.0;
        eventOptions.minBusyMs = qint64(seconds * 1000.0);
    }
    if (!numbers || !std::isfinite(options.thresholdDbm)) {
        err << program
            << ": the values of --universes, --threshold, --from, --to and --min-seconds are "
               "numbers (see --help)\n";
        return Usage;
    }
    const TarnExport::Request exportRequest{parser.isSet(format) ? parser.value(format) : QString(),
                                            parser.isSet(trace) ? parser.value(trace) : QString(),
                                            parser.isSet(threshold),
                                            options.thresholdDbm,
                                            parser.value(output),
                                            parser.isSet(from) || parser.isSet(to)};
    ScanExport::Options exportOptions;
    QString exportProblem;
    if (exporting && !TarnExport::parse(exportRequest, &exportOptions, &exportProblem)) {
        err << program << ": " << exportProblem << " (see --help)\n";
        return Usage;
    }

    const QString fileName = positional.at(1);
    if (events)
        return TarnEvents::run(fileName, eventOptions, out, err);
    if (exporting && exportOptions.format == ScanExport::Format::RtlPower)
        return TarnExport::stream(fileName, fromMs, toMs, exportRequest, out, err);
    QFile file(fileName);
    RfSpectrumHistory history;
    RecordingFile::Integrity integrity = RecordingFile::Integrity::Whole;
    const auto unreadable = [&](const QString &problem) {
        err << program << ": cannot read " << fileName << ": " << problem << '\n';
        return Unreadable;
    };
    const auto warnCutShort = [&](qint64 sweeps) {
        if (integrity == RecordingFile::Integrity::CutShort)
            err << program << ": warning: " << fileName << " ends early; it holds " << sweeps
                << " whole sweeps\n";
    };

    // info and csv read the recording as it streams by, in the memory of one sweep.
    if (command == QLatin1String("info")) {
        Tally tally;
        const QString problem = RecordingFile::loadStreaming(
            file, history, [&tally](const RfSpectrumSample &sample) { tally.add(sample); }, nullptr,
            &integrity);
        if (!problem.isEmpty())
            return unreadable(problem);
        warnCutShort(tally.sweeps);
        out << info(fileName, history, tally);
        return Done;
    }
    if (command == QLatin1String("csv")) {
        if (!file.open(QIODevice::ReadOnly))
            return unreadable(QStringLiteral("it cannot be opened (%1)").arg(file.errorString()));
        QSaveFile target(parser.value(output));
        QTextStream toFile;
        if (parser.isSet(output)) {
            if (!target.open(QIODevice::WriteOnly)) {
                err << program << ": cannot write " << target.fileName() << ": "
                    << target.errorString() << '\n';
                return Unwritable;
            }
            toFile.setDevice(&target);
            toFile.setCodec("UTF-8");
        }
        QTextStream &csv = parser.isSet(output) ? toFile : out;
        bool header = false;
        const auto writeHeader = [&](int columns) {
            writeCsvHeader(history, columns, csv);
            header = true;
        };
        qint64 sweeps = 0;
        const QString problem = RecordingFile::loadStreaming(
            file, history,
            [&](const RfSpectrumSample &sample) {
                if (!header)
                    writeHeader(sample.scan.size());
                writeCsvRow(sample, csv);
            },
            nullptr, &integrity, &sweeps);
        if (!problem.isEmpty()) {
            target.cancelWriting();
            return unreadable(problem);
        }
        if (!header)
            writeHeader(0);
        warnCutShort(sweeps);
        csv.flush();
        if (!parser.isSet(output) || (csv.status() == QTextStream::Ok && target.commit()))
            return Done;
        err << program << ": cannot write " << target.fileName() << ": " << target.errorString()
            << '\n';
        return Unwritable;
    }

    const QString problem = RecordingFile::load(file, history, nullptr, &integrity);
    if (!problem.isEmpty())
        return unreadable(problem);
    warnCutShort(history.samples.size());
    if (report) {
        SurveyFigures::Options reportOptions;
        reportOptions.thresholdDbm = options.thresholdDbm;
        reportOptions.minUniverses = options.minUniverses;
        reportOptions.fromMs = fromMs;
        reportOptions.toMs = toMs;
        QString error;
        if (!s_reportWriter) {
            err << program << ": reports cannot be written by this build\n";
            return Unwritable;
        }
        if (!s_reportWriter(history, reportOptions, parser.value(output), &error)) {
            err << program << ": cannot write " << parser.value(output) << ": " << error << '\n';
            return Unwritable;
        }
        return Done;
    }
    const SampleStore &samples = history.samples;
    int begin = 0;
    while (begin < samples.size() && samples.timestamp(begin) < fromMs)
        ++begin;
    int end = begin;
    while (end < samples.size() && samples.timestamp(end) <= toMs)
        ++end;
    if (exporting)
        return TarnExport::write(fileName, history, begin, end, exportRequest, exportOptions, out,
                                 err);
    const QList<VexaIdAdvisor::Score> ranking = VexaIdAdvisor::rank(history, begin, end, options);
    if (ranking.isEmpty()) {
        err << program << ": " << fileName << " holds no sweeps to rank"
            << (parser.isSet(from) || parser.isSet(to) ? " in that time" : "") << '\n';
        return Done;
    }
    for (const VexaIdAdvisor::Score &score : ranking)
        out << score.id << ' ' << QString::number(score.busyShare * 100.0, 'f', 2) << "% "
            << QString::number(score.meanDbm, 'f', 1) << " dBm  (" << score.universes
            << (score.universes == 1 ? " universe, " : " universes, ")
            << Constants::k_vexaIdMap.value(score.id).type << ")\n";
    return Done;
}
