#pragma once

#include "ProjectInfoData.h"
#include "RfSpectrumSample.h"
#include "SpectroLabel.h"
#include "TimeEvent.h"

#include <QList>
#include <qwt_interval.h>

class QDataStream;

// Everything a band page has accumulated; also the content of a recording file.
struct RfSpectrumHistory
{
    QwtInterval freqInterval; // MHz, FStart to FStart + Span of the band
    QwtInterval rssiInterval; // dBm, -100 to -30
    QList<RfSpectrumSample> samples; // arrival order, timestamps never decrease
    QList<TimeEvent> timeEvents; // order of addition
    QList<SpectroLabel> labels; // order of addition
    ProjectInfoData projectInfo;

    bool operator==(const RfSpectrumHistory &other) const;
    bool operator!=(const RfSpectrumHistory &other) const { return !(*this == other); }
};

QDataStream &operator<<(QDataStream &out, const RfSpectrumHistory &history);
QDataStream &operator>>(QDataStream &in, RfSpectrumHistory &history);
