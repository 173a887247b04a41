#include "SpTrackPicker.h"

#include "LabelPlacement.h"
#include "TrackerBox.h"

#include <QPainter>
#include <qwt_picker_machine.h>
#include <qwt_plot.h>
#include <qwt_scale_div.h>

SpTrackPicker::SpTrackPicker(QWidget *canvas)
    : QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, CrossRubberBand, AlwaysOn, canvas)
    , m_format(tr("Frequency") + QStringLiteral(": %1\n") + tr("Amplitude")
               + QStringLiteral(": %2\n") + tr("Density") + QStringLiteral(": %3%\n")
               + tr("Current") + QStringLiteral(": %4\n") + tr("Average") + QStringLiteral(": %5\n")
               + tr("Max") + QStringLiteral(": %6"))
{
    setStateMachine(new QwtPickerTrackerMachine);
}

void SpTrackPicker::setData(int numColumns, const QVector<double> &density,
                            const QVector<signed char> &current, const QVector<double> &average,
                            const QVector<signed char> &max)
{
    m_density = density;
    m_current = current;
    m_average = average;
    m_max = max;
    m_numColumns = qMax(numColumns, 0);
    m_numRows = m_numColumns > 0 ? density.size() / m_numColumns : 0;
    m_columnWidth = m_numColumns > 0 ? areaX().width() / m_numColumns : 0.0;
    m_rowHeight = m_numRows > 0 ? areaY().width() / m_numRows : 0.0;
}

void SpTrackPicker::setDataArea(const QwtInterval &x, const QwtInterval &y)
{
    m_areaX = x;
    m_areaY = y;
    m_columnWidth = m_numColumns > 0 ? areaX().width() / m_numColumns : 0.0;
    m_rowHeight = m_numRows > 0 ? areaY().width() / m_numRows : 0.0;
}

QwtInterval SpTrackPicker::areaX() const
{
    return m_areaX.isValid() ? m_areaX : plot()->axisScaleDiv(xAxis()).interval().normalized();
}

QwtInterval SpTrackPicker::areaY() const
{
    return m_areaY.isValid() ? m_areaY : plot()->axisScaleDiv(yAxis()).interval().normalized();
}

QwtText SpTrackPicker::trackerTextF(const QPointF &pos) const
{
    const QwtInterval axisX = plot()->axisScaleDiv(xAxis()).interval().normalized();
    const QwtInterval axisY = plot()->axisScaleDiv(yAxis()).interval().normalized();
    if (m_numColumns <= 0 || m_numRows <= 0 || !(m_columnWidth > 0.0) || !(m_rowHeight > 0.0)
        || !axisX.contains(pos.x()) || !axisY.contains(pos.y()))
        return QwtText();

    const double colPos = (pos.x() - areaX().minValue()) / m_columnWidth;
    const double rowPos = (pos.y() - areaY().minValue()) / m_rowHeight;
    // Left of or below the matrix there is no cell to read.
    if (colPos < 0.0 || rowPos < 0.0)
        return QwtText();
    const int col = int(qMin(colPos, double(m_numColumns - 1)));
    const int row = int(qMin(rowPos, double(m_numRows - 1)));

    const QString text = m_format.arg(
        QString::number(pos.x(), 'f', 1), QString::number(pos.y(), 'f', 1),
        QString::number(m_density.at(row * m_numColumns + col) * 100.0, 'f', 2),
        QString::number(int(m_current.value(col))), QString::number(m_average.value(col), 'f', 1),
        QString::number(int(m_max.value(col))));
    QwtText tracker(text);
    tracker.setRenderFlags(Qt::AlignHCenter | Qt::AlignVCenter);
    return tracker;
}

// The library puts the text 5 pixels above right of the mouse, inside the canvas by 5 pixels;
// the box grown around it is 3 pixels from both. Where that box would cover something kept
// clear (the legend, a label), it goes to another corner of the mouse.
QRect SpTrackPicker::trackerRect(const QFont &font) const
{
    const QRect box = TrackerBox::grow(QwtPlotPicker::trackerRect(font));
    if (box.isEmpty() || !m_keepClear)
        return box;
    const QRect canvas = pickArea().boundingRect().toAlignedRect();
    if (m_placed.size() != box.size() || m_placedFor != trackerPosition() || m_placedIn != canvas) {
        const QRectF placed
            = LabelPlacement::beside(box.size(), trackerPosition(), 3.0,
                                     QRectF(canvas).adjusted(3.0, 3.0, -3.0, -3.0), m_keepClear());
        m_placed = QRect(QPoint(qRound(placed.left()), qRound(placed.top())), box.size());
        m_placedFor = trackerPosition();
        m_placedIn = canvas;
    }
    return m_placed;
}

void SpTrackPicker::drawTracker(QPainter *painter) const
{
    TrackerBox::fill(painter, trackerRect(painter->font()));
    QwtPlotPicker::drawTracker(painter);
}
