#include "WaterfallData.h"

#include "RasterInterpolation.h"
#include "data/Constants.h"

#include <limits>

using namespace RasterInterpolation;

WaterfallData::WaterfallData()
{
    RfSpectrumSample blank;
    blank.scan = RfSpectrumScan{0};
    setSamples({blank});
    setInterval(Qt::ZAxis, QwtInterval(Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi));
}

void WaterfallData::setInterval(Qt::Axis axis, const QwtInterval &interval)
{
    QwtRasterData::setInterval(axis, interval);
    update();
}

void WaterfallData::setSamples(const QList<RfSpectrumSample> &samples)
{
    m_samples = samples;
    update();
}

void WaterfallData::update()
{
    m_numColumns = m_samples.isEmpty() ? 0 : m_samples.constFirst().scan.size();
    m_numRows = m_numColumns > 0 ? m_samples.size() : 0;
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
    const RfSpectrumScan &scan = m_samples.at(row).scan;
    const int n = qMin(scan.size(), m_numColumns);
    const qint8 *values = scan.constData();
    for (int col = 0; col < n; ++col)
        out[col] = values[col];
    for (int col = n; col < m_numColumns; ++col)
        out[col] = k_missingValue;
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
