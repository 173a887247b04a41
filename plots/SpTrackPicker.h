#pragma once

#include <QVector>
#include <qwt_interval.h>
#include <qwt_plot_picker.h>

// The spectrogram's mouse read-out: frequency, amplitude, and for the density cell under the
// mouse its density and the current, average and highest amplitude of its column, in a
// dark box.
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
};
