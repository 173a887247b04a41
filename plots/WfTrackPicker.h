#pragma once

#include "data/RfSpectrumSample.h"

#include <QList>
#include <qwt_plot_picker.h>

// The waterfall's mouse read-out: frequency, time of day and the amplitude of the sample
// row and frequency column under the mouse, in a dark box.
class WfTrackPicker : public QwtPlotPicker
{
    Q_OBJECT

public:
    explicit WfTrackPicker(QWidget *canvas);

    // The window's samples (row i = sample i, oldest first), read in place rather than copied
    // into a matrix; numColumns values per row, the rows spread evenly from firstTime to
    // lastTime.
    void setData(const QList<RfSpectrumSample> &samples, int numColumns, qint64 lastTime,
                 qint64 firstTime);

    QwtText trackerTextF(const QPointF &pos) const override;
    QRect trackerRect(const QFont &font) const override;

protected:
    void drawTracker(QPainter *painter) const override;

private:
    double m_columnWidth = 0.0;
    double m_rowDuration = 0.0;
    int m_numColumns = 0;
    int m_numRows = 0;
    QList<RfSpectrumSample> m_samples;
    QString m_format;
};
