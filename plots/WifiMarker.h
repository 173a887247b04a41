#pragma once

#include "PlacedLabelMarker.h"
#include "data/WifiApInfo.h"

// An access point's network name in a small box, centred on its channel just above the flat
// top of its outline, in its colour on a dark background of the same hue. Among crowded
// channels the box moves aside, higher up or just below the flat top, staying over its own
// outline; where no whole name fits it is shortened, and left out where nothing fits.
class WifiMarker : public PlacedLabelMarker
{
public:
    explicit WifiMarker(WifiApInfo ap);
};
