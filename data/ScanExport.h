#pragma once

#include "FrequencyAxis.h"
#include "SpectrumTraces.h"

#include <QByteArray>
#include <QString>

// A scan handed to other programs, one line per frequency step:
// - coordination: what wireless-microphone coordination software imports as a scan, the
//   frequency in MHz with three decimals, a comma and a space, the level of one trace in dBm
//   with one decimal ("2412.000, -57.0"), no header;
// - summary: comma-separated values under a header: frequency in MHz, the highest and the mean
//   level in dBm, and the share of sweeps at or above the threshold in percent.
// Means and shares are rounded half away from zero; gap fillers count in none of it.
class ScanExport
{
public:
    enum class Format { Coordination, Summary };
    struct Options
    {
        Format format = Format::Coordination;
        SpectrumTraces::Kind trace = SpectrumTraces::Kind::MaxHold; // coordination only
    };

    // The file's text; empty when the traces counted no sweep.
    static QByteArray text(const SpectrumTraces &traces, const FrequencyAxis &axis,
                           const Options &options);
    // Writes the text to a file through a temporary one that replaces it only when complete,
    // so an existing file is never left half-written. False with the reason in *error.
    static bool save(const QString &path, const QByteArray &text, QString *error);

    // "-57.0" of -570 tenths.
    static QString tenthsText(qint64 tenths);
    // The names of the command line: "coordination", "summary"; "max", "average", "last".
    static bool parseFormat(const QString &name, Format *format);
    static bool parseTrace(const QString &name, SpectrumTraces::Kind *trace);
};
