#include "Watermark.h"

#include <QPainter>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>

QPixmap Watermark::over(const QPixmap &shot, const QwtPlot *plot)
{
    const QPoint canvasPos = plot->canvas()->pos();
    const int canvasHeight = plot->canvas()->height();
    QPixmap result(shot.size());
    result.setDevicePixelRatio(shot.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, shot);
    const QImage watermark = QImage(QStringLiteral(":/Watermark.png"));
    if (!watermark.isNull() && canvasHeight / 8 > 0) {
        painter.setOpacity(0.15);
        painter.drawImage(canvasPos + QPoint(5, 5),
                          watermark.scaledToHeight(canvasHeight / 8, Qt::SmoothTransformation));
    }
    painter.end();
    return result;
}
