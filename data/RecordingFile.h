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

    // Reads a whole recording from the device's current position, in one pass into the
    // history's compact store, and tells (when asked) how much of it could be read. A
    // frequency interval of neither band is rejected with a critical log message. `progress`
    // hears how far it got, and may stop it (see readHistory).
    static Band read(QIODevice &device, RfSpectrumHistory &history, Integrity *integrity = nullptr,
                     const ReadProgress &progress = {});
    // Reads a recording as read() does but keeps no sample: each is handed to `sink` in turn,
    // so that a recording of any length is read in the memory of one sample.
    static Band stream(QIODevice &device, RfSpectrumHistory &history, const SampleSink &sink,
                       Integrity *integrity = nullptr, const ReadProgress &progress = {});

    // Opens (unless open) and reads a recording file. Returns why it cannot be shown (it
    // cannot be opened, is not a recording of either band, is damaged, or the reading was
    // cancelled through `progress`: then the history is left empty), or an empty text when it
    // can; a file cut short can, with what it holds (see *integrity).
    static QString load(QFile &file, RfSpectrumHistory &history, Band *band = nullptr,
                        Integrity *integrity = nullptr, const ReadProgress &progress = {});
    // As load(), keeping no sample: each goes to `sink`; *sweeps tells how many were read.
    static QString loadStreaming(QFile &file, RfSpectrumHistory &history, const SampleSink &sink,
                                 Band *band = nullptr, Integrity *integrity = nullptr,
                                 qint64 *sweeps = nullptr, const ReadProgress &progress = {});

    // Writes the history; returns false when the device did not take every byte.
    static bool write(QIODevice &device, const RfSpectrumHistory &history);
    // Writes the history to a file through a temporary file that replaces it only once every
    // byte is written, so an existing file is never left half-written. False with the reason
    // in *error when the file could not be written.
    static bool save(const QString &path, const RfSpectrumHistory &history, QString *error);

    static Band bandOf(const RfSpectrumHistory &history);
    static QString wrongIntervalMessage();
    // What load() says of a reading that `progress` stopped.
    static QString cancelledMessage();
};
