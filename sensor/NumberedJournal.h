#pragma once

#include "data/JournalReader.h"

// A sensor's journal read back for its numbers: the k-th sweep in it is the segment's first
// number plus k, so only the sweeps before any damage count. Sweeps the reader finds past damage
// in the middle could not be numbered (how many the damage held is unknown): they are left out,
// as if the journal ended at the damage.
class NumberedJournal
{
public:
    static JournalReader::Result read(const QString &path, bool summaryOnly = false);
};
