#pragma once

#include "data/ScanParams.h"

// The command line's replacements of the analyzer's set-up: "-rbw N" (used from 32 on),
// "-fstep KHZ" (used above 0) and "-ampl N" (an offset added to the amplitudes shown).
struct ScanOverrides
{
    int rbw = -1;
    double fstep = -1.0;
    int ampl = 0;

    // A band's scan parameters with the replacements.
    ScanParams apply(ScanParams params) const
    {
        if (rbw >= 32)
            params.insert("RBW", rbw);
        if (fstep > 0.0)
            params.insert("FStep", fstep);
        return params;
    }
};
