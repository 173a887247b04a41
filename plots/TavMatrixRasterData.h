#pragma once

#include <QVector>
#include <qwt_raster_data.h>

// A matrix of values as raster data, row-major (element (row, column) at
// row * numColumns + column), spread evenly over the x and y intervals. value() resamples it
// in one of four ways; the plot items ask for it at every pixel, from several threads at once,
// so it only reads.
class TavMatrixRasterData : public QwtRasterData
{
public:
    enum ResampleMode : qint32 {
        NearestNeighbour = 0,
        BilinearInterpolation = 1,
        // Catmull-Rom over 4 x 4 cells; may overshoot the cell values.
        BicubicInterpolation = 2,
        // Each cell a dome of height 2v at its centre, 0 at the middle of its edges.
        DotInterpolation = 3,
    };

    TavMatrixRasterData();

    void setResampleMode(ResampleMode mode) { m_resampleMode = mode; }
    ResampleMode resampleMode() const { return m_resampleMode; }

    void setInterval(Qt::Axis axis, const QwtInterval &interval) override;

    void setValueMatrix(const QVector<double> &values, int numColumns);
    const QVector<double> &valueMatrix() const { return m_values; }
    void setValue(int row, int col, double value);

    int numColumns() const { return m_numColumns; }
    int numRows() const { return m_numRows; }
    double dx() const { return m_dx; }
    double dy() const { return m_dy; }

    QRectF pixelHint(const QRectF &area) const override;
    double value(double x, double y) const override;

private:
    void update();
    double cell(int row, int col) const { return m_values.at(row * m_numColumns + col); }

    ResampleMode m_resampleMode = NearestNeighbour;
    QVector<double> m_values;
    qint32 m_numColumns = 0;
    qint32 m_numRows = 0;
    double m_dx = 0.0;
    double m_dy = 0.0;
};
