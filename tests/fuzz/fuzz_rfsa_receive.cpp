// The analyzer's receive path: bytes arriving in chunks of any size into the protocol object,
// after any command (an acknowledgement pending) or none. Like the scan, a completed sweep asks
// for the next one. Input: one byte choosing the first command, then chunks, each a length
// byte (1 to 256 bytes follow) and its bytes.

#include "FuzzSupport.h"
#include "comms/RfsaFrame.h"
#include "comms/RfsaSerialComms.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

class FedRfsa : public RfsaSerialComms
{
public:
    FedRfsa()
        : RfsaSerialComms(QString())
    { }
    using RfsaSerialComms::receiveBytes;
    const QByteArray &buffered() const { return m_receiveData; }
};

void send(FedRfsa &comms, quint8 choice)
{
    switch (choice % 12) {
    case 0:
        comms.getSpecNoInit();
        break;
    case 1:
        comms.getCalibration();
        break;
    case 2:
        comms.getRfParams(RfsaSerialComms::FBand_2400MHz);
        break;
    case 3:
        comms.getInfoStr(1, 2);
        break;
    case 4:
        comms.getDeviceVer();
        break;
    case 5:
        comms.getFwVer();
        break;
    case 6:
        comms.connect();
        break;
    case 7:
        comms.disconnect();
        break;
    case 8:
        comms.setFBand(RfsaSerialComms::SetFBand_900MHz);
        break;
    case 9:
        comms.getLastError();
        break;
    case 10:
        comms.resetToBootloader();
        break;
    default:
        break; // nothing sent, no acknowledgement awaited
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    FedRfsa comms;
    const auto checkSweep
        = [](qint64, const RfSpectrumScan &scan) { FUZZ_CHECK(scan.size() <= 65535); };
    QObject::connect(&comms, &RfsaSerialComms::getSpecNoInitDone, checkSweep);
    QObject::connect(&comms, &RfsaSerialComms::getCalibrationDone, checkSweep);
    QObject::connect(&comms, &RfsaSerialComms::getSpecNoInitDone, &comms,
                     &RfsaSerialComms::getSpecNoInit);
    send(comms, input.ConsumeIntegral<quint8>());
    while (input.remaining_bytes() > 0) {
        const size_t length = size_t(input.ConsumeIntegral<quint8>()) + 1;
        const std::string chunk = input.ConsumeBytesAsString(length);
        comms.receiveBytes(QByteArray(chunk.data(), int(chunk.size())));
        // Whatever arrived, no complete frame is left behind unparsed.
        const QByteArray &rest = comms.buffered();
        FUZZ_CHECK(rest.size() < 5
                   || (quint8(rest.at(0)) == RfsaFrame::k_startByte
                       && rest.size() < quint8(rest.at(1)) + 5));
    }
    return 0;
}
