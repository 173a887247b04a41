#pragma once

#include <QColor>
#include <QVector>
#include <qwt_interval.h>

class QwtColorMap;

// A colour map over one value interval, answered from a table: what the fast raster renderer
// asks for every pixel instead of the colour map's virtual rgb() with its search for the stop.
//
// The table splits the interval into k_cells cells and holds the colour at each cell's
// centre. Within a cell without a stop inside, each channel of a linear colour map moves
// monotonically, so where the two ends of a cell differ by at most one level the centre's
// colour is within one level of every value in it. The other cells (those holding a stop,
// and the steep first hundredth of the default colours) are computed exactly, with the same
// arithmetic as the linear colour map, from its stops. Values at or below the interval's
// minimum, at or above its maximum and NaN give exactly what the colour map gives.
class ColorLookup
{
public:
    static constexpr int k_cells = 4096;

    ColorLookup() = default;
    ColorLookup(const QwtColorMap &map, const QwtInterval &interval);

    bool isNull() const { return m_map == nullptr; }
    // Whether this table was built for that map and interval.
    bool matches(const QwtColorMap &map, const QwtInterval &interval) const;

    QRgb rgb(double value) const
    {
        if (value != value)
            return 0u;
        if (!(m_width > 0.0))
            return 0u;
        const double ratio = (value - m_min) / m_width;
        if (ratio <= 0.0)
            return m_first;
        if (ratio >= 1.0)
            return m_last;
        const int cell = int(ratio * k_cells);
        if (!m_exactCell[cell])
            return m_table[cell];
        return exactRgb(value, ratio);
    }

    // Cells answered exactly instead of from the table (for tests and benchmarks).
    int exactCellCount() const;
    // Whether exact colours come from the reproduced stops rather than the map's rgb().
    bool reproducesMap() const { return !m_stops.isEmpty(); }

private:
    struct Stop
    {
        double pos = 0.0;
        QRgb rgb = 0;
        double r0 = 0, g0 = 0, b0 = 0, a0 = 0;
        double rStep = 0, gStep = 0, bStep = 0, aStep = 0;
        double posStep = 0;
        int alpha = 0;
    };

    QRgb exactRgb(double value, double ratio) const;
    QRgb stopsRgb(double ratio) const;
    bool buildStops();
    int findUpper(double pos) const;

    const QwtColorMap *m_map = nullptr;
    QwtInterval m_interval;
    QVector<double> m_mapStops;
    QRgb m_mapColor1 = 0;
    QRgb m_mapColor2 = 0;

    double m_min = 0.0;
    double m_width = 0.0;
    QRgb m_first = 0;
    QRgb m_last = 0;
    QVector<QRgb> m_table;
    QVector<bool> m_exactCell;
    // The linear colour map's stops, when it is one whose arithmetic is reproduced here;
    // otherwise exact colours come from the map itself.
    QVector<Stop> m_stops;
    bool m_fixedColors = false;
};
