#include "TarnExport.h"

#include "TarnCommand.h"
#include "data/FrequencyAxis.h"
#include "data/RecordingFile.h"
#include "data/SweepLines.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <memory>

namespace {

const char k_program[] = "quorvex-tarn";

int nothingToExport(const QString &fileName, const TarnExport::Request &request, QTextStream &err)
{
    err << k_program << ": " << fileName << " holds no sweeps to export"
        << (request.stretchGiven ? " in that time" : "") << '\n';
    return TarnCommand::Unreadable;
}

} // namespace

bool TarnExport::parse(const Request &request, ScanExport::Options *options, QString *problem)
{
    if (!request.format.isNull() && !ScanExport::parseFormat(request.format, &options->format)) {
        *problem = QStringLiteral("--format is coordination, wsm, summary or rtl_power");
        return false;
    }
    if (!request.trace.isNull() && !ScanExport::parseTrace(request.trace, &options->trace)) {
        *problem = QStringLiteral("--trace is max, average or last");
        return false;
    }
    const bool oneTrace = options->format == ScanExport::Format::Coordination
        || options->format == ScanExport::Format::Wsm;
    if (!oneTrace && !request.trace.isNull()) {
        *problem = options->format == ScanExport::Format::Summary
            ? QStringLiteral("--trace chooses the trace of the coordination and wsm formats; the "
                             "summary has the maximum and the average")
            : QStringLiteral("--trace chooses the trace of the coordination and wsm formats; "
                             "rtl_power has every sweep");
        return false;
    }
    if (options->format != ScanExport::Format::Summary && request.thresholdGiven) {
        *problem = QStringLiteral("--threshold sets the busy share of the summary format");
        return false;
    }
    return true;
}

int TarnExport::write(const QString &fileName, const RfSpectrumHistory &history, int first,
                      int last, const Request &request, const ScanExport::Options &options,
                      QTextStream &out, QTextStream &err)
{
    const SpectrumTraces traces = SpectrumTraces::of(
        history.samples, first, last, SpectrumTraces::thresholdLevel(request.thresholdDbm));
    // Gap filler alone is no scan: nothing is written, and a script learns it from the status.
    if (traces.isEmpty())
        return nothingToExport(fileName, request, err);
    ScanExport::Options named = options;
    named.scanName = history.projectInfo.projectName.trimmed().isEmpty()
        ? QFileInfo(fileName).completeBaseName()
        : history.projectInfo.projectName;
    const QByteArray text = ScanExport::text(traces, FrequencyAxis::of(history), named);
    if (request.output.isEmpty()) {
        out << QString::fromUtf8(text);
        return TarnCommand::Done;
    }
    QString error;
    if (!ScanExport::save(request.output, text, &error)) {
        err << k_program << ": cannot write " << request.output << ": " << error << '\n';
        return TarnCommand::Unwritable;
    }
    return TarnCommand::Done;
}

int TarnExport::stream(const QString &fileName, qint64 fromMs, qint64 toMs, const Request &request,
                       QTextStream &out, QTextStream &err)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        err << k_program << ": cannot read " << fileName << ": it cannot be opened ("
            << file.errorString() << ")\n";
        return TarnCommand::Unreadable;
    }
    // The file is replaced only once every line is written.
    QSaveFile target(request.output);
    const bool toFile = !request.output.isEmpty();
    if (toFile && !target.open(QIODevice::WriteOnly)) {
        err << k_program << ": cannot write " << request.output << ": " << target.errorString()
            << '\n';
        return TarnCommand::Unwritable;
    }
    RfSpectrumHistory history;
    std::unique_ptr<SweepLines> lines; // once the band is read, before the first sweep
    // The stretch is the sweeps from the first taken at or after fromMs up to the first taken
    // after toMs, as the other exports take it.
    enum class Stretch { Before, In, After } stretch = Stretch::Before;
    qint64 written = 0;
    bool failed = false;
    RecordingFile::Integrity integrity = RecordingFile::Integrity::Whole;
    qint64 sweeps = 0;
    const QString problem = RecordingFile::loadStreaming(
        file, history,
        [&](const RfSpectrumSample &sample) {
            if (stretch == Stretch::Before && sample.timestamp >= fromMs)
                stretch = Stretch::In;
            if (stretch == Stretch::In && sample.timestamp > toMs)
                stretch = Stretch::After;
            if (stretch != Stretch::In || failed
                || RecordingFile::bandOf(history) == RecordingFile::Band::Rejected)
                return;
            if (!lines)
                lines = std::make_unique<SweepLines>(FrequencyAxis::of(history));
            const QByteArray line
                = lines->line(sample.timestamp, sample.scan.constData(), sample.scan.size());
            if (line.isEmpty())
                return;
            ++written;
            if (!toFile)
                out << QString::fromLatin1(line);
            else if (target.write(line) != line.size())
                failed = true;
        },
        nullptr, &integrity, &sweeps);
    if (!problem.isEmpty()) {
        target.cancelWriting();
        err << k_program << ": cannot read " << fileName << ": " << problem << '\n';
        return TarnCommand::Unreadable;
    }
    if (integrity == RecordingFile::Integrity::CutShort)
        err << k_program << ": warning: " << fileName << " ends early; it holds " << sweeps
            << " whole sweeps\n";
    if (written == 0) {
        target.cancelWriting();
        return nothingToExport(fileName, request, err);
    }
    // Flushed first: the commit would not notice that writing the buffer's rest failed.
    if (toFile && (failed || !target.flush() || !target.commit())) {
        err << k_program << ": cannot write " << request.output << ": " << target.errorString()
            << '\n';
        target.cancelWriting();
        return TarnCommand::Unwritable;
    }
    return TarnCommand::Done;
}
