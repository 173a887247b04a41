#pragma once

#include "CanvasLabelLayout.h"
#include "PlotPrompts.h"
#include "SpectroStatistics.h"
#include "data/RfSpectrumSample.h"
#include "data/SpectroLabel.h"
#include "data/WifiApInfo.h"

#include <QList>
#include <qwt_plot.h>
#include <qwt_scale_div.h>

class HighlightSpectrogram;
class QwtPlotCurve;
class QwtPlotPicker;
class SpTrackPicker;
class SpectrogramData;
class TavMatrixRasterData;
class TavPlotMarker;
class TavPlotSpectrogram;
class WifiCurve;
class WifiMarker;

// The density view of a band page: for the samples of the visible window, how often each
// frequency bin's amplitude lay above each 1 dB level, as colours over frequency (MHz) and
// amplitude (dBm); over it a highlight that keeps full brightness where single sweeps ended
// and dims the rest, and a mouse read-out. Users add and edit text labels with the left
// button and remove them with the right one; the 2.4 GHz page adds a channel axis on top and
// the outlines of Wi-Fi access points. No label covers another, nor the legend.
class SpectroPlot : public QwtPlot
{
    Q_OBJECT

public:
    explicit SpectroPlot(QWidget *parent = nullptr);
    ~SpectroPlot() override;

    // A new, unattached marker showing label: its text hangs right of and below the point,
    // wrapping at 200 pixels.
    TavPlotMarker *createMarker(const SpectroLabel &label) const;

    void setPrompts(const PlotPrompts &prompts) { m_prompts = prompts; }
    // Both raster layers render the library's way when off (for comparisons).
    void setFastRendering(bool on);

    TavPlotSpectrogram *spectrogramItem() const { return m_spectrogramItem; }
    HighlightSpectrogram *highlightItem() const { return m_highlightItem; }
    SpectrogramData *densityData() const;
    TavMatrixRasterData *highlightData() const;
    SpTrackPicker *tracker() const { return m_tracker; }
    QList<SpectroLabel> spectroLabels() const;
    QList<TavPlotMarker *> labelMarkers() const;
    QList<WifiCurve *> wifiCurves() const { return m_wifiCurves; }
    QList<WifiMarker *> wifiMarkers() const { return m_wifiMarkers; }
    // The highest and the mean amplitude of each frequency over the window, as curves over
    // the density; attached to the plot only while shown.
    QwtPlotCurve *maxHoldCurve() const { return m_maxHoldCurve; }
    QwtPlotCurve *averageCurve() const { return m_averageCurve; }

Q_SIGNALS:
    void spectroLabelAdded(SpectroLabel event);
    void spectroLabelRemoved(SpectroLabel event);

public Q_SLOTS:
    // Recomputes everything shown from sweeps [first, last) of the store, which must stay
    // until the next window is set; an empty window changes nothing.
    void setData(const SampleStore &store, int first, int last);
    // The same for a list of samples, which the plot keeps in a store of its own.
    void setData(const QList<RfSpectrumSample> &data);
    void setDataInterval(Qt::Axis axis, QwtInterval interval);
    void setWifiData(QList<WifiApInfo> wifiData);
    void setSpectroLabels(QList<SpectroLabel> labels);
    void clearWifiData();
    void clearSpectroLabels();
    void setWifiZigBee(bool zigBee);
    void onLeftClick(const QPointF &pos);
    void onRightClick(const QPointF &pos);
    void setMaxHoldShown(bool shown);
    void setAverageShown(bool shown);

protected:
    // Places the labels among one another before the items are drawn.
    void drawItems(QPainter *painter, const QRectF &canvasRect,
                   const QwtScaleMap maps[axisCnt]) const override;

private:
    struct LabelRecord
    {
        QPointF pos;
        QString text;
        TavPlotMarker *marker = nullptr;
        quint64 serial = 0; // tells the label apart from any later one at the same address
    };
    static bool labelHit(const LabelRecord &record, const QPointF &pos);
    QList<LabelRecord>::iterator findLabel(quint64 serial);

    TavPlotSpectrogram *m_spectrogramItem = nullptr;
    HighlightSpectrogram *m_highlightItem = nullptr;
    QList<WifiCurve *> m_wifiCurves;
    QList<WifiMarker *> m_wifiMarkers;
    SpTrackPicker *m_tracker = nullptr;
    QwtPlotPicker *m_leftClickPicker = nullptr;
    QwtPlotPicker *m_rightClickPicker = nullptr;
    QList<LabelRecord> m_labelMarkers;
    quint64 m_labelSerial = 0;
    QwtScaleDiv m_wifiScaleDiv;
    QwtScaleDiv m_zigBeeScaleDiv;
    SpectroStatistics m_statistics;
    SampleStore m_ownSamples;
    QwtPlotCurve *m_maxHoldCurve = nullptr;
    QwtPlotCurve *m_averageCurve = nullptr;
    PlotPrompts m_prompts = PlotPrompts::dialogs();
    mutable CanvasLabelLayout m_labelLayout; // redone for every drawing
};
