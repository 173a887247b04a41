#pragma once

#include "RfSpectrumHistory.h"
#include "ScanParams.h"

#include <QString>
#include <qwt_interval.h>
#include <utility>

// The frequencies of a band's sweep steps: step i lies at FStart + i x FStep / 1000 MHz of the
// band's scan parameters. Kept in whole hertz (the steps of both bands are whole hertz), so
// that distances and ranges compare exactly, every reader of a range takes the same steps, and
// the megahertz written for other programs come out the same on every machine. Everything
// drawn at a step (traces, markers, watched ranges, event frames) is drawn at this frequency,
// and the raster cells of the displays are centred on it.
class FrequencyAxis
{
public:
    FrequencyAxis() = default;
    explicit FrequencyAxis(const ScanParams &params);
    // The axis of the history's band (2.4 GHz for a history of neither band).
    static FrequencyAxis of(const RfSpectrumHistory &history);

    qint64 hertz(int step) const { return m_startHz + step * m_stepHz; }
    double megahertz(int step) const { return double(hertz(step)) / 1e6; }
    qint64 stepHertz() const { return m_stepHz; }
    double stepMegahertz() const { return double(m_stepHz) / 1e6; }
    // The step of `steps` nearest to a frequency in MHz (the lower one of two as near).
    int nearestStep(double megahertz, int steps) const;
    // The steps, of `steps`, whose frequency lies within lowerMHz ... upperMHz (both bounds
    // rounded to the hertz and included): first and last; first > last when none does.
    std::pair<int, int> stepsWithin(double lowerMHz, double upperMHz, int steps) const;
    // What the raster cells of `steps` steps cover, MHz: each cell is one step wide and centred
    // on its step, so the cells reach half a step beyond the first and the last.
    QwtInterval cells(int steps) const;
    // "2412.000": the frequency in MHz with three decimals, rounded to the kilohertz, halves
    // away from zero ("902.207" for 902 206 500 Hz).
    static QString megahertzText(qint64 hertz);
    QString megahertzText(int step) const { return megahertzText(hertz(step)); }

private:
    qint64 m_startHz = 0;
    qint64 m_stepHz = 0;
};
