#pragma once

#include "data/RfSpectrumHistory.h"
#include "data/SurveyFigures.h"

#include <QSet>
#include <QStringList>
#include <functional>

class QTextStream;

// quorvex-tarn, the recordings' command-line companion: "info FILE" summarises a recording,
// "csv FILE [-o OUT]" writes its sweeps as comma-separated values, "advise FILE" ranks the
// band's VEXA IDs by how busy their frequencies were, "export FILE" writes its scan for
// coordination software, as a summary or sweep by sweep (see TarnExport), "events FILE" lists
// where its air changed (see TarnEvents), "report" writes a site-survey report as a PDF,
// "recover" lists or writes out the scans a run of the program left unsaved. Reads with the
// program's own readers. Exit status: 0 done (a file cut short gives a warning and what it
// holds), 1 a wrong command line, 2 a file that cannot be read (or nothing to recover or
// export), 3 an output that cannot be written.
class TarnCommand
{
public:
    enum ExitCode { Done = 0, Usage = 1, Unreadable = 2, Unwritable = 3 };

    // Runs a command line whose first entry is the program name.
    static int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

    // What writes "report"'s PDF (it draws, so the program that can draws it); false with the
    // reason when it cannot be written.
    using ReportWriter = std::function<bool(const RfSpectrumHistory &history,
                                            const SurveyFigures::Options &options,
                                            const QString &path, QString *error)>;
    static void setReportWriter(ReportWriter writer);

    // What "info" counts of the sweeps as they stream by.
    struct Tally
    {
        qint64 sweeps = 0;
        qint64 first = 0;
        qint64 last = 0;
        QSet<QString> accessPoints; // BSSIDs
        WifiScan lastAccessPoints;

        void add(const RfSpectrumSample &sample);
    };
    // The summary printed by "info".
    static QString info(const QString &fileName, const RfSpectrumHistory &history,
                        const Tally &tally);
    // The table written by "csv": a header of frequencies in MHz, then one row per sweep.
    static void writeCsvHeader(const RfSpectrumHistory &history, int columns, QTextStream &out);
    static void writeCsvRow(const RfSpectrumSample &sample, QTextStream &out);
    // A text from a recording, its control characters (which would steer the terminal)
    // replaced.
    static QString printable(const QString &text);

private:
    static ReportWriter s_reportWriter;
    static int listJournals(QTextStream &out);
    // Writes `journal` (the newest left unsaved when empty) as the recording `output`.
    static int recover(QString journal, const QString &output, QTextStream &out, QTextStream &err);
};
