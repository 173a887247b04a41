#pragma once

#include "RfSpectrumHistory.h"

#include <QString>

class QFile;
class QIODevice;

// Reads and writes recordings (".tarn"): one history in the framework's data stream, version
// Qt 5.15, no header. The band of a recording is told by its frequency interval.
class RecordingFile
{
public:
    enum class Band { Rejected, Band900MHz, Band2400MHz };
    // Whole: every field read. CutShort: the file ends early; the history holds every element
    // read completely before the end. Damaged: a field cannot be what it claims (a count the
    // bytes left cannot hold, a text of odd length); reading stopped there and the later
    // fields keep their defaults.
    enum class Integrity { Whole, CutShort, Damaged };

    // Reads a whole recording from the device's current position and tells (when asked) how
    // much of it could be read. A frequency interval of neither band is rejected with a
    // critical log message.
    static Band read(QIODevice &device, RfSpectrumHistory &history, Integrity *integrity = nullptr);

    // Opens (unless open) and reads a recording file. Returns why it cannot be shown (it
    // cannot be opened, is not a recording of either band, or is damaged), or an empty text
    // when it can; a file cut short can, with what it holds (see *integrity).
    static QString load(QFile &file, RfSpectrumHistory &history, Band *band = nullptr,
                        Integrity *integrity = nullptr);

    // Writes the history; returns false when the device did not take every byte.
    static bool write(QIODevice &device, const RfSpectrumHistory &history);
    // Writes the history to a file through a temporary file that replaces it only once every
    // byte is written, so an existing file is never left half-written. False with the reason
    // in *error when the file could not be written.
    static bool save(const QString &path, const RfSpectrumHistory &history, QString *error);

    static Band bandOf(const RfSpectrumHistory &history);
    static QString wrongIntervalMessage();
};
