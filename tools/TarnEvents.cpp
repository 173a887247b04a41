#include "TarnEvents.h"

#include "TarnCommand.h"
#include "data/RecordingFile.h"

#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <memory>

QString TarnEvents::clock(qint64 msecs)
{
    const QString sign = msecs < 0 ? QStringLiteral("-") : QString();
    const qint64 seconds = qAbs(msecs) / 1000;
    return sign
        + QStringLiteral("%1:%2:%3")
              .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
              .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
              .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString TarnEvents::line(const EventFinder::Event &event, qint64 firstSweepMs)
{
    return QStringLiteral("%1  %2-%3 MHz  %4 dBm  %5%6")
        .arg(clock(event.startMs - firstSweepMs))
        .arg(event.lowerMHz, 0, 'f', 1)
        .arg(event.upperMHz, 0, 'f', 1)
        .arg(event.peakDbm)
        .arg(clock(event.durationMs()))
        .arg(event.ongoing ? QStringLiteral("  (still busy at the end)") : QString());
}

int TarnEvents::run(const QString &fileName, const EventFinder::Options &options, QTextStream &out,
                    QTextStream &err)
{
    const QString program = QStringLiteral("quorvex-tarn");
    QFile file(fileName);
    RfSpectrumHistory history;
    RecordingFile::Integrity integrity = RecordingFile::Integrity::Whole;
    std::unique_ptr<EventFinder> finder;
    qint64 first = 0;
    qint64 sweeps = 0;
    const QString problem = RecordingFile::loadStreaming(
        file, history,
        [&](const RfSpectrumSample &sample) {
            // The band is known before the first sweep; a file of neither band is rejected
            // once it is read.
            if (RecordingFile::bandOf(history) == RecordingFile::Band::Rejected)
                return;
            if (!finder) {
                finder = std::make_unique<EventFinder>(FrequencyAxis::of(history),
                                                       sample.scan.size(), options);
                first = sample.timestamp;
            }
            finder->add(sample.timestamp, reinterpret_cast<const qint8 *>(sample.scan.constData()),
                        sample.scan.size());
        },
        nullptr, &integrity, &sweeps);
    if (!problem.isEmpty()) {
        err << program << ": cannot read " << fileName << ": " << problem << '\n';
        return TarnCommand::Unreadable;
    }
    if (integrity == RecordingFile::Integrity::CutShort)
        err << program << ": warning: " << fileName << " ends early; it holds " << sweeps
            << " whole sweeps\n";

    const QList<EventFinder::Event> events
        = finder ? finder->finish() : QList<EventFinder::Event>();
    for (const EventFinder::Event &event : events)
        out << line(event, first) << '\n';
    QList<TimeEvent> timeEvents = history.timeEvents;
    std::stable_sort(
        timeEvents.begin(), timeEvents.end(),
        [](const TimeEvent &a, const TimeEvent &b) { return a.dateTime < b.dateTime; });
    for (const TimeEvent &event : qAsConst(timeEvents)) {
        const QString when = finder ? clock(event.dateTime.toMSecsSinceEpoch() - first)
                                    : QStringLiteral("--:--:--");
        out << when << "  time event: " << TarnCommand::printable(event.text) << '\n';
    }
    return TarnCommand::Done;
}
