#include "WfTrackPicker.h"

#include "TrackerBox.h"
#include "WaterfallData.h"

#include <QDateTime>
#include <cmath>
#include <qwt_picker_machine.h>
#include <qwt_plot.h>
#include <qwt_scale_div.h>

WfTrackPicker::WfTrackPicker(QWidget *canvas)
    : QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, CrossRubberBand, AlwaysOn, canvas)
    , m_format(tr("Frequency") + QStringLiteral(": %1\n") + tr("Time") + QStringLiteral(": %2\n")
               + tr("Amplitude") + QStringLiteral(": %3"))
{
    setStateMachine(new QwtPickerTrackerMachine);
}

void WfTrackPicker::setData(const WaterfallData *data, qint64 lastTime, qint64 firstTime)
{
    m_data = data;
    m_numColumns = data ? data->numColumns() : 0;
    m_numRows = m_numColumns > 0 ? data->numRows() : 0;
    // The cells the data spans, else the axis's range.
    const QwtInterval dataX = data ? data->interval(Qt::XAxis) : QwtInterval();
    const QwtInterval cellsX
        = dataX.isValid() ? dataX : plot()->axisScaleDiv(xAxis()).interval().normalized();
    m_columnWidth = m_numColumns > 0 ? cellsX.width() / m_numColumns : 0.0;
    m_firstColumnMHz = cellsX.minValue();
    m_rowDuration = m_numRows > 0 ? double((lastTime - firstTime) / m_numRows) : 0.0;
}

QwtText WfTrackPicker::trackerTextF(const QPointF &pos) const
{
    if (m_numColumns <= 0)
        return QwtText();

    const QwtInterval axisY = plot()->axisScaleDiv(yAxis()).interval().normalized();
    QString amplitude = tr("N/A");
    // With a single sample (or samples all at one time) rows have no duration: no row to
    // find.
    if (m_rowDuration > 0.0 && m_columnWidth > 0.0) {
        const double fromTop = std::ceil((axisY.maxValue() - pos.y()) / m_rowDuration);
        const double row = qMin(double(m_numRows) - fromTop, double(m_numRows - 1));
        const double col = std::floor((pos.x() - m_firstColumnMHz) / m_columnWidth);
        if (row >= 0.0 && row < m_numRows && col >= 0.0) {
            const int r = int(row);
            const int c = int(qMin(col, double(m_numColumns - 1)));
            amplitude = QString::number(m_data->cell(r, c), 'g', 6);
        }
    }
    const QString time
        = QDateTime::fromMSecsSinceEpoch(qint64(pos.y())).time().toString(Qt::TextDate);
    QwtText tracker(m_format.arg(QString::number(pos.x(), 'f', 1), time, amplitude));
    tracker.setRenderFlags(Qt::AlignCenter);
    return tracker;
}

QRect WfTrackPicker::trackerRect(const QFont &font) const
{
    return TrackerBox::grow(QwtPlotPicker::trackerRect(font));
}

void WfTrackPicker::drawTracker(QPainter *painter) const
{
    TrackerBox::fill(painter, trackerRect(painter->font()));
    QwtPlotPicker::drawTracker(painter);
}
