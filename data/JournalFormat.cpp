#include "JournalFormat.h"

#include "Crc32.h"

#include <QStandardPaths>
#include <QtEndian>

const QByteArray JournalFormat::k_magic = QByteArrayLiteral("QVXJRNL1");

QString JournalFormat::folder()
{
    // Spelled out rather than asked of the running program, so that quorvex-tarn (another
    // program name) finds the folder the window writes.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Tavorin/Quorvex/unsaved");
}

void JournalFormat::appendRecord(QByteArray &out, Record type, const QByteArray &payload)
{
    const quint32 bodyBytes = quint32(payload.size() + 1);
    const int start = out.size();
    out.resize(start + 4 + int(bodyBytes) + 4);
    char *at = out.data() + start;
    qToBigEndian(bodyBytes, at);
    at[4] = char(type);
    if (!payload.isEmpty())
        memcpy(at + 5, payload.constData(), size_t(payload.size()));
    qToBigEndian(Crc32::of(at + 4, qsizetype(bodyBytes)), at + 4 + bodyBytes);
}
