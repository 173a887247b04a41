#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QTimer>

class PlacedLabelMarker;
class QwtPlotMarker;
class SpectroPlot;

// The markers as the spectrogram shows them, and the mouse and keys that move them. Each marker
// is a line at its frequency, numbered at the top (the number moves down the line, or a little
// aside, to keep clear of other labels), with a diamond at its Max Hold level; the selected one
// is drawn solid.
//
// On the canvas: a double-click asks for a marker there (on a marker's line it selects that
// one); a press on a marker's line selects it and dragging moves it; Left and Right (with
// Shift, ten at a time) step the selected marker, Delete removes it. A single click elsewhere
// still places a label, once the time of a double-click has passed without one.
class MarkerLayer : public QObject
{
    Q_OBJECT

public:
    // How near (pixels) a press must be to a marker's line to take it.
    static constexpr int k_grabPixels = 6;

    struct Item
    {
        int number = 0;
        double megahertz = 0.0;
        double level = 0.0;
        bool hasLevel = false;
    };

    explicit MarkerLayer(SpectroPlot *plot);
    ~MarkerLayer() override;

    // Shows the markers (replacing those shown); `selected` is drawn solid. No replot.
    void show(const QList<Item> &items, int selected);
    // The markers' lines, and their numbers, in the order shown.
    QList<QwtPlotMarker *> plotMarkers() const { return m_markers; }
    QList<PlacedLabelMarker *> numbers() const { return m_numbers; }

Q_SIGNALS:
    void placeRequested(double megahertz);
    void selectRequested(int number);
    void dragged(int number, double megahertz);
    void stepRequested(int steps);
    void removeRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    double megahertzAt(const QPointF &pixel) const;
    // The marker whose line is nearest to the pixel column, within k_grabPixels; 0 for none.
    int markerAt(const QPointF &pixel) const;
    void onSingleClick();

    SpectroPlot *const m_plot;
    QWidget *const m_canvas;
    QList<QwtPlotMarker *> m_markers;
    QList<PlacedLabelMarker *> m_numbers;
    QList<Item> m_items;
    int m_dragging = 0;
    QTimer m_clickTimer;
    QPointF m_clickPixel;
    bool m_swallowRelease = false;
};
