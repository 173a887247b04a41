#include "SweepMessage.h"

#include "data/RfSpectrumSample.h"

#include <QCoreApplication>
#include <QtEndian>
#include <limits>

const QByteArray SweepMessage::k_magic = QByteArrayLiteral("QVS1");

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SweepMessage", text);
}

} // namespace

QByteArray SweepMessage::encode(const SweepBatch &batch)
{
    const int count = batch.count();
    Q_ASSERT(count > 0 && count <= k_maxSweeps);
    Q_ASSERT(batch.values.size() == count * int(batch.band.steps));
    const int record = k_timestampBytes + batch.band.steps;
    QByteArray out(k_headerBytes + count * record, Qt::Uninitialized);
    char *at = out.data();
    memcpy(at, k_magic.constData(), 4);
    qToLittleEndian<quint32>(batch.band.fstartHz, at + 4);
    qToLittleEndian<quint32>(batch.band.fstepHz, at + 8);
    qToLittleEndian<quint16>(batch.band.steps, at + 12);
    qToLittleEndian<quint16>(quint16(count), at + 14);
    qToLittleEndian<quint64>(batch.firstSeq, at + 16);
    at += k_headerBytes;
    for (int i = 0; i < count; ++i) {
        qToLittleEndian<qint64>(batch.timestamps.at(i), at);
        memcpy(at + k_timestampBytes, batch.sweep(i), batch.band.steps);
        at += record;
    }
    return out;
}

QString SweepMessage::decode(const QByteArray &payload, SweepBatch *batch)
{
    *batch = SweepBatch();
    if (payload.size() < k_headerBytes)
        return tr("%1 bytes are too few for a sweeps message").arg(payload.size());
    const char *at = payload.constData();
    if (payload.left(4) != k_magic)
        return tr("it does not begin with QVS1");
    const quint32 fstart = qFromLittleEndian<quint32>(at + 4);
    const quint32 fstep = qFromLittleEndian<quint32>(at + 8);
    const quint16 steps = qFromLittleEndian<quint16>(at + 12);
    const quint16 count = qFromLittleEndian<quint16>(at + 14);
    const quint64 first = qFromLittleEndian<quint64>(at + 16);
    const SensorBand band = SensorBand::matching(fstart, fstep, steps);
    if (!band.isValid())
        return tr("its band (%1 Hz in %2 steps of %3 Hz) is not one of the analyzer's")
            .arg(fstart)
            .arg(steps)
            .arg(fstep);
    if (count == 0)
        return tr("it holds no sweep");
    if (first > std::numeric_limits<quint64>::max() - (count - 1))
        return tr("its sequence numbers run past the largest");
    const qint64 record = k_timestampBytes + steps;
    const qint64 expected = k_headerBytes + qint64(count) * record;
    if (payload.size() != expected)
        return tr("it is %1 bytes long, not the %2 of %3 sweeps")
            .arg(payload.size())
            .arg(expected)
            .arg(count);
    SweepBatch read;
    read.band = band;
    read.firstSeq = first;
    read.timestamps.reserve(count);
    read.values.reserve(count * steps);
    at += k_headerBytes;
    for (int i = 0; i < count; ++i, at += record) {
        const qint64 timestamp = qFromLittleEndian<qint64>(at);
        if (!RfSpectrumSample::isValidTimestamp(timestamp))
            return tr("sweep %1 has an impossible time stamp").arg(first + quint64(i));
        read.append(timestamp, reinterpret_cast<const qint8 *>(at + k_timestampBytes));
    }
    *batch = read;
    return QString();
}
