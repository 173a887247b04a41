#include "WaterfallPlot.h"

#include "LabelledLine.h"
#include "PlotLegend.h"
#include "RightClickMachine.h"
#include "TavPlotSpectrogram.h"
#include "TimeScaleDraw.h"
#include "WaterfallColorMap.h"
#include "WaterfallData.h"
#include "WfTrackPicker.h"
#include "WifiChannelsScaleDraw.h"
#include "data/Constants.h"

#include <QEvent>
#include <QPen>
#include <qwt_picker_machine.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_picker.h>
#include <qwt_scale_div.h>

WaterfallPlot::WaterfallPlot(QWidget *parent)
    : QwtPlot(parent)
{
    setAutoReplot(false);
    canvas()->setStyleSheet(QStringLiteral("* { background-color: black }"));

    m_spectrogramItem = new TavPlotSpectrogram(QString());
    m_spectrogramItem->setRenderThreadCount(0);
    m_spectrogramItem->setColorMap(new WaterfallColorMap);
    m_spectrogramItem->setData(new WaterfallData);
    m_spectrogramItem->attach(this);

    setAxisTitle(xBottom, tr("Frequency [MHz]"));

    setAxisTitle(yLeft, QStringLiteral("Time [h:m:s]"));
    m_timeScaleDraw = new TimeScaleDraw;
    setAxisScaleDraw(yLeft, m_timeScaleDraw);
    const double now = double(QDateTime::currentMSecsSinceEpoch());
    setAxisScale(yLeft, now - double(Constants::k_timeWindowWidth), now);
    // Time labels stand level beside their ticks. Turned by 45 degrees, the lowest one
    // reached down into the corner below the canvas, where the plot's layout gives the corner
    // to this axis and cut off the first frequency label; and the canvas jumped in height as
    // the ticks moved past the bottom with every sweep.
    setAxisLabelAlignment(yLeft, Qt::AlignLeft | Qt::AlignVCenter);

    addCanvasLegend(canvas(), tr("Amplitude [dBm]"), new WaterfallColorMap,
                    Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi,
                    Constants::k_nominalMaxRssi);

    const QList<double> &channels = Constants::k_wifiChannelFreq;
    setAxisTitle(xTop, tr("Wi-Fi Channel"));
    setAxisScaleDraw(xTop, new WifiChannelsScaleDraw);
    setAxisScaleDiv(
        xTop,
        QwtScaleDiv(channels.first(), channels.last(), QList<double>(), QList<double>(), channels));

    m_tracker = new WfTrackPicker(canvas());
    m_tracker->setRubberBandPen(
        QPen(QColor(0xa0, 0xa0, 0xa4), 1.0, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin));
    m_tracker->setTrackerPen(QPen(QColor(0xa0, 0xa0, 0xa4)));

    m_leftClickPicker = new QwtPlotPicker(xBottom, yLeft, QwtPicker::NoRubberBand,
                                          QwtPicker::AlwaysOff, canvas());
    m_leftClickPicker->setStateMachine(new QwtPickerClickPointMachine);
    m_leftClickPicker->setTrackerPen(QPen(Qt::white));
    connect(m_leftClickPicker, QOverload<const QPointF &>::of(&QwtPlotPicker::selected), this,
            &WaterfallPlot::onLeftClick);
    m_rightClickPicker = new QwtPlotPicker(xBottom, yLeft, QwtPicker::NoRubberBand,
                                           QwtPicker::AlwaysOff, canvas());
    m_rightClickPicker->setStateMachine(new RightClickMachine);
    m_rightClickPicker->setTrackerPen(QPen(Qt::white));
    connect(m_rightClickPicker, QOverload<const QPointF &>::of(&QwtPlotPicker::selected), this,
            &WaterfallPlot::onRightClick);

    plotLayout()->setAlignCanvasToScales(true);
    canvas()->installEventFilter(this);
    setAutoReplot(true);
}

WaterfallPlot::~WaterfallPlot() = default;

WaterfallData *WaterfallPlot::waterfallData() const
{
    return static_cast<WaterfallData *>(m_spectrogramItem->data());
}

void WaterfallPlot::setFastRendering(bool on)
{
    m_spectrogramItem->setFastRendering(on);
}

void WaterfallPlot::setData(QList<RfSpectrumSample> data)
{
    if (data.isEmpty())
        return;
    waterfallData()->setMaxRows(maxRows());
    waterfallData()->setSamples(data);
    showWindow(data.constFirst().timestamp, data.constLast().timestamp);
}

void WaterfallPlot::setData(const SampleStore &store, int first, int last)
{
    if (last <= first)
        return;
    waterfallData()->setMaxRows(maxRows());
    waterfallData()->setWindow(&store, first, last);
    showWindow(store.timestamp(first), store.timestamp(last - 1));
}

void WaterfallPlot::clearData()
{
    waterfallData()->setWindow(nullptr, 0, 0);
    m_tracker->setData(waterfallData(), 0, 0);
}

int WaterfallPlot::maxRows() const
{
    // One row per pixel of the canvas at most (device pixels on a scaled screen).
    return qMax(1, int(canvas()->height() * canvas()->devicePixelRatioF()));
}

