#pragma once

#include "data/SurveyFigures.h"

#include <QPageSize>
#include <QString>
#include <functional>

class QLocale;

// A site-survey report of a stretch of a history, as one PDF a technician hands to the client:
// a title block (project, location, technician, band, first and last sweep, duration, sweeps,
// the program's version), the density spectrogram with its Max Hold trace and the waterfall
// (vector axes, text and legends, the colours rendered at print resolution), the Wi-Fi channel
// table (or the 900 MHz band's 2 MHz segments), the VEXA ID ranking with its recommendation,
// the time events and the strongest peaks; every page numbered, its footer naming the stretch
// and the threshold.
//
// It draws with a painter only (no widget), so a window can write it on another thread. What
// goes on the pages is said here; ReportLayout places it on them, ReportPainter draws it.
class SurveyReport
{
public:
    struct Input
    {
        RfSpectrumHistory history;
        SurveyFigures::Options options;
        QString programVersion;
    };

    // How far the writing got, 0 to 100; false stops it (nothing is written then).
    using Progress = std::function<bool(int percent)>;

    // Writes the report to `path` through a temporary file that replaces it only once every
    // byte is written. False, with the reason in *error, when it cannot be written or was
    // stopped.
    static bool write(const Input &input, const QString &path, QString *error,
                      const Progress &progress = {});

    // Letter where the locale's paper is, A4 elsewhere.
    static QPageSize::PageSizeId pageSizeFor(const QLocale &locale);
};
