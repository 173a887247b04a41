#pragma once

#include "data/SampleStore.h"

#include <QByteArray>
#include <QList>
#include <qwt_raster_data.h>

// The amplitude raster of the waterfall: row i is sweep i of the window (oldest first),
// column j its value j in dBm, interpolated bilinearly between cell centres and mapped onto
// -100 ... -30 dBm of the colour map.
//
// It reads the sweeps in place in their store: a new window costs nothing but its bounds.
// A window of more sweeps than the canvas has pixel rows (`maxRows`) has one row per pixel
// instead, each the highest value of every sweep it covers (from the store's group maxima), so
// that no burst between two rows is lost. A sweep shorter than the first one (only a damaged
// recording has one) reads as -128, the value of "no signal", where it has no value.
class WaterfallData : public QwtRasterData
{
public:
    static constexpr int k_missingValue = SampleStore::k_missingValue;

    WaterfallData();

    void setInterval(Qt::Axis axis, const QwtInterval &interval) override;

    // Sweeps [first, last) of the store, which must stay until the next window is set.
    void setWindow(const SampleStore *store, int first, int last);
    // A list of samples, which the data keeps in a store of its own.
    void setSamples(const QList<RfSpectrumSample> &samples);
    // The most rows shown (0: one per sweep, however many); the window is shown again.
    void setMaxRows(int rows);

    // The sweeps of the window, and how many of them each row covers (1 unless reduced).
    int sweepCount() const { return m_last - m_first; }
    int sweepsPerRow() const;
    int numColumns() const { return m_numColumns; }
    int numRows() const { return m_numRows; }
    double dx() const { return m_dx; }
    double dy() const { return m_dy; }

    double cell(int row, int col) const
    {
        return col < m_numColumns ? double(rowData(row)[col]) : double(k_missingValue);
    }
    // Row row as numColumns doubles.
    void rowValues(int row, double *out) const;
    // The whole window as a row-major matrix (for inspection; the plot never builds it).
    QVector<double> valueMatrix() const;

    double value(double x, double y) const override;

private:
    const qint8 *rowData(int row) const;
    void update();

    const SampleStore *m_store = nullptr;
    SampleStore m_ownSamples;
    int m_first = 0;
    int m_last = 0;
    int m_maxRows = 0;
    // The rows of a reduced window: numRows x numColumns maxima.
    QByteArray m_reduced;
    int m_numColumns = 0;
    int m_numRows = 0;
    double m_dx = 0.0;
    double m_dy = 0.0;
};
