#pragma once

#include "RfParamsEntry.h"

#include <QMetaType>
#include <QVector>

// The analyzer's answer to one RF-parameter query: the table header's sweep count and one
// entry per resolution-bandwidth setting, in the order received.
struct RfParams
{
    int sweepCount = 0;
    QVector<RfParamsEntry> entries;

    bool operator==(const RfParams &other) const
    {
        return sweepCount == other.sweepCount && entries == other.entries;
    }
    bool operator!=(const RfParams &other) const { return !(*this == other); }
};

Q_DECLARE_METATYPE(RfParams)
