#pragma once

#include <QDateTime>
#include <QString>

class QDataStream;

// A user's time marker on the waterfall.
struct TimeEvent
{
    QDateTime dateTime; // local time
    QString text;

    bool operator==(const TimeEvent &other) const
    {
        return dateTime == other.dateTime && text == other.text;
    }
    bool operator!=(const TimeEvent &other) const { return !(*this == other); }
};

QDataStream &operator<<(QDataStream &out, const TimeEvent &event);
QDataStream &operator>>(QDataStream &in, TimeEvent &event);
