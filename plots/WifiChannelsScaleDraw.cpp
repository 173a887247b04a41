#include "WifiChannelsScaleDraw.h"

#include "ChannelLabel.h"
#include "data/Constants.h"

QwtText WifiChannelsScaleDraw::label(double value) const
{
    return QwtText(channelLabel(Constants::k_wifiChannelFreq, value, 0));
}
