#include "RangeDragPicker.h"

#include <QPen>
#include <qwt_picker_machine.h>
#include <qwt_plot.h>

RangeDragPicker::RangeDragPicker(QWidget *canvas)
    : QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::RectRubberBand,
                    QwtPicker::AlwaysOff, canvas)
{
    setStateMachine(new QwtPickerDragRectMachine);
    setMousePattern(QwtEventPattern::MouseSelect1, Qt::LeftButton, Qt::ShiftModifier);
    setRubberBandPen(QPen(QColor(255, 214, 0), 1.0, Qt::DashLine));
    connect(this, QOverload<const QRectF &>::of(&QwtPlotPicker::selected), this,
            [this](const QRectF &rect) {
                const QRectF range = rect.normalized();
                if (range.width() > 0.0)
                    emit rangeDragged(range.left(), range.right());
            });
}
