#pragma once

#include <QColor>
#include <QList>
#include <QMetaType>
#include <QString>

class QDataStream;

// One access point seen by the Wi-Fi scanner.
struct WifiApInfo
{
    QString bssid;
    QString ssid;
    qint32 rssi = 0; // dBm
    qint32 frequency = 0; // channel centre, MHz
    qint32 width = 0; // channel width, MHz
    QColor color; // derived from the BSSID, stable per access point

    // The smallest encoding of one: two empty texts, three integers and a colour.
    static constexpr qint64 k_minEncodedBytes = 4 + 4 + 3 * 4 + 11;

    bool operator==(const WifiApInfo &other) const;
    bool operator!=(const WifiApInfo &other) const { return !(*this == other); }
};

// One Wi-Fi scan result, the unit in which access points travel through the program.
using WifiScan = QList<WifiApInfo>;

QDataStream &operator<<(QDataStream &out, const WifiApInfo &ap);
QDataStream &operator>>(QDataStream &in, WifiApInfo &ap);

Q_DECLARE_METATYPE(WifiApInfo)
