#pragma once

#include "RfSpectrumHistory.h"

#include <QList>
#include <QString>

class QIODevice;

// Reads scan journals (see JournalFormat) back into the history they followed. A record that
// is unfinished (the process ended while writing it) ends the reading. A damaged one (its
// length, checksum or content is wrong) is skipped: reading goes on at the next record whose
// checksum holds, and the words say how much was skipped. Nothing after the damage is lost
// that can still be read.
class JournalReader
{
public:
    struct Result
    {
        // Empty when the file is a journal; otherwise why nothing could be read.
        QString problem;
        // The history built from the records read (a summary keeps no sweeps).
        RfSpectrumHistory history;
        qint64 createdMs = 0;
        QString programVersion;
        int sweeps = 0;
        qint64 firstSweepMs = 0;
        qint64 lastSweepMs = 0;
        // The bytes of the file's start and the whole, sound records up to the first damage
        // (where a writer may go on), and of the whole file.
        qint64 validBytes = 0;
        qint64 fileBytes = 0;
        // Records were read after damage: the sound records are not one stretch from the
        // file's start, and a writer cannot simply go on after them.
        bool readPastDamage = false;
        // The highest access-point set number read, for a writer that goes on after them.
        quint32 lastSetNumber = 0;
        // What was dropped and why, in words; empty when the journal was read to its end.
        QString damage;
        // Events, labels and project texts changed.
        int edits = 0;
        // A journal of edits to a recording opened from a file: the file, with its size and
        // last change when the edits began.
        QString amendedPath;
        qint64 amendedSize = 0;
        qint64 amendedModifiedMs = 0;

        bool isReadable() const { return problem.isEmpty(); }
        bool isAmendment() const { return !amendedPath.isEmpty(); }
        // Something is in it to recover: sweeps, or edits to a recording.
        bool holdsWork() const { return sweeps > 0 || (isAmendment() && edits > 0); }
        qint64 droppedBytes() const { return fileBytes - validBytes; }
        // Never below nothing, even when the clock was set back during the scan.
        qint64 durationMs() const
        {
            return sweeps > 0 ? qMax<qint64>(0, lastSweepMs - firstSweepMs) : 0;
        }
    };

    // Reads a journal from the device's start (a device that can seek, to read past damage).
    // A summary counts the sweeps and their times without keeping them. The records are
    // replayed onto `start`: the history of the recording a journal of edits amends.
    static Result read(QIODevice &device, bool summaryOnly = false,
                       const RfSpectrumHistory &start = RfSpectrumHistory());
    static Result read(const QString &path, bool summaryOnly = false,
                       const RfSpectrumHistory &start = RfSpectrumHistory());

    // A journal read for recovery: a scan's as read() gives it; a journal of edits replayed
    // onto the recording it names, as the file holds it now (when the file cannot be read,
    // the journal's problem says so and the journal is to be kept).
    struct Recovered
    {
        Result journal;
        // What the recording file held before the edits (empty for a scan).
        RfSpectrumHistory recording;
        // The file is not the size or age it was when the edits began.
        bool recordingChanged = false;
    };
    static Recovered readForRecovery(const QString &path);

    struct Entry
    {
        QString path;
        // A running program (perhaps this one) is writing it.
        bool inUse = false;
        // The file could not be opened (another user's, say): its summary says why.
        bool unopened = false;
        Result summary;
    };
    // The journals in a folder, newest first, with their summaries.
    static QList<Entry> list(const QString &folder);
};
