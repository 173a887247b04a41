#pragma once

#include <QColor>
#include <QVector>
#include <qwt_interval.h>

class QwtColorMap;

// A colour map over one value interval, answered from a table: what the fast raster renderer
// asks for every pixel instead of the colour map's virtual rgb() with its search for the stop.
// Read-only once built, so render threads share it.
//
// The table splits the interval into k_cells cells and holds the colour at each cell's
// centre. Within a cell without a stop inside, each channel of a linear colour map moves
// monotonically, so where the two ends of a cell differ by at most one level the centre's
// colour is within one level of every value in it. The other cells (those holding a stop,
// and the steep first hundredth of the default colours) have finer tables of their own, by
// the same rule, and where even those hold a stop the colour is computed exactly, with the
// same arithmetic as the linear colour map, from its stops. Values at or below the interval's
// minimum, at or above its maximum and NaN give exactly what the colour map gives.
class ColorLookup
{
public:
    static constexpr int k_cells = 4096;
    // Parts of a steep cell's finer table, at most.
    static constexpr int k_maxFineParts = 2048;

    ColorLookup() = default;
    // With premultiplied, the colours come premultiplied by their alpha (for an image of
    // format ARGB32_Premultiplied, which the painter draws without converting it).
    ColorLookup(const QwtColorMap &map, const QwtInterval &interval, bool premultiplied = false);

    bool isNull() const { return m_map == nullptr; }
    // Whether this table was built for that map, interval and format.
    bool matches(const QwtColorMap &map, const QwtInterval &interval, bool premultiplied) const;

    // The colour of value, as the colour map gives it (within one level).
    QRgb rgb(double value) const
    {
        if (value != value || !(m_width > 0.0))
            return 0u;
        const double ratio = (value - m_min) / m_width;
        if (ratio <= 0.0)
            return m_first;
        if (ratio >= 1.0)
            return m_last;
        return rgbAtCell(ratio * k_cells);
    }

    // The position of value in table cells is (value - min) * cellScale(); the renderer
    // works in these units so that a pixel costs a multiplication less.
    double min() const { return m_min; }
    double cellScale() const { return m_cellScale; }

    // The table itself, for the renderer's pixel loop: the colour of each cell, whether the
    // cell must be asked exactly (exactAtCell), and the colours at or below 0 and at or above
    // k_cells. A position that is NaN is transparent.
    const QRgb *table() const { return m_table.constData(); }
    const uchar *exactCells() const { return m_exactCell.constData(); }
    QRgb firstColor() const { return m_first; }
    QRgb lastColor() const { return m_last; }
    QRgb exactAtCell(double cells) const;

    // The colour at a position in table cells.
    QRgb rgbAtCell(double cells) const
    {
        if (cells > 0.0 && cells < k_cells) {
            const int cell = int(cells);
            return m_exactCell[cell] ? exactAtCell(cells) : m_table[cell];
        }
        return edgeAtCell(cells);
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

    QRgb edgeAtCell(double cells) const;
    QRgb stopsRgb(double ratio) const;
    bool buildStops();
    int findUpper(double pos) const;

    const QwtColorMap *m_map = nullptr;
    QwtInterval m_interval;
    QVector<double> m_mapStops;
    QRgb m_mapColor1 = 0;
    QRgb m_mapColor2 = 0;

    bool m_premultiplied = false;
    double m_min = 0.0;
    double m_width = 0.0;
    double m_cellScale = 0.0;
    QRgb m_first = 0;
    QRgb m_last = 0;
    QVector<QRgb> m_table;
    QVector<uchar> m_exactCell;
    // For each steep cell, its finer table: parts (0 for none) and where it starts.
    QVector<int> m_fineCount;
    QVector<int> m_fineOffset;
    QVector<QRgb> m_fineTable;
    QVector<uchar> m_fineExact;
    // The linear colour map's stops, when it is one whose arithmetic is reproduced here;
    // otherwise exact colours come from the map itself.
    QVector<Stop> m_stops;
    bool m_fixedColors = false;
};
