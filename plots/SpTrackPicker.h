#pragma once

#include <QRectF>
#include <QVector>
#include <functional>
#include <qwt_interval.h>
#include <qwt_plot_picker.h>
#include <utility>

// The spectrogram's mouse read-out: frequency, amplitude, and for the density cell under the
// mouse its density and the current, average and highest amplitude of its column, in a
// dark box beside the mouse, on the side where it covers nothing that the canvas keeps clear.
class SpTrackPicker : public QwtPlotPicker
{
    Q_OBJECT

public:
    explicit SpTrackPicker(QWidget *canvas);

    void setData(int numColumns, const QVector<double> &density,
                 const QVector<signed char> &current, const QVector<double> &average,
                 const QVector<signed char> &max);

    // The plot area the density matrix covers. The mouse position is looked up in it, so
    // that the read-out is that of the cell drawn under the mouse whatever range the axes
    // show. Until it is set, the axes' ranges stand in.
    void setDataArea(const QwtInterval &x, const QwtInterval &y);

    // What the read-out box keeps clear of, in canvas pixels, asked each time it moves.
    void setKeepClear(std::function<QVector<QRectF>()> keepClear)
    {
        m_keepClear = std::move(keepClear);
    }

    QwtText trackerTextF(const QPointF &pos) const override;
    QRect trackerRect(const QFont &font) const override;

protected:
    void drawTracker(QPainter *painter) const override;

private:
    QwtInterval areaX() const;
    QwtInterval areaY() const;

    double m_columnWidth = 0.0;
    double m_rowHeight = 0.0;
    int m_numColumns = 0;
    int m_numRows = 0;
    QVector<double> m_density;
    QVector<signed char> m_current;
    QVector<double> m_average;
    QVector<signed char> m_max;
    QwtInterval m_areaX;
    QwtInterval m_areaY;
    QString m_format;
    std::function<QVector<QRectF>()> m_keepClear;
    // The box's place for a mouse position, box size and canvas: the box moves only with the
    // mouse, so that where it is drawn and the library's mask for it always agree.
    mutable QRect m_placed;
    mutable QPoint m_placedFor;
    mutable QRect m_placedIn;
};
