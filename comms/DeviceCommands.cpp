#include "DeviceCommands.h"

#include "DeviceComms.h"
#include "WrkConnectCmd.h"
#include "WrkDisconnectCmd.h"
#include "WrkGetCalibration.h"
#include "WrkGetDeviceVer.h"
#include "WrkGetFwVer.h"
#include "WrkGetInfoStr.h"
#include "WrkGetLastError.h"
#include "WrkGetRfParams.h"
#include "WrkGetSpecNoInit.h"
#include "WrkHostBL.h"
#include "WrkInitParameter.h"
#include "WrkResetToBootloader.h"
#include "WrkSetFBand.h"
#include "WrkSetFStart.h"
#include "WrkSetFStep.h"
#include "WrkSetFStop.h"
#include "WrkSetRBW.h"
#include "WrkSetSpan.h"
#include "WrkSetSpanIndex.h"
#include "WrkSetStepCount.h"
#include "WrkSync.h"
#include "firmware/WrkRblAutoBaud.h"
#include "firmware/WrkRblCmdBankErase.h"
#include "firmware/WrkRblCmdCrc32.h"
#include "firmware/WrkRblCmdDownload.h"
#include "firmware/WrkRblCmdGetChipId.h"
#include "firmware/WrkRblCmdGetStatus.h"
#include "firmware/WrkRblCmdMemoryRead.h"
#include "firmware/WrkRblCmdMemoryWrite.h"
#include "firmware/WrkRblCmdPing.h"
#include "firmware/WrkRblCmdReset.h"
#include "firmware/WrkRblCmdSectorErase.h"
#include "firmware/WrkRblCmdSendData.h"
#include "firmware/WrkRblCmdSetCcfg.h"
#include "firmware/WrkRblWriteSector.h"

void DeviceCommands::rfsaConnect()
{
    start<WrkConnectCmd>();
}

void DeviceCommands::rfsaDisconnect()
{
    start<WrkDisconnectCmd>();
}

void DeviceCommands::rfsaGetDeviceVer()
{
    start<WrkGetDeviceVer>();
}

void DeviceCommands::rfsaGetFwVer()
{
    start<WrkGetFwVer>();
}

void DeviceCommands::rfsaGetRfParams(RfsaSerialComms::FBand band)
{
    start<WrkGetRfParams>({{QStringLiteral("FBand"), int(band)}});
}

void DeviceCommands::rfsaGetLastError()
{
    start<WrkGetLastError>();
}

void DeviceCommands::rfsaSync()
{
    start<WrkSync>();
}

void DeviceCommands::rfsaHostBL()
{
    start<WrkHostBL>();
}

void DeviceCommands::rfsaSetFBand(RfsaSerialComms::SetFBand band)
{
    start<WrkSetFBand>({{QStringLiteral("FBand"), int(band)}});
}

void DeviceCommands::rfsaSetFStart(double frequencyMHz)
{
    start<WrkSetFStart>({{QStringLiteral("FStart"), frequencyMHz}});
}

void DeviceCommands::rfsaSetFStop(double frequencyMHz)
{
    start<WrkSetFStop>({{QStringLiteral("FStop"), frequencyMHz}});
}

void DeviceCommands::rfsaSetSpanIndex(quint8 index)
{
    start<WrkSetSpanIndex>({{QStringLiteral("SpanIndex"), int(index)}});
}

void DeviceCommands::rfsaSetFStep(double frequencyKHz)
{
    start<WrkSetFStep>({{QStringLiteral("FStep"), frequencyKHz}});
}

void DeviceCommands::rfsaSetRBW(quint8 rbwRegValue)
{
    start<WrkSetRBW>({{QStringLiteral("RBW"), int(rbwRegValue)}});
}

void DeviceCommands::rfsaSetStepCount(quint16 stepCount)
{
    start<WrkSetStepCount>({{QStringLiteral("StepCount"), int(stepCount)}});
}

void DeviceCommands::rfsaSetSpan(quint16 FrequencyMHz)
{
    start<WrkSetSpan>({{QStringLiteral("Span"), int(FrequencyMHz)}});
}

void DeviceCommands::rfsaInitParameter()
{
    start<WrkInitParameter>();
}

void DeviceCommands::rfsaGetSpecNoInit()
{
    start<WrkGetSpecNoInit>();
}

void DeviceCommands::rfsaGetCalibration()
{
    start<WrkGetCalibration>();
}

void DeviceCommands::rfsaResetToBootloader()
{
    start<WrkResetToBootloader>();
}

void DeviceCommands::rfsaGetInfoString(quint8 cpu, quint8 str)
{
    start<WrkGetInfoStr>({{QStringLiteral("Cpu"), int(cpu)}, {QStringLiteral("String"), int(str)}});
}

void DeviceCommands::rblAutoBaud()
{
    start<WrkRblAutoBaud>();
}

void DeviceCommands::rblCmdPing()
{
    start<WrkRblCmdPing>();
}

void DeviceCommands::rblCmdDownload(quint32 address, quint32 size)
{
    start<WrkRblCmdDownload>(
        {{QStringLiteral("address"), address}, {QStringLiteral("size"), size}});
}

void DeviceCommands::rblCmdGetStatus()
{
    start<WrkRblCmdGetStatus>();
}

void DeviceCommands::rblCmdSendData(const QByteArray &data)
{
    start<WrkRblCmdSendData>({{QStringLiteral("data"), data}});
}

void DeviceCommands::rblCmdReset()
{
    start<WrkRblCmdReset>();
}

void DeviceCommands::rblCmdSectorErase(quint32 address)
{
    start<WrkRblCmdSectorErase>({{QStringLiteral("address"), address}});
}

void DeviceCommands::rblCmdCrc32(quint32 address, quint32 size, quint32 readRepeat)
{
    start<WrkRblCmdCrc32>({{QStringLiteral("address"), address},
                           {QStringLiteral("size"), size},
                           {QStringLiteral("readRepeat"), readRepeat}});
}

void DeviceCommands::rblCmdGetChipId()
{
    start<WrkRblCmdGetChipId>();
}

void DeviceCommands::rblCmdMemoryRead(quint32 address, quint32 size)
{
    start<WrkRblCmdMemoryRead>(
        {{QStringLiteral("address"), address}, {QStringLiteral("size"), size}});
}

void DeviceCommands::rblCmdMemoryWrite(quint32 address, const QByteArray &data)
{
    start<WrkRblCmdMemoryWrite>(
        {{QStringLiteral("address"), address}, {QStringLiteral("data"), data}});
}

void DeviceCommands::rblCmdBankErase()
{
    start<WrkRblCmdBankErase>();
}

void DeviceCommands::rblCmdSetCcfg(quint32 fieldId, quint32 fieldValue)
{
    start<WrkRblCmdSetCcfg>(
        {{QStringLiteral("fieldId"), fieldId}, {QStringLiteral("fieldValue"), fieldValue}});
}

void DeviceCommands::rblWriteSector(quint32 address, const QByteArray &data)
{
    start<WrkRblWriteSector>(
        {{QStringLiteral("address"), address}, {QStringLiteral("data"), data}});
}
