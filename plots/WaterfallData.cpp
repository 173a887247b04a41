#include "WaterfallData.h"

#include "RasterInterpolation.h"
#include "data/Constants.h"

#include <limits>

using namespace RasterInterpolation;

WaterfallData::WaterfallData()
{
    // One sweep of one value: a valid raster before the page has shown anything.
    setSamples({RfSpectrumSample{0, RfSpectrumScan{0}, {}}});
    setInterval(Qt::ZAxis, QwtInterval(Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi));
}

void WaterfallData::setInterval(Qt::Axis axis, const QwtInterval &interval)
{
    QwtRasterData::setInterval(axis, interval);
    update();
}

void WaterfallData::setWindow(const SampleStore *store, int first, int last)
{
    m_store = store;
    m_first = store ? qBound(0, first, store->size()) : 0;
    m_last = store ? qBound(m_first, last, store->size()) : 0;
    update();
}

void WaterfallData::setSamples(const QList<RfSpectrumSample> &samples)
{
    m_ownSamples.clear();
    for (const RfSpectrumSample &sample : samples)
        m_ownSamples.append(sample);
    setWindow(&m_ownSamples, 0, m_ownSamples.size());
}

void WaterfallData::setMaxRows(int rows)
{
    if (rows == m_maxRows)
        return;
    m_maxRows = qMax(rows, 0);
    update();
}

int WaterfallData::sweepsPerRow() const
{
    return m_numRows > 0 ? (sweepCount() + m_numRows - 1) / m_numRows : 0;
}

const qint8 *WaterfallData::rowData(int row) const
{
    if (!m_reduced.isEmpty())
        return reinterpret_cast<const qint8 *>(m_reduced.constData())
            + qsizetype(row) * m_numColumns;
    return m_store->values(m_first + row);
}

void WaterfallData::update()
{
    const int sweeps = sweepCount();
    m_numColumns = m_store && sweeps > 0 ? m_store->columns() : 0;
    m_numRows = m_numColumns > 0 ? sweeps : 0;
    m_reduced.clear();
    if (m_numRows > 0 && m_maxRows > 0 && sweeps > m_maxRows) {
        // Row r covers sweeps [r * sweeps / rows, (r + 1) * sweeps / rows) of the window.
        m_numRows = m_maxRows;
        m_reduced.resize(m_numRows * m_numColumns);
        qint8 *out = reinterpret_cast<qint8 *>(m_reduced.data());
        for (int row = 0; row < m_numRows; ++row) {
            const int from = m_first + int(qint64(row) * sweeps / m_numRows);
            const int to = m_first + int(qint64(row + 1) * sweeps / m_numRows);
            m_store->maxima(from, to, out + qsizetype(row) * m_numColumns);
        }
    }
    m_dx = 0.0;
    m_dy = 0.0;
    if (m_numColumns > 0) {
        if (interval(Qt::XAxis).isValid())
            m_dx = interval(Qt::XAxis).width() / m_numColumns;
        if (interval(Qt::YAxis).isValid())
            m_dy = interval(Qt::YAxis).width() / m_numRows;
    }
}

void WaterfallData::rowValues(int row, double *out) const
{
    const qint8 *values = rowData(row);
    for (int col = 0; col < m_numColumns; ++col)
        out[col] = values[col];
}

QVector<double> WaterfallData::valueMatrix() const
{
    QVector<double> matrix(m_numRows * m_numColumns);
    for (int row = 0; row < m_numRows; ++row)
        rowValues(row, matrix.data() + row * m_numColumns);
    return matrix;
}

double WaterfallData::value(double x, double y) const
{
    const QwtInterval &xi = interval(Qt::XAxis);
    const QwtInterval &yi = interval(Qt::YAxis);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (!(xi.contains(x) && yi.contains(y)))
        return nan;
    if (m_numRows <= 0 || m_numColumns <= 0 || !(m_dx > 0.0) || !(m_dy > 0.0))
        return nan;
    const LinearTaps c = linearTaps(x, xi.minValue(), m_dx, m_numColumns);
    const LinearTaps r = linearTaps(y, yi.minValue(), m_dy, m_numRows);
    return r.weight
        * (c.weight * cell(r.first, c.first) + (1.0 - c.weight) * cell(r.first, c.second))
        + (1.0 - r.weight)
        * (c.weight * cell(r.second, c.first) + (1.0 - c.weight) * cell(r.second, c.second));
}
