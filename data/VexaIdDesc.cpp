#include "VexaIdDesc.h"

bool VexaIdDesc::intersect(const VexaIdDesc &a, const VexaIdDesc &b)
{
    return !(a.lowerEdge() > b.upperEdge() || b.lowerEdge() > a.upperEdge());
}

namespace {
int channelOption(int id)
{
    const int lastTwo = id % 100;
    return (lastTwo >= 50 && lastTwo <= 59) ? -1 : lastTwo / 10;
}
} // namespace

bool vexaIdLessThan(const int &a, const int &b)
{
    if (a / 1000 != b / 1000)
        return a / 1000 < b / 1000;
    if ((a % 1000) / 100 != (b % 1000) / 100)
        return (a % 1000) / 100 < (b % 1000) / 100;
    if (channelOption(a) != channelOption(b))
        return channelOption(a) < channelOption(b);
    return a % 10 < b % 10;
}
