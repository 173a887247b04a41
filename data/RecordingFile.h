#pragma once

#include "RfSpectrumHistory.h"

#include <QString>

class QIODevice;

// Reads and writes recordings (".tarn"): one history in the framework's data stream, version
// Qt 5.15, no header. The band of a recording is told by its frequency interval.
class RecordingFile
{
public:
    enum class Band { Rejected, Band900MHz, Band2400MHz };

    // Reads a whole recording from the device's current position. A stream that ends early
    // or turns corrupt still yields what was read before; *complete (when given) tells whether
    // the whole history was read. A frequency interval of neither band is rejected with a
    // critical log message.
    static Band read(QIODevice &device, RfSpectrumHistory &history, bool *complete = nullptr);

    // Writes the history; returns false when the device did not take every byte.
    static bool write(QIODevice &device, const RfSpectrumHistory &history);

    static Band bandOf(const RfSpectrumHistory &history);
    static QString wrongIntervalMessage();
};
