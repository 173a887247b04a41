#include "TimeEvent.h"

#include <QDataStream>
#include <QTimeZone>

QDataStream &operator<<(QDataStream &out, const TimeEvent &event)
{
    return out << event.dateTime << event.text;
}

QDataStream &operator>>(QDataStream &in, TimeEvent &event)
{
    in >> event.dateTime;
    // An event's time is a valid date-time the program took from the clock or the waterfall.
    // The framework reads any other as it comes, and one in a time zone it does not know
    // cannot even be written again.
    if (in.status() == QDataStream::Ok
        && (!event.dateTime.isValid()
            || (event.dateTime.timeSpec() == Qt::TimeZone
                && !event.dateTime.timeZone().isValid()))) {
        in.setStatus(QDataStream::ReadCorruptData);
        event.dateTime = QDateTime();
        return in;
    }
    return in >> event.text;
}
