#pragma once

#include "data/RfSpectrumHistory.h"
#include "data/ScanExport.h"

class QTextStream;

// "quorvex-tarn export": a stretch of a recording as a coordination scan (either layout) or a
// summary (see ScanExport), or its sweeps in the rtl_power layout (see SweepLines), to a file
// or the standard output.
class TarnExport
{
public:
    struct Request
    {
        QString format; // as given, empty for the default (coordination)
        QString trace; // likewise (max)
        bool thresholdGiven = false;
        double thresholdDbm = -80.0;
        QString output; // empty: the standard output
        bool stretchGiven = false; // --from or --to
    };

    // The options read: false with what is wrong in *problem when they do not fit together
    // (--trace belongs to the scans of one trace, --threshold to the summary).
    static bool parse(const Request &request, ScanExport::Options *options, QString *problem);
    // Writes sweeps [first, last) of the recording read from `fileName`; the exit status.
    static int write(const QString &fileName, const RfSpectrumHistory &history, int first, int last,
                     const Request &request, const ScanExport::Options &options, QTextStream &out,
                     QTextStream &err);
    // Writes the sweeps taken from `fromMs` to `toMs` of the recording `fileName` in the
    // rtl_power layout as they are read, in the memory of one sweep; the exit status.
    static int stream(const QString &fileName, qint64 fromMs, qint64 toMs, const Request &request,
                      QTextStream &out, QTextStream &err);
};
