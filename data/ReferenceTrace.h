#pragma once

#include "SpectrumTraces.h"

#include <QString>
#include <QVector>

// A trace frozen for comparison: its levels per frequency step, which trace it was (readings
// are compared with the same trace now), and where it came from, for the user.
struct ReferenceTrace
{
    QVector<double> levels;
    SpectrumTraces::Kind kind = SpectrumTraces::Kind::MaxHold;
    QString source;

    bool isEmpty() const { return levels.isEmpty(); }
};
