#pragma once

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QVector>
#include <QWidget>

class QFont;
class QwtPlot;
class QwtScaleMap;

// Keeps the labels on a plot's canvas from covering one another. Before each drawing of the
// plot's items it places the boxes of the plot's PlacedLabelMarkers, lowest rank first, clear
// of the widgets shown on the canvas (the colour legend) and of the user's own labels
// (TavPlotMarker), which stay where the user put them. It remembers what the canvas shows, so
// that the mouse read-out can keep clear of it too.
class CanvasLabelLayout
{
public:
    // Widgets on the canvas that no label covers.
    void setKeptClearWidgets(const QList<QWidget *> &widgets);

    // Places the labels for a drawing of the plot's items into canvasRect with these maps
    // (indexed by axis) and the painter's font.
    void arrange(const QwtPlot &plot, const QRectF &canvasRect, const QwtScaleMap *maps,
                 const QFont &font);

    // In canvas pixels: the kept-clear widgets, the user's labels and the placed boxes of the
    // last drawing on the canvas itself.
    QVector<QRectF> occupied() const;

private:
    QVector<QRectF> widgetRects() const;

    QList<QPointer<QWidget>> m_keptClear;
    QVector<QRectF> m_labels;
};
