#include "ZigBeeChannelsScaleDraw.h"

#include "ChannelLabel.h"
#include "data/Constants.h"

QwtText ZigBeeChannelsScaleDraw::label(double value) const
{
    return QwtText(channelLabel(Constants::k_zigBeeChannelFreq, value, 10));
}
