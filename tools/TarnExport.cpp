#include "TarnExport.h"

#include "TarnCommand.h"
#include "data/FrequencyAxis.h"

#include <QTextStream>

bool TarnExport::parse(const Request &request, ScanExport::Options *options, QString *problem)
{
    if (!request.format.isNull() && !ScanExport::parseFormat(request.format, &options->format)) {
        *problem = QStringLiteral("--format is coordination or summary");
        return false;
    }
    if (!request.trace.isNull() && !ScanExport::parseTrace(request.trace, &options->trace)) {
        *problem = QStringLiteral("--trace is max, average or last");
        return false;
    }
    const bool summary = options->format == ScanExport::Format::Summary;
    if (summary && !request.trace.isNull()) {
        *problem = QStringLiteral("--trace chooses the trace of the coordination format; the "
                                  "summary has the maximum and the average");
        return false;
    }
    if (!summary && request.thresholdGiven) {
        *problem = QStringLiteral("--threshold sets the busy share of the summary format");
        return false;
    }
    return true;
}

int TarnExport::write(const QString &fileName, const RfSpectrumHistory &history, int first,
                      int last, const Request &request, const ScanExport::Options &options,
                      QTextStream &out, QTextStream &err)
{
    const QString program = QStringLiteral("quorvex-tarn");
    const SpectrumTraces traces = SpectrumTraces::of(
        history.samples, first, last, SpectrumTraces::thresholdLevel(request.thresholdDbm));
    // Gap filler alone is no scan: nothing is written, and a script learns it from the status.
    if (traces.isEmpty()) {
        err << program << ": " << fileName << " holds no sweeps to export"
            << (request.stretchGiven ? " in that time" : "") << '\n';
        return TarnCommand::Unreadable;
    }
    const QByteArray text = ScanExport::text(traces, FrequencyAxis::of(history), options);
    if (request.output.isEmpty()) {
        out << QString::fromUtf8(text);
        return TarnCommand::Done;
    }
    QString error;
    if (!ScanExport::save(request.output, text, &error)) {
        err << program << ": cannot write " << request.output << ": " << error << '\n';
        return TarnCommand::Unwritable;
    }
    return TarnCommand::Done;
}