bool WaterfallPlot::eventFilter(QObject *watched, QEvent *event)
{
    // A taller or lower canvas has another number of pixel rows for a long window.
    if (watched == canvas() && event->type() == QEvent::Resize
        && waterfallData()->sweepCount() > 0) {
        waterfallData()->setMaxRows(maxRows());
        m_tracker->setData(waterfallData(), qint64(waterfallData()->interval(Qt::YAxis).maxValue()),
                           qint64(waterfallData()->interval(Qt::YAxis).minValue()));
    }
    return QwtPlot::eventFilter(watched, event);
}

void WaterfallPlot::showWindow(qint64 first, qint64 last)
{
    // Rows spread evenly from the first to the last timestamp.
    m_tracker->setData(waterfallData(), last, first);
    waterfallData()->setInterval(Qt::YAxis, QwtInterval(double(first), double(last)));
    // The axis always spans at least the two-minute window, the newest sample at the top.
    const qint64 bottom
        = last - first < Constants::k_timeWindowWidth ? last - Constants::k_timeWindowWidth : first;
    setAxisScale(yLeft, double(bottom), double(last));
}

void WaterfallPlot::setDataInterval(Qt::Axis axis, QwtInterval interval)
{
    waterfallData()->setInterval(axis, interval);
}

QwtPlotMarker *WaterfallPlot::createMarker(QString text, QPointF pos) const
{
    auto *marker = new LabelledLine(text, font(), QColor(255, 255, 255, 64));
    marker->setValue(pos);
    return marker;
}

bool WaterfallPlot::eventHit(const EventRecord &record, double y)
{
    const double t = double(record.moment.toMSecsSinceEpoch());
    return y < t && t < y + double(k_eventHitSpan);
}

void WaterfallPlot::onLeftClick(const QPointF &pos)
{
    int hit = -1;
    for (int i = 0; i < m_eventMarkers.size(); ++i) {
        if (eventHit(m_eventMarkers.at(i), pos.y()))
            hit = i;
    }
    const QwtPlotMarker *hitMarker = hit >= 0 ? m_eventMarkers.at(hit).marker : nullptr;
    QString text;
    if (!m_prompts.askText(this, hit >= 0 ? m_eventMarkers.at(hit).text : QString(), &text))
        return;

    if (hitMarker) {
        // Find the event again: the dialog ran an event loop.
        hit = eventMarkers().indexOf(const_cast<QwtPlotMarker *>(hitMarker));
        if (hit < 0)
            return;
        EventRecord &record = m_eventMarkers[hit];
        record.text = text;
        record.marker->detach();
        delete record.marker;
        record.marker
            = createMarker(text, QPointF(pos.x(), double(record.moment.toMSecsSinceEpoch())));
        record.marker->attach(this);
    } else {
        const QDateTime moment = QDateTime::fromMSecsSinceEpoch(qint64(pos.y()));
        EventRecord record{moment, text, createMarker(text, pos)};
        record.marker->attach(this);
        m_eventMarkers.append(record);
        emit timeEventAdded({moment, text});
    }
    replot();
}

void WaterfallPlot::onRightClick(const QPointF &pos)
{
    for (int i = 0; i < m_eventMarkers.size(); ++i) {
        if (!eventHit(m_eventMarkers.at(i), pos.y()))
            continue;
        const QwtPlotMarker *marker = m_eventMarkers.at(i).marker;
        if (!m_prompts.askYesNo(tr("Remove event"), tr("Do you want to remove the event?")))
            return;
        // Find the event again: the question box ran an event loop.
        const int index = eventMarkers().indexOf(const_cast<QwtPlotMarker *>(marker));
        if (index < 0)
            return;
        const EventRecord record = m_eventMarkers.takeAt(index);
        record.marker->detach();
        emit timeEventRemoved({record.moment, record.text});
        delete record.marker;
        replot();
        return;
    }
}

void WaterfallPlot::setTimeEvents(QList<TimeEvent> events)
{
    const QwtInterval x = waterfallData()->interval(Qt::XAxis);
    const double middle = (x.maxValue() - x.minValue()) * 0.5 + x.minValue();
    for (const TimeEvent &event : qAsConst(events)) {
        EventRecord record{
            event.dateTime, event.text,
            createMarker(event.text, QPointF(middle, double(event.dateTime.toMSecsSinceEpoch())))};
        record.marker->attach(this);
        m_eventMarkers.append(record);
    }
    replot();
}

void WaterfallPlot::clearTimeEvents()
{
    for (const EventRecord &record : qAsConst(m_eventMarkers)) {
        record.marker->detach();
        delete record.marker;
    }
    m_eventMarkers.clear();
}

QList<TimeEvent> WaterfallPlot::timeEvents() const
{
    QList<TimeEvent> events;
    for (const EventRecord &record : m_eventMarkers)
        events.append({record.moment, record.text});
    return events;
}

QList<QwtPlotMarker *> WaterfallPlot::eventMarkers() const
{
    QList<QwtPlotMarker *> markers;
    for (const EventRecord &record : m_eventMarkers)
        markers.append(record.marker);
    return markers;
}
