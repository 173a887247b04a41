#include "WifiApInfo.h"

#include <QDataStream>
#include <algorithm>

bool WifiApInfo::operator==(const WifiApInfo &other) const
{
    return bssid == other.bssid && ssid == other.ssid && rssi == other.rssi
        && frequency == other.frequency && width == other.width && color == other.color;
}

QDataStream &operator<<(QDataStream &out, const WifiApInfo &ap)
{
    return out << ap.bssid << ap.ssid << ap.rssi << ap.frequency << ap.width << ap.color;
}

namespace {

// The framework's colour reader takes the colour model byte as it comes, and a colour of no
// model it knows is undefined to copy or use; an extended-RGB colour holds half-precision
// components, which may be infinite or not a number: such a colour never equals itself and
// paints nothing sensible. The same fields are read here and checked before the framework's
// reader builds the colour from them; a colour that fails makes the stream corrupt.
void readColor(QDataStream &in, QColor &color)
{
    qint8 model = 0;
    quint16 fields[5] = {};
    in >> model;
    for (quint16 &field : fields)
        in >> field;
    color = QColor();
    if (in.status() != QDataStream::Ok)
        return;
    if (model < qint8(QColor::Invalid) || model > qint8(QColor::ExtendedRgb)) {
        in.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    // Alpha, red, green and blue as half-precision floats: all exponent bits set is an
    // infinity or not a number.
    constexpr quint16 k_halfExponent = 0x7C00;
    if (model == qint8(QColor::ExtendedRgb) && std::any_of(fields, fields + 4, [](quint16 field) {
            return (field & k_halfExponent) == k_halfExponent;
        })) {
        in.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(in.version());
    out << model;
    for (const quint16 field : fields)
        out << field;
    QDataStream back(bytes);
    back.setVersion(in.version());
    back >> color;
}

} // namespace

QDataStream &operator>>(QDataStream &in, WifiApInfo &ap)
{
    in >> ap.bssid >> ap.ssid >> ap.rssi >> ap.frequency >> ap.width;
    readColor(in, ap.color);
    return in;
}
