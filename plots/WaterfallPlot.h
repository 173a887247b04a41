#pragma once

#include "PlotPrompts.h"
#include "data/SampleStore.h"
#include "data/TimeEvent.h"

#include <QDateTime>
#include <QList>
#include <qwt_plot.h>

class QwtPlotMarker;
class QwtPlotPicker;
class TavPlotSpectrogram;
class TimeScaleDraw;
class WaterfallData;
class WfTrackPicker;

// The time view of a band page: each sample of the visible window is a row of colour,
// frequency on x (MHz), time on y (ms since the epoch, shown as time of day, newest at the
// top), amplitude as colour. Users mark moments with time events (left button) and remove
// them (right button); a read-out shows frequency, time and amplitude under the mouse.
class WaterfallPlot : public QwtPlot
{
    Q_OBJECT

public:
    // An event is hit by a click at y when y < event time < y + k_eventHitSpan.
    static constexpr qint64 k_eventHitSpan = 5000;

    explicit WaterfallPlot(QWidget *parent = nullptr);
    ~WaterfallPlot() override;

    // A new, unattached marker for an event: a faint horizontal line at pos.y with the text
    // at its left end.
    QwtPlotMarker *createMarker(QString text, QPointF pos) const;

    void setPrompts(const PlotPrompts &prompts) { m_prompts = prompts; }
    void setFastRendering(bool on);

    TavPlotSpectrogram *spectrogramItem() const { return m_spectrogramItem; }
    WaterfallData *waterfallData() const;
    WfTrackPicker *tracker() const { return m_tracker; }
    QList<TimeEvent> timeEvents() const;
    QList<QwtPlotMarker *> eventMarkers() const;

Q_SIGNALS:
    void timeEventAdded(TimeEvent event);
    void timeEventRemoved(TimeEvent event);

public Q_SLOTS:
    // Shows sweeps [first, last) of the store, which must stay until the next window is set;
    // a window of more sweeps than the canvas has pixel rows shows each row as the highest
    // value of the sweeps it covers. An empty window changes nothing.
    void setData(const SampleStore &store, int first, int last);
    // The same for a list of samples, which the plot keeps.
    void setData(QList<RfSpectrumSample> data);
    // Shows no sweep (its store was cleared).
    void clearData();
    void setDataInterval(Qt::Axis axis, QwtInterval interval);
    void setTimeEvents(QList<TimeEvent> events);
    // Removes every event marker without reporting them as removed.
    void clearTimeEvents();
    void onLeftClick(const QPointF &pos);
    void onRightClick(const QPointF &pos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct EventRecord
    {
        QDateTime moment;
        QString text;
        QwtPlotMarker *marker = nullptr;
    };
    static bool eventHit(const EventRecord &record, double y);
    int maxRows() const;
    // The time axis and the read-out for the window from `first` to `last` (ms).
    void showWindow(qint64 first, qint64 last);

    TavPlotSpectrogram *m_spectrogramItem = nullptr;
    TimeScaleDraw *m_timeScaleDraw = nullptr;
    WfTrackPicker *m_tracker = nullptr;
    QwtPlotPicker *m_leftClickPicker = nullptr;
    QwtPlotPicker *m_rightClickPicker = nullptr;
    QList<EventRecord> m_eventMarkers;
    PlotPrompts m_prompts = PlotPrompts::dialogs();
};
