#pragma once

#include "LabelPlacement.h"

#include <QSizeF>
#include <QStringList>
#include <qwt_interval.h>
#include <qwt_plot_marker.h>

class QwtScaleMap;

// A plot marker whose label box the plot places among its other labels (CanvasLabelLayout).
// The box belongs horizontally centred on the marker's position, distance pixels above it
// (label alignment top) or below it (label alignment bottom). To keep clear of other labels
// it may slide sideways as long as its centre stays inside the slide range, and move further
// from the position or to its other side as long as it stays inside the vertical range (both
// ranges in plot units; an invalid range sets no bound). An elidable label, whose text must be
// plain text, may then be shortened with an ellipsis and, where not even that fits, left out.
// Until the plot places it, the box is drawn at its own place.
class PlacedLabelMarker : public QwtPlotMarker
{
public:
    explicit PlacedLabelMarker(const QString &title = QString());

    void setSlideRange(const QwtInterval &x) { m_slideRange = x; }
    void setVerticalRange(const QwtInterval &y) { m_verticalRange = y; }
    void setDistance(double pixels) { m_distance = pixels; }
    // Added to the text's size, it gives the box (the label's border and background).
    void setPadding(const QSizeF &padding) { m_padding = padding; }
    void setElidable(bool elidable) { m_elidable = elidable; }
    // An elidable label that is never left out: with no clear place, it goes where it covers
    // least.
    void setNeverLeftOut(bool never) { m_neverLeftOut = never; }
    // Labels of lower rank are placed first; within a rank, the higher boxes first.
    void setPlacementRank(int rank) { m_rank = rank; }
    int placementRank() const { return m_rank; }

    // What this label asks of a drawing into canvasRect with these maps, its text measured in
    // font unless it has its own; false when it shows nothing.
    bool placementRequest(const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                          const QRectF &canvasRect, const QFont &font,
                          LabelPlacement::Request *request) const;
    // The box found for the label in drawings into canvasRect; an empty box leaves it out.
    void setPlacedBox(const QRectF &canvasRect, const QRectF &box);
    // The box of the last drawing in its canvas's pixels, empty when nothing was drawn.
    QRectF drawnBox() const { return m_drawnBox; }

protected:
    void drawLabel(QPainter *painter, const QRectF &canvasRect, const QPointF &pos) const override;

private:
    // The label's texts, the whole one first, then the shortened ones if elidable.
    QStringList texts(const QFont &font) const;
    QSizeF boxSize(const QString &text, const QFont &font) const;
    QRectF ownBox(const QSizeF &size, const QPointF &pos) const;

    QwtInterval m_slideRange;
    QwtInterval m_verticalRange;
    double m_distance = 0.0;
    QSizeF m_padding{0.0, 0.0};
    bool m_elidable = false;
    bool m_neverLeftOut = false;
    int m_rank = 0;
    QRectF m_placedFor;
    QRectF m_placedBox;
    mutable QRectF m_drawnBox;
};
