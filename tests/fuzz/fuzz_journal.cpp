// The scan journal reader, which the program runs on whatever it finds in its journal folder
// at every start. What it reads, written again as a journal, reads back the same; what it read
// before any damage is exactly what the sound part of the bytes holds, and reading on past
// damage only ever adds to it.

#include "FuzzSupport.h"
#include "data/JournalEncoder.h"
#include "data/JournalReader.h"

#include <QBuffer>

namespace {

JournalReader::Result readBytes(const QByteArray &bytes, bool summaryOnly = false)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return JournalReader::read(buffer, summaryOnly);
}

QByteArray encoded(const JournalReader::Result &result)
{
    JournalEncoder encoder;
    QByteArray out;
    encoder.header(out, result.history, result.createdMs, result.programVersion);
    encoder.contents(out, result.history);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const JournalReader::Result read = readBytes(bytes);
    FUZZ_CHECK(read.validBytes <= read.fileBytes);
    if (!read.isReadable())
        return 0;
    FUZZ_CHECK(read.sweeps == read.history.samples.size());
    FUZZ_CHECK(read.damage.isEmpty() == (read.validBytes == read.fileBytes));

    // The sound part alone reads the same (a start of it, when records were read past damage),
    // and a summary counts the same sweeps.
    const JournalReader::Result sound = readBytes(bytes.left(int(read.validBytes)));
    FUZZ_CHECK(sound.damage.isEmpty());
    if (read.readPastDamage)
        FUZZ_CHECK(read.history.samples.toList(0, sound.sweeps) == sound.history.samples.toList());
    else
        FUZZ_CHECK(sound.history == read.history);
    const JournalReader::Result summary = readBytes(bytes, true);
    FUZZ_CHECK(summary.sweeps == read.sweeps && summary.validBytes == read.validBytes);

    // Journalled again from what was read, it reads back the same; once more, byte for byte.
    const JournalReader::Result again = readBytes(encoded(read));
    FUZZ_CHECK(again.damage.isEmpty() && again.history.samples == read.history.samples);
    const QByteArray second = encoded(again);
    FUZZ_CHECK(encoded(readBytes(second)) == second);
    return 0;
}
