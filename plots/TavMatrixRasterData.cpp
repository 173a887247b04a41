#include "TavMatrixRasterData.h"

#include "RasterInterpolation.h"

#include <QRectF>
#include <cmath>
#include <limits>

using namespace RasterInterpolation;

TavMatrixRasterData::TavMatrixRasterData() = default;

void TavMatrixRasterData::setInterval(Qt::Axis axis, const QwtInterval &interval)
{
    QwtRasterData::setInterval(axis, interval);
    update();
}

void TavMatrixRasterData::setValueMatrix(const QVector<double> &values, int numColumns)
{
    m_values = values;
    m_numColumns = qMax(numColumns, 0);
    update();
}

void TavMatrixRasterData::setValue(int row, int col, double value)
{
    if (row >= 0 && row < m_numRows && col >= 0 && col < m_numColumns)
        m_values[row * m_numColumns + col] = value;
}

void TavMatrixRasterData::update()
{
    m_numRows = 0;
    m_dx = 0.0;
    m_dy = 0.0;
    if (m_numColumns > 0) {
        m_numRows = m_values.size() / m_numColumns;
        const QwtInterval &x = interval(Qt::XAxis);
        const QwtInterval &y = interval(Qt::YAxis);
        if (x.isValid())
            m_dx = x.width() / m_numColumns;
        if (y.isValid() && m_numRows > 0)
            m_dy = y.width() / m_numRows;
    }
}

QRectF TavMatrixRasterData::pixelHint(const QRectF &) const
{
    if (m_resampleMode == NearestNeighbour && interval(Qt::XAxis).isValid()
        && interval(Qt::YAxis).isValid())
        return QRectF(interval(Qt::XAxis).minValue(), interval(Qt::YAxis).minValue(), m_dx, m_dy);
    return QRectF();
}

double TavMatrixRasterData::value(double x, double y) const
{
    const QwtInterval &xi = interval(Qt::XAxis);
    const QwtInterval &yi = interval(Qt::YAxis);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (!(xi.contains(x) && yi.contains(y)))
        return nan;
    // An empty matrix or a zero-width interval has no cell to read.
    if (m_numRows <= 0 || m_numColumns <= 0 || !(m_dx > 0.0) || !(m_dy > 0.0))
        return nan;

    const double xmin = xi.minValue();
    const double ymin = yi.minValue();

    switch (m_resampleMode) {
    case BilinearInterpolation: {
        const LinearTaps c = linearTaps(x, xmin, m_dx, m_numColumns);
        const LinearTaps r = linearTaps(y, ymin, m_dy, m_numRows);
        return r.weight
            * (c.weight * cell(r.first, c.first) + (1.0 - c.weight) * cell(r.first, c.second))
            + (1.0 - r.weight)
            * (c.weight * cell(r.second, c.first) + (1.0 - c.weight) * cell(r.second, c.second));
    }
    case BicubicInterpolation: {
        const CubicTaps c = cubicTaps(x, xmin, m_dx, m_numColumns);
        const CubicTaps r = cubicTaps(y, ymin, m_dy, m_numRows);
        double rows[4];
        const int rowIndex[4] = {r.a, r.b, r.c, r.d};
        for (int i = 0; i < 4; ++i) {
            const int row = rowIndex[i];
            rows[i] = cubic(cell(row, c.a), cell(row, c.b), cell(row, c.c), cell(row, c.d), c.t);
        }
        return cubic(rows[0], rows[1], rows[2], rows[3], r.t);
    }
    case DotInterpolation: {
        const DotTap c = dotTap(x, xmin, m_dx, m_numColumns);
        const DotTap r = dotTap(y, ymin, m_dy, m_numRows);
        const double v = cell(r.index, c.index);
        if (v == 0.0)
            return 0.0; // the dome formula below divides by 2v
        const double hx = m_dx / 2.0;
        const double hy = m_dy / 2.0;
        return 2.0 * v
            - (c.offset * c.offset / (hx * hx / (2.0 * v))
               + r.offset * r.offset / (hy * hy / (2.0 * v)));
    }
    case NearestNeighbour:
    default:
        return cell(nearestIndex(y, ymin, m_dy, m_numRows),
                    nearestIndex(x, xmin, m_dx, m_numColumns));
    }
}
