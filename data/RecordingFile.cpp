#include "RecordingFile.h"

#include "DataLog.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QIODevice>
#include <QSaveFile>

RecordingFile::Band RecordingFile::read(QIODevice &device, RfSpectrumHistory &history,
                                        Integrity *integrity)
{
    QDataStream in(&device);
    in.setVersion(QDataStream::Qt_5_15);
    history = RfSpectrumHistory();
    in >> history;
    const Integrity found = in.status() == QDataStream::Ok ? Integrity::Whole
        : in.status() == QDataStream::ReadPastEnd          ? Integrity::CutShort
                                                           : Integrity::Damaged;
    if (integrity)
        *integrity = found;
    if (found != Integrity::Whole)
        qCWarning(lcData) << "Recording ends early or is corrupt; read" << history.samples.size()
                          << "samples";

    const Band band = bandOf(history);
    if (band == Band::Rejected)
        qCCritical(lcData).noquote() << wrongIntervalMessage();
    return band;
}

QString RecordingFile::load(QFile &file, RfSpectrumHistory &history, Band *band,
                            Integrity *integrity)
{
    history = RfSpectrumHistory();
    if (!file.isOpen() && !file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("RecordingFile", "it cannot be opened (%1)")
            .arg(file.errorString());
    Integrity found = Integrity::Whole;
    const Band foundBand = read(file, history, &found);
    file.close();
    if (band)
        *band = foundBand;
    if (integrity)
        *integrity = found;
    if (foundBand == Band::Rejected)
        return QCoreApplication::translate(
                   "RecordingFile",
                   "it is not a recording of either band (its frequency range is %1 to %2 MHz)")
            .arg(history.freqInterval.minValue())
            .arg(history.freqInterval.maxValue());
    if (found == Integrity::Damaged)
        return QCoreApplication::translate("RecordingFile",
                                           "the file is damaged after %1 whole sweeps")
            .arg(history.samples.size());
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
    if (file.open(QIODevice::WriteOnly) && write(file, history) && file.commit())
        return true;
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

QString RecordingFile::wrongIntervalMessage()
{
    return QStringLiteral("The file loaded has a wrong frequency interval");
}
