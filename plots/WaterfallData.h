#pragma once

#include "data/RfSpectrumSample.h"

#include <QList>
#include <qwt_raster_data.h>

// The amplitude raster of the waterfall: row i is sample i of the window (oldest first),
// column j its value j in dBm, interpolated bilinearly between cell centres and mapped onto
// -100 ... -30 dBm of the colour map.
//
// It reads the samples themselves instead of a matrix copied from them, so that a new window
// costs nothing but sharing the list: rebuilding a matrix of every visible sweep for every
// new sweep would cost more than a sweep period. A sample shorter than the first one (only a
// damaged recording has one) reads as -128, the value of "no signal", where it has no value.
class WaterfallData : public QwtRasterData
{
public:
    static constexpr int k_missingValue = -128;

    WaterfallData();

    void setInterval(Qt::Axis axis, const QwtInterval &interval) override;

    // The window's samples; numColumns is the first sample's value count.
    void setSamples(const QList<RfSpectrumSample> &samples);
    const QList<RfSpectrumSample> &samples() const { return m_samples; }

    int numColumns() const { return m_numColumns; }
    int numRows() const { return m_numRows; }
    double dx() const { return m_dx; }
    double dy() const { return m_dy; }

    double cell(int row, int col) const
    {
        const RfSpectrumScan &scan = m_samples.at(row).scan;
        return col < scan.size() ? double(scan.at(col)) : double(k_missingValue);
    }
    // Row row as numColumns doubles.
    void rowValues(int row, double *out) const;
    // The whole window as a row-major matrix (for inspection; the plot never builds it).
    QVector<double> valueMatrix() const;

    double value(double x, double y) const override;

private:
    void update();

    QList<RfSpectrumSample> m_samples;
    int m_numColumns = 0;
    int m_numRows = 0;
    double m_dx = 0.0;
    double m_dy = 0.0;
};
