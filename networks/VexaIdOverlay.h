#pragma once

#include "data/VexaIdDesc.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>

class QwtPlot;
class QwtPlotMarker;
class QwtPlotShapeItem;

// Draws the frequency ranges of the selected VEXA IDs on a spectrogram: one translucent box
// per ID from -100 dBm up to -50 dBm, fading downwards, lowered by 4 dB for each level of
// stacking so that overlapping IDs stay apart, with the ID written under its top edge.
// Every change of the selection rebuilds the items and asks the plot for one redraw, so the
// change shows even when no live data refreshes the plot.
class VexaIdOverlay
{
public:
    static const QMap<QString, QColor> k_colorList;

    explicit VexaIdOverlay(QwtPlot *plot);
    ~VexaIdOverlay();
    VexaIdOverlay(const VexaIdOverlay &) = delete;
    VexaIdOverlay &operator=(const VexaIdOverlay &) = delete;

    // Which IDs the plot's band holds; the others are never shown.
    using BandFilter = bool (*)(int id);
    void setBand(BandFilter inBand) { m_inBand = inBand; }

    void showVexaIds(QList<int> ids);
    void showVexaId(int id);
    void hideVexaId(int id);

    const QList<int> &selectedIds() const { return m_vexaIds; }
    const QList<QwtPlotShapeItem *> &shapeItems() const { return m_shapeItems; }
    const QList<QwtPlotMarker *> &markerItems() const { return m_markerItems; }
    // Stacking level of a selected ID (0 is the top), -1 when it is not selected.
    int level(int id) const { return m_levels.value(id, -1); }

    static QPainterPath createShape(const VexaIdDesc &desc, int level, double step);

private:
    void createPlotItems();
    void deletePlotItems();
    void assignLevels();

    QPointer<QwtPlot> m_plot;
    QList<QwtPlotShapeItem *> m_shapeItems;
    QList<QwtPlotMarker *> m_markerItems;
    QList<int> m_vexaIds;
    QMap<int, int> m_levels;
    BandFilter m_inBand = nullptr;
    QTimer m_replotTimer; // coalesces the redraws of several changes in one event-loop turn
};
