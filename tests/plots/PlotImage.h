#pragma once

#include <QImage>
#include <QPainter>
#include <qwt_plot.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>

// The plot's items drawn over black into an image of `size`, the whole image being the canvas:
// how the tests compare renderings and the benchmark times them.
inline QImage renderPlot(QwtPlot &plot, const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    QwtScaleMap maps[QwtPlot::axisCnt];
    for (int axis = 0; axis < QwtPlot::axisCnt; ++axis) {
        maps[axis].setScaleInterval(plot.axisScaleDiv(axis).lowerBound(),
                                    plot.axisScaleDiv(axis).upperBound());
        if (axis == QwtPlot::yLeft || axis == QwtPlot::yRight)
            maps[axis].setPaintInterval(size.height(), 0);
        else
            maps[axis].setPaintInterval(0, size.width());
    }
    plot.drawItems(&painter, QRectF(QPointF(0, 0), size), maps);
    return image;
}
