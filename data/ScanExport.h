#pragma once

#include "FrequencyAxis.h"
#include "SpectrumTraces.h"

#include <QByteArray>
#include <QString>

// A scan handed to other programs, one line per frequency step:
// - coordination: what wireless-microphone coordination software imports as a scan, the
//   frequency in MHz with three decimals, a comma and a space, the level of one trace in dBm
//   with one decimal ("2412.000, -57.0"), no header;
// - wsm: the semicolon layout of the other family of coordination programs: a header block
//   (the receiver, the local time of the stretch's first sweep, the unit, the scan's name, the
//   range in kHz), then per step the frequency in whole kHz, an empty field for a relative
//   level, and the level of one trace in dBm with one decimal ("902000;;-87.5");
// - summary: comma-separated values under a header: frequency in MHz, the highest and the mean
//   level in dBm, and the share of sweeps at or above the threshold in percent.
// Frequencies are rounded to the kHz, means and shares, halves away from zero; gap fillers
// count in none of it. The rtl_power layout has a line per sweep, not per step: see
// SweepLines.
class ScanExport
{
public:
    enum class Format { Coordination, Wsm, Summary, RtlPower };
    struct Options
    {
        Format format = Format::Coordination;
        SpectrumTraces::Kind trace = SpectrumTraces::Kind::MaxHold; // coordination and wsm
        QString scanName; // wsm
    };

    // The file's text (of any format but RtlPower); empty when the traces counted no sweep.
    static QByteArray text(const SpectrumTraces &traces, const FrequencyAxis &axis,
                           const Options &options);
    // Writes the text to a file through a temporary one that replaces it only when complete,
    // so an existing file is never left half-written. False with the reason in *error.
    static bool save(const QString &path, const QByteArray &text, QString *error);

    // "-57.0" of -570 tenths.
    static QString tenthsText(qint64 tenths);
    // Whole kHz, halves away from zero: 902207 of 902 206 500 Hz.
    static qint64 kilohertz(qint64 hertz);
    // The names of the command line: "coordination", "wsm", "summary", "rtl_power"; "max",
    // "average", "last".
    static bool parseFormat(const QString &name, Format *format);
    static bool parseTrace(const QString &name, SpectrumTraces::Kind *trace);
};
