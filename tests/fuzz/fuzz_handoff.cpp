// The single-instance hand-off reader: what a second start sends over the local socket,
// arriving in chunks of any size (length byte, then 1 to 256 bytes), read line by line as the
// running window reads it.

#include "FuzzSupport.h"
#include "app/SingleInstance.h"

#include <QBuffer>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    QByteArray received;
    QBuffer device(&received);
    device.open(QIODevice::ReadWrite);
    QStringList args;
    qint64 lineFeeds = 0;
    while (input.remaining_bytes() > 0) {
        const size_t length = size_t(input.ConsumeIntegral<quint8>()) + 1;
        const std::string chunk = input.ConsumeBytesAsString(length);
        lineFeeds += std::count(chunk.begin(), chunk.end(), '\n');
        // New bytes at the end, as a socket's buffer grows, read from where reading stopped.
        const qint64 at = device.pos();
        device.seek(received.size());
        device.write(chunk.data(), qint64(chunk.size()));
        device.seek(at);
        SingleInstance::readArgs(device, args);
        FUZZ_CHECK(args.size() == lineFeeds);
    }
    for (const QString &arg : qAsConst(args))
        FUZZ_CHECK(!arg.contains(QLatin1Char('\n')) && !arg.contains(QChar(0)));
    return 0;
}
