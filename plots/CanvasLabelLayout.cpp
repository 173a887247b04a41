#include "CanvasLabelLayout.h"

#include "LabelPlacement.h"
#include "PlacedLabelMarker.h"
#include "TavPlotMarker.h"

#include <QFont>
#include <algorithm>
#include <qwt_plot.h>
#include <qwt_scale_map.h>

void CanvasLabelLayout::setKeptClearWidgets(const QList<QWidget *> &widgets)
{
    m_keptClear.clear();
    for (QWidget *widget : widgets)
        m_keptClear.append(widget);
}

QVector<QRectF> CanvasLabelLayout::widgetRects() const
{
    QVector<QRectF> rects;
    for (const QPointer<QWidget> &widget : m_keptClear) {
        if (widget && !widget->isHidden())
            rects.append(QRectF(widget->geometry()));
    }
    return rects;
}

void CanvasLabelLayout::arrange(const QwtPlot &plot, const QRectF &canvasRect,
                                const QwtScaleMap *maps, const QFont &font)
{
    // The widgets are part of the picture only where the canvas itself is painted (not in a
    // rendering of the plot elsewhere).
    const bool onCanvas = plot.canvas() && QRectF(plot.canvas()->contentsRect()) == canvasRect;
    QVector<QRectF> fixed;

    struct Movable
    {
        PlacedLabelMarker *marker;
        LabelPlacement::Request request;
    };
    QVector<Movable> movable;
    for (QwtPlotItem *item : plot.itemList()) {
        const QwtScaleMap &xMap = maps[item->xAxis()];
        const QwtScaleMap &yMap = maps[item->yAxis()];
        if (auto *marker = dynamic_cast<PlacedLabelMarker *>(item)) {
            LabelPlacement::Request request;
            if (marker->isVisible()
                && marker->placementRequest(xMap, yMap, canvasRect, font, &request))
                movable.append({marker, request});
            else
                marker->setPlacedBox(canvasRect, QRectF());
        } else if (auto *user = dynamic_cast<TavPlotMarker *>(item)) {
            const QPointF pos(xMap.transform(user->xValue()), yMap.transform(user->yValue()));
            const QRectF rect = user->labelRect(font, canvasRect, pos);
            if (user->isVisible() && !rect.isEmpty())
                fixed.append(rect);
        }
    }
    std::stable_sort(movable.begin(), movable.end(), [](const Movable &a, const Movable &b) {
        if (a.marker->placementRank() != b.marker->placementRank())
            return a.marker->placementRank() < b.marker->placementRank();
        return a.request.top < b.request.top;
    });

    QVector<LabelPlacement::Request> requests;
    requests.reserve(movable.size());
    for (const Movable &m : qAsConst(movable))
        requests.append(m.request);
    const QVector<QRectF> boxes
        = LabelPlacement::place(canvasRect, onCanvas ? fixed + widgetRects() : fixed, requests);
    for (int i = 0; i < movable.size(); ++i)
        movable.at(i).marker->setPlacedBox(canvasRect, boxes.at(i));

    if (onCanvas) {
        m_labels = fixed;
        for (const QRectF &box : boxes) {
            if (!box.isEmpty())
                m_labels.append(box);
        }
    }
}

QVector<QRectF> CanvasLabelLayout::occupied() const
{
    return widgetRects() + m_labels;
}
