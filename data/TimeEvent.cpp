#include "TimeEvent.h"

#include <QDataStream>

QDataStream &operator<<(QDataStream &out, const TimeEvent &event)
{
    return out << event.dateTime << event.text;
}

QDataStream &operator>>(QDataStream &in, TimeEvent &event)
{
    return in >> event.dateTime >> event.text;
}
