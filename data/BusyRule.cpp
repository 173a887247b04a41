#include "BusyRule.h"

#include <cmath>

BusyRule::BusyRule(double thresholdDbm)
    : m_level(int(qBound(-129.0, std::ceil(thresholdDbm), 128.0)))
{ }

int BusyRule::count(const qint8 *values, int first, int last) const
{
    int busy = 0;
    for (int j = first; j <= last; ++j)
        busy += values[j] >= m_level ? 1 : 0;
    return busy;
}
