// The radio bootloader's receive path: bytes in chunks of any size after any command. Input:
// one byte choosing the command, then chunks, each a length byte (1 to 256 bytes follow) and
// its bytes; a chunk whose length byte is 0xFF sends the next command (of the byte after it)
// first, as the sequences do after each completion.

#include "FuzzSupport.h"
#include "firmware/RblSerialComms.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

class FedRbl : public RblSerialComms
{
public:
    FedRbl()
        : RblSerialComms(QString())
    { }
    using RblSerialComms::receiveBytes;
    const QByteArray &buffered() const { return m_receiveData; }
};

void send(FedRbl &comms, quint8 choice)
{
    switch (choice % 13) {
    case 0:
        comms.autoBaud();
        break;
    case 1:
        comms.cmdPing();
        break;
    case 2:
        comms.cmdDownload(0x1000, 4096);
        break;
    case 3:
        comms.cmdGetStatus();
        break;
    case 4:
        comms.cmdSendData(QByteArray(252, '\x5a'));
        break;
    case 5:
        comms.cmdReset();
        break;
    case 6:
        comms.cmdSectorErase(0x1000);
        break;
    case 7:
        comms.cmdCrc32(0, 4096, 0);
        break;
    case 8:
        comms.cmdGetChipId();
        break;
    case 9:
        comms.cmdMemoryRead(0x20000000, 1, 4);
        break;
    case 10:
        comms.cmdMemoryWrite(0x20000000, QByteArray(4, '\1'));
        break;
    case 11:
        comms.cmdBankErase();
        break;
    default:
        comms.cmdSetCcfg(1, 2);
        break;
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
    FedRbl comms;
    send(comms, input.ConsumeIntegral<quint8>());
    while (input.remaining_bytes() > 0) {
        const quint8 lengthByte = input.ConsumeIntegral<quint8>();
        if (lengthByte == 0xFF) {
            send(comms, input.ConsumeIntegral<quint8>());
            continue;
        }
        const std::string chunk = input.ConsumeBytesAsString(size_t(lengthByte) + 1);
        comms.receiveBytes(QByteArray(chunk.data(), int(chunk.size())));
        // Everything that can be handled has been: nothing is left while an acknowledgement is
        // awaited, at most an incomplete response frame (its size byte in front) otherwise.
        const QByteArray &rest = comms.buffered();
        FUZZ_CHECK(comms.waitingAck() ? rest.isEmpty()
                                      : rest.isEmpty() || quint8(rest.at(0)) > rest.size());
    }
    return 0;
}
