#pragma once

#include <QString>

// The frequency plan of one VEXA ID network: the range center ± bandwidth / 2 it occupies.
struct VexaIdDesc
{
    int universes = 0;
    double center = 0.0; // MHz
    double bandwidth = 0.0; // MHz
    QString type; // "Adaptive", "Full", "Low", "Mid", "High" or "Max"
    int indoorRangeFt = 0;
    int outdoorRangeFt = 0;
    int indoorRangeM = 0;
    int outdoorRangeM = 0;

    double lowerEdge() const { return center - 0.5 * bandwidth; }
    double upperEdge() const { return center + 0.5 * bandwidth; }

    // True when the closed ranges of a and b share at least one frequency.
    static bool intersect(const VexaIdDesc &a, const VexaIdDesc &b);
};

// Order of IDs: band, then plan group, then channel option with "Adaptive" (tens digit 5)
// first, then Full, Low, Mid, High, Max; for example 9150, 9100, 9110, 9120, 9130, 9250, ...
bool vexaIdLessThan(const int &a, const int &b);
