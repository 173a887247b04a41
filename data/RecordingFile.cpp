#include "RecordingFile.h"

#include "DataLog.h"
#include "RecordingDecoder.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

RecordingFile::Band RecordingFile::read(QIODevice &device, RfSpectrumHistory &history,
                                        Integrity *integrity, const ReadProgress &progress)
{
    history = RfSpectrumHistory();
    SampleStore &samples = history.samples;
    samples.deferSummaries();
    const Band band = stream(
        device, history, [&samples](const RfSpectrumSample &sample) { samples.append(sample); },
        integrity, progress);
    samples.completeSummaries();
    return band;
}

RecordingFile::Band RecordingFile::stream(QIODevice &device, RfSpectrumHistory &history,
                                          const SampleSink &sink, Integrity *integrity,
                                          const ReadProgress &progress)
{
    history.freqInterval = QwtInterval();
    history.rssiInterval = QwtInterval();
    history.timeEvents.clear();
    history.labels.clear();
    history.projectInfo = ProjectInfoData();
    qint64 sweeps = 0;
    const SampleSink counted = [&](const RfSpectrumSample &sample) {
        ++sweeps;
        sink(sample);
    };
    QDataStream::Status status = QDataStream::Ok;
    if (device.isSequential()) {
        // A pipe or a socket: read as it comes.
        QDataStream in(&device);
        in.setVersion(QDataStream::Qt_5_15);
        readHistory(in, history, counted, progress);
        status = in.status();
    } else {
        status = RecordingDecoder(device).read(history, counted, progress);
    }
    const Integrity found = status == QDataStream::Ok ? Integrity::Whole
        : status == QDataStream::ReadPastEnd          ? Integrity::CutShort
                                                      : Integrity::Damaged;
    if (integrity)
        *integrity = found;
    if (found != Integrity::Whole)
        qCWarning(lcData) << "Recording ends early or is corrupt; read" << sweeps << "samples";

    const Band band = bandOf(history);
    if (band == Band::Rejected)
        qCCritical(lcData).noquote() << wrongIntervalMessage();
    return band;
}

QString RecordingFile::load(QFile &file, RfSpectrumHistory &history, Band *band,
                            Integrity *integrity, const ReadProgress &progress)
{
    history = RfSpectrumHistory();
    SampleStore &samples = history.samples;
    samples.deferSummaries();
    const QString problem = loadStreaming(
        file, history, [&samples](const RfSpectrumSample &sample) { samples.append(sample); }, band,
        integrity, nullptr, progress);
    samples.completeSummaries();
    if (problem == cancelledMessage())
        history = RfSpectrumHistory();
    return problem;
}

QString RecordingFile::loadStreaming(QFile &file, RfSpectrumHistory &history,
                                     const SampleSink &sink, Band *band, Integrity *integrity,
                                     qint64 *sweeps, const ReadProgress &progress)
{
    if (!file.isOpen() && !file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("RecordingFile", "it cannot be opened (%1)")
            .arg(file.errorString());
    Integrity found = Integrity::Whole;
    bool cancelled = false;
    qint64 count = 0;
    const Band foundBand = stream(
        file, history,
        [&](const RfSpectrumSample &sample) {
            ++count;
            sink(sample);
        },
        &found,
        [&](qint64 read, qint64 total) {
            cancelled = progress && !progress(read, total);
            return !cancelled;
        });
    file.close();
    if (band)
        *band = cancelled ? Band::Rejected : foundBand;
    if (integrity)
        *integrity = found;
    if (sweeps)
        *sweeps = count;
    if (cancelled)
        return cancelledMessage();
    if (foundBand == Band::Rejected)
        return QCoreApplication::translate(
                   "RecordingFile",
                   "it is not a recording of either band (its frequency range is %1 to %2 MHz)")
            .arg(history.freqInterval.minValue())
            .arg(history.freqInterval.maxValue());
    if (found == Integrity::Damaged)
        return QCoreApplication::translate("RecordingFile",
                                           "the file is damaged after %1 whole sweeps")
            .arg(count);
    return QString();
}

bool RecordingFile::write(QIODevice &device, const RfSpectrumHistory &history)
{
    QDataStream out(&device);
    out.setVersion(QDataStream::Qt_5_15);
    out << history;
    return out.status() == QDataStream::Ok;
}

bool RecordingFile::save(const QString &path, const RfSpectrumHistory &history, QString *error)
{
    QSaveFile file(path);
    // The last bytes wait in the file's buffer: written out inside commit(), a failure there
    // (a full disk) would go unnoticed and a cut file replace the earlier one. Flushed first,
    // it is seen and nothing is replaced.
    if (file.open(QIODevice::WriteOnly) && write(file, history) && file.flush() && file.commit()) {
        // The data is on the disk before the rename; the rename itself is only once the
        // folder is synced. Until then a power cut could leave the old file (or none), and
        // whoever deletes a journal once the save returns would lose the scan.
        const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool synced = folder >= 0 && ::fsync(folder) == 0;
        const int syncError = errno;
        if (folder >= 0)
            ::close(folder);
        if (synced || syncError == EINVAL)
            return true;
        if (error)
            *error = QString::fromLocal8Bit(strerror(syncError));
        return false;
    }
    if (error)
        *error = file.errorString();
    file.cancelWriting();
    return false;
}

namespace {

// QwtInterval::contains, from the interval's inline members: the core library reads the
// plotting library's interval type without linking the plotting library.
bool contains(const QwtInterval &interval, double value)
{
    if (!interval.isValid() || value < interval.minValue() || value > interval.maxValue())
        return false;
    if (value == interval.minValue() && (interval.borderFlags() & QwtInterval::ExcludeMinimum))
        return false;
    return !(value == interval.maxValue()
             && (interval.borderFlags() & QwtInterval::ExcludeMaximum));
}

} // namespace

RecordingFile::Band RecordingFile::bandOf(const RfSpectrumHistory &history)
{
    if (contains(history.freqInterval, 915.0))
        return Band::Band900MHz;
    if (contains(history.freqInterval, 2450.0))
        return Band::Band2400MHz;
    return Band::Rejected;
}

QString RecordingFile::cancelledMessage()
{
    return QCoreApplication::translate("RecordingFile", "reading it was cancelled");
}

QString RecordingFile::wrongIntervalMessage()
{
    return QStringLiteral("The file loaded has a wrong frequency interval");
}
