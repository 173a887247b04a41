#include "ColorLookup.h"

#include "PlotLog.h"

#include <algorithm>
#include <qwt_color_map.h>

namespace {
int channelDistance(QRgb a, QRgb b)
{
    return qMax(qMax(qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b))),
                qMax(qAbs(qBlue(a) - qBlue(b)), qAbs(qAlpha(a) - qAlpha(b))));
}
} // namespace

ColorLookup::ColorLookup(const QwtColorMap &map, const QwtInterval &interval, bool premultiplied)
    : m_map(&map)
    , m_interval(interval)
    , m_premultiplied(premultiplied)
    , m_min(interval.minValue())
    , m_width(interval.width())
    , m_cellScale(interval.width() > 0.0 ? k_cells / interval.width() : 0.0)
{
    if (const auto *linear = dynamic_cast<const QwtLinearColorMap *>(&map)) {
        m_mapStops = linear->colorStops();
        m_mapColor1 = linear->color1().rgba();
        m_mapColor2 = linear->color2().rgba();
    }
    const auto format
        = [premultiplied](QRgb rgb) { return premultiplied ? qPremultiply(rgb) : rgb; };
    const QRgb first = map.rgb(interval, interval.minValue());
    const QRgb last = map.rgb(interval, interval.maxValue());
    m_first = format(first);
    m_last = format(last);
    m_table.resize(k_cells);
    m_exactCell.fill(1, k_cells);
    m_fineCount.fill(0, k_cells);
    m_fineOffset.fill(0, k_cells);
    if (!(m_width > 0.0))
        return;

    if (!buildStops()) {
        // Not a linear colour map: no monotony to rely on, every value asks the map.
        if (!dynamic_cast<const QwtLinearColorMap *>(&map))
            return;
    }
    const auto colorAt = [&](double ratio) {
        if (ratio <= 0.0)
            return first;
        if (ratio >= 1.0)
            return last;
        return reproducesMap() ? stopsRgb(ratio) : map.rgb(interval, m_min + ratio * m_width);
    };
    const QVector<double> stops = m_mapStops;
    const auto stopInside = [&stops](double lo, double hi) {
        for (double stop : stops) {
            if (stop > lo && stop < hi)
                return true;
        }
        return false;
    };
    // A span of ratios can be answered by the colour at its centre when no stop lies inside
    // and its ends differ by at most one level, premultiplied too where that is asked for.
    const auto uniform = [&](double lo, double hi) {
        const QRgb a = colorAt(lo);
        const QRgb b = colorAt(hi);
        return !stopInside(lo, hi) && channelDistance(a, b) <= 1
            && channelDistance(format(a), format(b)) <= 1;
    };
    for (int cell = 0; cell < k_cells; ++cell) {
        const double lo = double(cell) / k_cells;
        const double hi = double(cell + 1) / k_cells;
        m_table[cell] = format(colorAt((cell + 0.5) / k_cells));
        m_exactCell[cell] = !uniform(lo, hi);
        if (!m_exactCell[cell])
            continue;
        // A steep cell gets a finer table of its own: as many parts as it takes for all but
        // those holding a stop to be uniform.
        for (int parts = 2; parts <= k_maxFineParts; parts *= 2) {
            QVector<QRgb> colors(parts);
            QVector<uchar> exact(parts);
            int exactParts = 0;
            int stopParts = 0;
            for (int part = 0; part < parts; ++part) {
                const double partLo = (cell + double(part) / parts) / k_cells;
                const double partHi = (cell + double(part + 1) / parts) / k_cells;
                colors[part] = format(colorAt((cell + (part + 0.5) / parts) / k_cells));
                exact[part] = !uniform(partLo, partHi);
                exactParts += exact[part];
                stopParts += stopInside(partLo, partHi);
            }
            if (exactParts <= stopParts || parts == k_maxFineParts) {
                m_fineOffset[cell] = m_fineTable.size();
                m_fineCount[cell] = parts;
                m_fineTable += colors;
                m_fineExact += exact;
                break;
            }
        }
    }
}

bool ColorLookup::matches(const QwtColorMap &map, const QwtInterval &interval,
                          bool premultiplied) const
{
    if (m_map != &map || !(m_interval == interval) || m_premultiplied != premultiplied)
        return false;
    // The same address may hold another map by now; a linear map is known by its stops.
    if (const auto *linear = dynamic_cast<const QwtLinearColorMap *>(&map)) {
        return linear->colorStops() == m_mapStops && linear->color1().rgba() == m_mapColor1
            && linear->color2().rgba() == m_mapColor2;
    }
    return true;
}

