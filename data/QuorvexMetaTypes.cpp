#include "QuorvexMetaTypes.h"

#include "RfSpectrumScan.h"
#include "WifiApInfo.h"

#include <QMetaType>

void QuorvexMetaTypes::registerAll()
{
    qRegisterMetaType<RfSpectrumScan>("RfSpectrumScan");
    qRegisterMetaType<WifiScan>("WifiScan");
}
