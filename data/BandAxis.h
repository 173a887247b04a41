#pragma once

#include "ScanParams.h"

#include <utility>

struct RfSpectrumHistory;

// The frequencies of a band's sweeps: amplitude i lies at FStart + i * FStep / 1000 MHz of the
// band's scan parameters.
struct BandAxis
{
    double startMHz = 0.0;
    double stepMHz = 0.0;

    static BandAxis of(const ScanParams &params);
    // The axis of the history's band (the 2.4 GHz band's unless it is a 900 MHz history).
    static BandAxis of(const RfSpectrumHistory &history);

    double frequency(int column) const { return startMHz + column * stepMHz; }
    // The columns, of `columns`, whose frequency lies within lowerMHz ... upperMHz (both
    // included): first and last; first > last when none does.
    std::pair<int, int> columnsWithin(double lowerMHz, double upperMHz, int columns) const;
};