int ColorLookup::exactCellCount() const
{
    return int(std::count(m_exactCell.cbegin(), m_exactCell.cend(), uchar(1)));
}

QRgb ColorLookup::exactAtCell(double cells) const
{
    if (!(cells > 0.0 && cells < k_cells))
        return edgeAtCell(cells);
    const int cell = int(cells);
    const int parts = m_fineCount.at(cell);
    if (parts > 0) {
        const int part = qMin(int((cells - cell) * parts), parts - 1);
        const int index = m_fineOffset.at(cell) + part;
        if (!m_fineExact.at(index))
            return m_fineTable.at(index);
    }
    const double ratio = cells / k_cells;
    const QRgb rgb
        = reproducesMap() ? stopsRgb(ratio) : m_map->rgb(m_interval, m_min + ratio * m_width);
    return m_premultiplied ? qPremultiply(rgb) : rgb;
}

QRgb ColorLookup::edgeAtCell(double cells) const
{
    if (cells != cells || !(m_width > 0.0))
        return 0u;
    return cells <= 0.0 ? m_first : m_last;
}

// The stop search and the interpolation of the linear colour map, step for step, so that
// both give the same colour bits.
int ColorLookup::findUpper(double pos) const
{
    int index = 0;
    int n = m_stops.size();
    const Stop *stops = m_stops.constData();
    while (n > 0) {
        const int half = n >> 1;
        const int middle = index + half;
        if (stops[middle].pos <= pos) {
            index = middle + 1;
            n -= half + 1;
        } else {
            n = half;
        }
    }
    return index;
}

QRgb ColorLookup::stopsRgb(double ratio) const
{
    const Stop &s = m_stops.at(findUpper(ratio) - 1);
    if (m_fixedColors)
        return s.rgb;
    const double f = (ratio - s.pos) / s.posStep;
    const int r = int(s.r0 + f * s.rStep);
    const int g = int(s.g0 + f * s.gStep);
    const int b = int(s.b0 + f * s.bStep);
    const int a = s.aStep != 0.0 ? int(s.a0 + f * s.aStep) : s.alpha;
    return qRgba(r, g, b, a);
}

bool ColorLookup::buildStops()
{
    const auto *linear = dynamic_cast<const QwtLinearColorMap *>(m_map);
    if (!linear)
        return false;
    const QVector<double> pos = m_mapStops;
    if (pos.size() < 2 || pos.first() != 0.0 || pos.last() != 1.0)
        return false;
    m_fixedColors = linear->mode() == QwtLinearColorMap::FixedColors;
    const QwtInterval unit(0.0, 1.0);
    QVector<Stop> stops(pos.size());
    for (int i = 0; i < pos.size(); ++i) {
        Stop &s = stops[i];
        s.pos = pos.at(i);
        // At its own position a stop's colour comes out unchanged.
        s.rgb = linear->rgb(unit, s.pos);
        s.r0 = qRed(s.rgb) + 0.5;
        s.g0 = qGreen(s.rgb) + 0.5;
        s.b0 = qBlue(s.rgb) + 0.5;
        s.a0 = qAlpha(s.rgb) + 0.5;
        s.alpha = qAlpha(s.rgb);
    }
    for (int i = 0; i + 1 < stops.size(); ++i) {
        Stop &s = stops[i];
        const Stop &next = stops.at(i + 1);
        s.rStep = qRed(next.rgb) - qRed(s.rgb);
        s.gStep = qGreen(next.rgb) - qGreen(s.rgb);
        s.bStep = qBlue(next.rgb) - qBlue(s.rgb);
        s.aStep = qAlpha(next.rgb) - qAlpha(s.rgb);
        s.posStep = next.pos - s.pos;
    }
    m_stops = stops;

    // Check the reproduction against the map itself; on any difference ask the map.
    for (int i = 1; i < 4 * k_cells; ++i) {
        const double ratio = double(i) / (4 * k_cells);
        if (stopsRgb(ratio) != linear->rgb(unit, ratio)) {
            qCWarning(lcPlots) << "Colour table: the colour map's arithmetic differs at" << ratio
                               << "; asking the map for exact colours";
            m_stops.clear();
            return false;
        }
    }
    return true;
}
