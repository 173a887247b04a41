#pragma once

#include "RfSpectrumHistory.h"

#include <QList>
#include <QString>

class QIODevice;

// Reads scan journals (see JournalFormat) back into the history they followed. Reading stops
// at the first record that is unfinished (the process ended while writing it) or damaged (its
// length, checksum or content is wrong); everything before it is kept and the rest is counted
// as dropped.
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
        // The bytes of whole, sound records (and the file's start) and of the whole file.
        qint64 validBytes = 0;
        qint64 fileBytes = 0;
        // The highest access-point set number read, for a writer that goes on after them.
        quint32 lastSetNumber = 0;
        // What was dropped and why, in words; empty when the journal was read to its end.
        QString damage;

        bool isReadable() const { return problem.isEmpty(); }
        qint64 droppedBytes() const { return fileBytes - validBytes; }
        qint64 durationMs() const { return sweeps > 0 ? lastSweepMs - firstSweepMs : 0; }
    };

    // Reads a journal from the device's start. A summary counts the sweeps and their times
    // without keeping them.
    static Result read(QIODevice &device, bool summaryOnly = false);
    static Result read(const QString &path, bool summaryOnly = false);

    struct Entry
    {
        QString path;
        // A running program (perhaps this one) is writing it.
        bool inUse = false;
        Result summary;
    };
    // The journals in a folder, newest first, with their summaries.
    static QList<Entry> list(const QString &folder);
};
