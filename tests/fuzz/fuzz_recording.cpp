// The recording reader, and quorvex-tarn's info and advise on the same bytes as a file. A
// recording read whole is saved again and must open with the same sweeps.

#include "FuzzSupport.h"
#include "data/RecordingFile.h"
#include "tools/TarnCommand.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

QString s_path;

QByteArray written(const RfSpectrumHistory &history)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    FUZZ_CHECK(RecordingFile::write(buffer, history));
    return buffer.data();
}

RfSpectrumHistory reread(const QByteArray &bytes, RecordingFile::Band band)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RfSpectrumHistory history;
    RecordingFile::Integrity integrity = RecordingFile::Integrity::Damaged;
    FUZZ_CHECK(RecordingFile::read(buffer, history, &integrity) == band);
    FUZZ_CHECK(integrity == RecordingFile::Integrity::Whole);
    return history;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::init(argc, argv);
    const QString shm = QStringLiteral("/dev/shm");
    s_path = (QDir(shm).exists() ? shm : QDir::tempPath())
        + QStringLiteral("/quorvex-fuzz-%1.tarn").arg(QCoreApplication::applicationPid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RfSpectrumHistory history;
    RecordingFile::Integrity integrity = RecordingFile::Integrity::Whole;
    const RecordingFile::Band band = RecordingFile::read(buffer, history, &integrity);

    if (band != RecordingFile::Band::Rejected && integrity == RecordingFile::Integrity::Whole) {
        // Saved and opened again, the sweeps are the same; saving once more changes nothing.
        // (The framework writes a date-time that is no valid date-time in another form than it
        // reads it, so only the second save is compared byte for byte.)
        const RfSpectrumHistory once = reread(written(history), band);
        FUZZ_CHECK(once.samples == history.samples);
        const QByteArray second = written(once);
        FUZZ_CHECK(written(reread(second, band)) == second);
    }

    QFile file(s_path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
    file.close();
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    for (const char *command : {"info", "advise"}) {
        const int status = TarnCommand::run(
            {QStringLiteral("quorvex-tarn"), QString::fromLatin1(command), s_path}, out, err);
        FUZZ_CHECK(status == TarnCommand::Done || status == TarnCommand::Unreadable);
    }
    return 0;
}
