#include "WifiCurve.h"

#include "data/Constants.h"

#include <QPen>

namespace {

// 11 points from x0 to x2 in steps of 0.2 on the parabola through (x0, y0), (x1, y1),
// (x2, y2).
void appendEdge(QVector<QPointF> &points, double x0, double y0, double x1, double y1, double x2,
                double y2)
{
    for (int i = 0; i <= 10; ++i) {
        const double x = x0 + 0.2 * i;
        const double y = y0 * (x - x1) * (x - x2) / ((x0 - x1) * (x0 - x2))
            + y1 * (x - x0) * (x - x2) / ((x1 - x0) * (x1 - x2))
            + y2 * (x - x0) * (x - x1) / ((x2 - x0) * (x2 - x1));
        points.append(QPointF(x, y));
    }
}

} // namespace

QVector<QPointF> WifiCurve::outline(const WifiApInfo &ap)
{
    const int f = ap.frequency;
    const int r = ap.rssi;
    const int m = Constants::k_nominalMinRssi;
    const int half = ap.width / 2;
    const double y1 = (r - m) * 0.25 + m;

    QVector<QPointF> points;
    points.reserve(22);
    const int x0 = f - half;
    appendEdge(points, x0, m, x0 + 1, y1, x0 + 2, r);
    const int x2 = f + half;
    appendEdge(points, x2 - 2, r, x2 - 1, y1, x2, m);
    return points;
}

WifiCurve::WifiCurve(WifiApInfo ap)
    : QwtPlotCurve(QString())
{
    QColor color = ap.color;
    color.setAlpha(192);
    setPen(QPen(QBrush(color), 2.0, Qt::SolidLine));
    setStyle(QwtPlotCurve::Lines);
    setRenderHint(QwtPlotItem::RenderAntialiased, true);
    setSamples(outline(ap));
}
