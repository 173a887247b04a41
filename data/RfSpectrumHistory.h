#pragma once

#include "ProjectInfoData.h"
#include "SampleStore.h"
#include "SpectroLabel.h"
#include "TimeEvent.h"

#include <QList>
#include <functional>
#include <qwt_interval.h>

class QDataStream;

// Everything a band page has accumulated; also the content of a recording file.
struct RfSpectrumHistory
{
    QwtInterval freqInterval; // MHz, FStart to FStart + Span of the band
    QwtInterval rssiInterval; // dBm, -100 to -30
    SampleStore samples; // arrival order, timestamps never decrease
    QList<TimeEvent> timeEvents; // order of addition
    QList<SpectroLabel> labels; // order of addition
    ProjectInfoData projectInfo;

    bool operator==(const RfSpectrumHistory &other) const;
    bool operator!=(const RfSpectrumHistory &other) const { return !(*this == other); }
};

QDataStream &operator<<(QDataStream &out, const RfSpectrumHistory &history);
QDataStream &operator>>(QDataStream &in, RfSpectrumHistory &history);

// The samples alone, in the recording's layout (a count, then each sample).
QDataStream &operator<<(QDataStream &out, const SampleStore &samples);

// Reads a history as operator>> does, in one pass, handing each sample read whole to `sink`
// (which may keep it, or only look at it) instead of the history's store. Reading stops at the
// first error; later fields keep their defaults. `progress`, when given, hears every few
// thousand samples how many of how many are read, and stops the reading (the stream then
// reports corrupt data) when it returns false.
using SampleSink = std::function<void(const RfSpectrumSample &sample)>;
using ReadProgress = std::function<bool(qint64 read, qint64 total)>;
void readHistory(QDataStream &in, RfSpectrumHistory &history, const SampleSink &sink,
                 const ReadProgress &progress = {});
