#include "SpectroLabel.h"

#include <QDataStream>

bool SpectroLabel::operator==(const SpectroLabel &other) const
{
    return pos == other.pos && text == other.text;
}

QDataStream &operator<<(QDataStream &out, const SpectroLabel &label)
{
    return out << label.pos << label.text;
}

QDataStream &operator>>(QDataStream &in, SpectroLabel &label)
{
    return in >> label.pos >> label.text;
}
