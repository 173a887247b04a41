#pragma once

#include <qwt_plot_picker.h>

class WaterfallData;

// The waterfall's mouse read-out: frequency, time of day and the amplitude of the sample
// row and frequency column under the mouse (the column whose cell is drawn there), in a dark
// box.
class WfTrackPicker : public QwtPlotPicker
{
    Q_OBJECT

public:
    explicit WfTrackPicker(QWidget *canvas);

    // The waterfall's rows (oldest first), read in place; the rows spread evenly from firstTime
    // to lastTime. The data must stay while the picker reads it.
    void setData(const WaterfallData *data, qint64 lastTime, qint64 firstTime);

    QwtText trackerTextF(const QPointF &pos) const override;
    QRect trackerRect(const QFont &font) const override;

protected:
    void drawTracker(QPainter *painter) const override;

private:
    double m_columnWidth = 0.0;
    double m_firstColumnMHz = 0.0; // where the first column's cell begins
    double m_rowDuration = 0.0;
    int m_numColumns = 0;
    int m_numRows = 0;
    const WaterfallData *m_data = nullptr;
    QString m_format;
};
