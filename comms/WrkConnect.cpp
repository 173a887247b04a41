#include "WrkConnect.h"

namespace {

// Info-string selectors: the CPU (1: host MCU, 0: radio MCU) and its firmware version string.
constexpr quint8 k_hostCpu = 1;
constexpr quint8 k_radioCpu = 0;
constexpr quint8 k_firmwareVersionString = 0;

} // namespace

WrkConnect::WrkConnect(const QString &portName, DeviceComms *deviceComms,
                       const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    RfsaSerialComms *c = rfsa();
    QState *hostInfo = addStep([c] { c->getInfoStr(k_hostCpu, k_firmwareVersionString); });
    QState *radioInfo = addStep([c] { c->getInfoStr(k_radioCpu, k_firmwareVersionString); });
    QState *params900 = addStep([c] { c->getRfParams(RfsaSerialComms::FBand_900MHz); });
    QState *params2400 = addStep([c] { c->getRfParams(RfsaSerialComms::FBand_2400MHz); });
    QState *sendConnect = addStep([c] { c->connect(); });

    hostInfo->addTransition(c, &RfsaSerialComms::getInfoStrDone, radioInfo);
    radioInfo->addTransition(c, &RfsaSerialComms::getInfoStrDone, params900);
    params900->addTransition(c, &RfsaSerialComms::getRfParamsDone, params2400);
    params2400->addTransition(c, &RfsaSerialComms::getRfParamsDone, sendConnect);
    sendConnect->addTransition(c, &RfsaSerialComms::connectDone, m_finalState);

    forward(&RfsaSerialComms::getInfoStrDone, &DeviceComms::rfsaGetInfoStrDone);
    forward(&RfsaSerialComms::getDeviceVerDone, &DeviceComms::rfsaGetDeviceVerDone);
    forward(&RfsaSerialComms::getRfParamsDone, &DeviceComms::rfsaGetRfParamsDone);
    forward(&RfsaSerialComms::connectDone, &DeviceComms::rfsaConnectDone);

    const bool skipFwVersions = parameters.value(QStringLiteral("skipFwVersions")).toBool();
    start(skipFwVersions ? params900 : hostInfo);
}
