#include "QuorvexMetaTypes.h"

#include "RfSpectrumScan.h"
#include "WifiApInfo.h"
#include "comms/RfParams.h"
#include "comms/RfsaSerialComms.h"

#include <QMetaType>

void QuorvexMetaTypes::registerAll()
{
    qRegisterMetaType<RfSpectrumScan>("RfSpectrumScan");
    qRegisterMetaType<RfParams>("RfParams");
    qRegisterMetaType<RfsaSerialComms::FBand>("RfsaSerialComms::FBand");
    qRegisterMetaType<RfsaSerialComms::SetFBand>("RfsaSerialComms::SetFBand");
    qRegisterMetaType<WifiScan>("WifiScan");
}
