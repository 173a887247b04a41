#include "StreamCount.h"

#include <QIODevice>

bool StreamCount::isBounded(const QDataStream &in)
{
    return in.device() && !in.device()->isSequential();
}

qint32 StreamCount::read(QDataStream &in, qint64 minElementBytes)
{
    if (in.status() != QDataStream::Ok)
        return -1;
    qint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok)
        return -1;
    if (count < 0) {
        in.setStatus(QDataStream::ReadCorruptData);
        return -1;
    }
    if (isBounded(in)) {
        const QIODevice *device = in.device();
        const qint64 left = device->size() - device->pos();
        if (qint64(count) * minElementBytes > left) {
            in.setStatus(QDataStream::ReadCorruptData);
            return -1;
        }
    }
    return count;
}

void StreamCount::readAmplitudes(QDataStream &in, QVector<qint8> &amplitudes)
{
    amplitudes.clear();
    if (in.status() != QDataStream::Ok)
        return;
    qint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok)
        return;
    if (count < 0 || count > k_maxAmplitudes) {
        in.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    amplitudes.resize(count);
    const int got = in.readRawData(reinterpret_cast<char *>(amplitudes.data()), count);
    if (got != count) {
        amplitudes.resize(qMax(got, 0));
        in.setStatus(QDataStream::ReadPastEnd);
    }
}
