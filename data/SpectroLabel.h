#pragma once

#include <QPointF>
#include <QString>

class QDataStream;

// A user's text label on the spectrogram.
struct SpectroLabel
{
    QPointF pos; // x: frequency in MHz, y: amplitude in dBm
    QString text;

    // Positions compare with the framework's fuzzy point comparison.
    bool operator==(const SpectroLabel &other) const;
    bool operator!=(const SpectroLabel &other) const { return !(*this == other); }
};

QDataStream &operator<<(QDataStream &out, const SpectroLabel &label);
QDataStream &operator>>(QDataStream &in, SpectroLabel &label);
