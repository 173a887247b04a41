#pragma once

#include "data/EventFinder.h"

#include <QString>

class QTextStream;

// quorvex-tarn events: where the air of a recording changed, one line per event in time
// order: its start as the time since the recording's first sweep, its frequency range, its
// peak level and how long it lasted; then the recording's own time events, marked as such.
// The recording streams by, so one of any length is searched in the memory of a minute of
// sweeps.
class TarnEvents
{
public:
    // Returns the exit status (TarnCommand::ExitCode).
    static int run(const QString &fileName, const EventFinder::Options &options, QTextStream &out,
                   QTextStream &err);

    // "HH:MM:SS" of a span of time; the hours do not wrap, a negative span has a minus sign.
    static QString clock(qint64 msecs);
    // One found event's line, its start counted from `firstSweepMs`.
    static QString line(const EventFinder::Event &event, qint64 firstSweepMs);
};
