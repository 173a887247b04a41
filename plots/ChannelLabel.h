#pragma once

#include <QList>
#include <QString>

// The label of a channel axis at value: the index of the first entry of table equal to
// value, plus offset, for entries other than the first and last (the band edges).
inline QString channelLabel(const QList<double> &table, double value, int offset)
{
    const int index = table.indexOf(value);
    if (index >= 1 && index <= table.size() - 2)
        return QString::number(index + offset);
    return QString();
}
