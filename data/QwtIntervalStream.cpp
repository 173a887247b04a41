#include "QwtIntervalStream.h"

#include <QDataStream>

QDataStream &operator<<(QDataStream &out, const QwtInterval &interval)
{
    return out << interval.minValue() << interval.maxValue() << qint32(interval.borderFlags());
}

QDataStream &operator>>(QDataStream &in, QwtInterval &interval)
{
    double minValue = 0.0;
    double maxValue = 0.0;
    qint32 flags = 0;
    in >> minValue >> maxValue >> flags;
    interval = QwtInterval(minValue, maxValue, QwtInterval::BorderFlags(flags));
    return in;
}
