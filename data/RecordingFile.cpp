#include "RecordingFile.h"

#include "DataLog.h"

#include <QDataStream>
#include <QIODevice>

RecordingFile::Band RecordingFile::read(QIODevice &device, RfSpectrumHistory &history,
                                        bool *complete)
{
    QDataStream in(&device);
    in.setVersion(QDataStream::Qt_5_15);
    history = RfSpectrumHistory();
    in >> history;
    const bool whole = in.status() == QDataStream::Ok;
    if (complete)
        *complete = whole;
    if (!whole)
        qCWarning(lcData) << "Recording ends early or is corrupt; read" << history.samples.size()
                          << "samples";

    const Band band = bandOf(history);
    if (band == Band::Rejected)
        qCCritical(lcData).noquote() << wrongIntervalMessage();
    return band;
}

bool RecordingFile::write(QIODevice &device, const RfSpectrumHistory &history)
{
    QDataStream out(&device);
    out.setVersion(QDataStream::Qt_5_15);
    out << history;
    return out.status() == QDataStream::Ok;
}

RecordingFile::Band RecordingFile::bandOf(const RfSpectrumHistory &history)
{
    if (history.freqInterval.contains(915.0))
        return Band::Band900MHz;
    if (history.freqInterval.contains(2450.0))
        return Band::Band2400MHz;
    return Band::Rejected;
}

QString RecordingFile::wrongIntervalMessage()
{
    return QStringLiteral("The file loaded has a wrong frequency interval");
}
