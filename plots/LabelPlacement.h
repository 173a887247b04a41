#pragma once

#include <QPointF>
#include <QRectF>
#include <QVector>

// Finds places for label boxes on a plot canvas so that no box covers another box or anything
// else the canvas keeps clear, each box staying as near its own place as it can. Geometry only,
// in canvas pixels.
class LabelPlacement
{
public:
    // One label box: where it belongs and where else it may go.
    struct Request
    {
        // Box widths, the whole text's first, then those of shortened texts: a shortened text
        // is taken where the whole one would have to move three rows further away, or is wider
        // than the area.
        QVector<double> widths;
        double height = 0.0;
        // The box's own place: its horizontal centre and its top.
        double centre = 0.0;
        double top = 0.0;
        // The horizontal range the centre may slide in (it always may stay at centre).
        double minCentre = 0.0;
        double maxCentre = 0.0;
        // The tops the box may take; the nearest to its own place is tried first.
        QVector<double> tops;
        // A mandatory box is placed even when every place is taken (where it covers least,
        // with the longest text that fits the area); any other box is then left out.
        bool mandatory = true;
    };

    // The least distance between two boxes, in pixels.
    static constexpr double k_gap = 2.0;

    // Places the requests in list order, each inside area, clear of occupied and of the boxes
    // placed before it. One box per request; a box left out is empty.
    static QVector<QRectF> place(const QRectF &area, QVector<QRectF> occupied,
                                 const QVector<Request> &requests);

    // Where a read-out box of the given size goes beside the point at (the mouse), margin
    // pixels away from it and inside area: above right of it as the plotting library puts it,
    // unless that box would cover the point or something in keepClear; then above left, below
    // right or below left, or one of these moved on past what it covers, whichever covers
    // nothing (the nearest), else whichever covers least.
    static QRectF beside(const QSizeF &size, const QPointF &at, double margin, const QRectF &area,
                         const QVector<QRectF> &keepClear);

    // The part of rect's area that the rectangles in others cover (overlaps counted twice).
    static double coveredArea(const QRectF &rect, const QVector<QRectF> &others);
};
