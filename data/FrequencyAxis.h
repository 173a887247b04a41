#pragma once

#include "RfSpectrumHistory.h"
#include "ScanParams.h"

#include <QString>

// The frequencies of a band's sweep steps: step i lies at FStart + i x FStep / 1000 MHz of the
// band's scan parameters. Kept in whole hertz (the steps of both bands are whole hertz), so
// that distances compare exactly and the megahertz written for other programs come out the
// same on every machine.
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
    // The step of `steps` nearest to a frequency in MHz (the lower one of two as near).
    int nearestStep(double megahertz, int steps) const;
    // "2412.000": the frequency in MHz with three decimals, rounded to the kilohertz, halves
    // away from zero ("902.207" for 902 206 500 Hz).
    static QString megahertzText(qint64 hertz);
    QString megahertzText(int step) const { return megahertzText(hertz(step)); }

private:
    qint64 m_startHz = 0;
    qint64 m_stepHz = 0;
};
