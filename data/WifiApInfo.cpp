#include "WifiApInfo.h"

#include <QDataStream>

bool WifiApInfo::operator==(const WifiApInfo &other) const
{
    return bssid == other.bssid && ssid == other.ssid && rssi == other.rssi
        && frequency == other.frequency && width == other.width && color == other.color;
}

QDataStream &operator<<(QDataStream &out, const WifiApInfo &ap)
{
    return out << ap.bssid << ap.ssid << ap.rssi << ap.frequency << ap.width << ap.color;
}

QDataStream &operator>>(QDataStream &in, WifiApInfo &ap)
{
    return in >> ap.bssid >> ap.ssid >> ap.rssi >> ap.frequency >> ap.width >> ap.color;
}
