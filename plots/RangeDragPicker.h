#pragma once

#include <qwt_plot_picker.h>

// Shift and a drag of the left button across a plot's canvas picks a frequency range: a
// rubber band follows the mouse, and at the release the range between the press and the
// release goes out in units of the bottom axis. A plain click or drag (labels, events) is
// left to the plot's other pickers.
class RangeDragPicker : public QwtPlotPicker
{
    Q_OBJECT

public:
    explicit RangeDragPicker(QWidget *canvas);

Q_SIGNALS:
    // lower < upper.
    void rangeDragged(double lower, double upper);
};
