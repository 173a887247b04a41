#include "SpectroPlot.h"

#include "HighlightColorMap.h"
#include "HighlightSpectrogram.h"
#include "PlotLegend.h"
#include "RightClickMachine.h"
#include "SpTrackPicker.h"
#include "SpectroColorMap.h"
#include "SpectrogramData.h"
#include "TavMatrixRasterData.h"
#include "TavPlotMarker.h"
#include "WifiChannelsScaleDraw.h"
#include "WifiCurve.h"
#include "WifiMarker.h"
#include "ZigBeeChannelsScaleDraw.h"
#include "data/Constants.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <qwt_picker_machine.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_picker.h>

namespace {

QwtScaleDiv channelScaleDiv(const QList<double> &frequencies)
{
    return QwtScaleDiv(frequencies.first(), frequencies.last(), QList<double>(), QList<double>(),
                       frequencies);
}

QPen grey()
{
    return QPen(QColor(0xa0, 0xa0, 0xa4));
}

} // namespace

SpectroPlot::SpectroPlot(QWidget *parent)
    : QwtPlot(parent)
    , m_wifiScaleDiv(channelScaleDiv(Constants::k_wifiChannelFreq))
    , m_zigBeeScaleDiv(channelScaleDiv(Constants::k_zigBeeChannelFreq))
{
    setAutoReplot(false);
    canvas()->setStyleSheet(QStringLiteral("* { background-color: black }"));

    m_spectrogramItem = new TavPlotSpectrogram(QString());
    m_spectrogramItem->setRenderThreadCount(0);
    m_spectrogramItem->setData(new SpectrogramData);
    m_spectrogramItem->setColorMap(new SpectroColorMap);
    m_spectrogramItem->attach(this);

    m_highlightItem = new HighlightSpectrogram(QString());
    m_highlightItem->setRenderThreadCount(0);
    auto *tips = new TavMatrixRasterData;
    tips->setResampleMode(TavMatrixRasterData::BicubicInterpolation);
    tips->setInterval(Qt::ZAxis, QwtInterval(0.0, 1.0));
    tips->setValueMatrix(QVector<double>{0.0}, 1);
    m_highlightItem->setData(tips);
    m_highlightItem->setColorMap(new HighlightColorMap);
    m_highlightItem->attach(this);
    // Over the black canvas the highlight can be multiplied into the density's own image.
    m_spectrogramItem->setMultipliedLayer(m_highlightItem);

    setAxisTitle(xBottom, tr("Frequency [MHz]"));
    setAxisTitle(yLeft, tr("Amplitude [dBm]"));

    m_labelLayout.setKeptClearWidgets(
        addCanvasLegend(canvas(), tr("Density [%]"), new SpectroColorMap, 0.0, 50.0, 50.0));

    setWifiZigBee(false);

    m_tracker = new SpTrackPicker(canvas());
    QPen rubberBand(QColor(0xa0, 0xa0, 0xa4), 1.0, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin);
    m_tracker->setRubberBandPen(rubberBand);
    m_tracker->setTrackerPen(grey());
    m_tracker->setKeepClear([this] { return m_labelLayout.occupied(); });

    m_leftClickPicker = new QwtPlotPicker(xBottom, yLeft, QwtPicker::NoRubberBand,
                                          QwtPicker::AlwaysOff, canvas());
    m_leftClickPicker->setStateMachine(new QwtPickerClickPointMachine);
    connect(m_leftClickPicker, QOverload<const QPointF &>::of(&QwtPlotPicker::selected), this,
            &SpectroPlot::onLeftClick);
    m_rightClickPicker = new QwtPlotPicker(xBottom, yLeft, QwtPicker::NoRubberBand,
                                           QwtPicker::AlwaysOff, canvas());
    m_rightClickPicker->setStateMachine(new RightClickMachine);
    connect(m_rightClickPicker, QOverload<const QPointF &>::of(&QwtPlotPicker::selected), this,
            &SpectroPlot::onRightClick);

    // The traces: white for the maximum, magenta for the mean, colours the density's map
    // does not use. Drawn over the density and under the labels.
    const auto trace = [](const QString &title, const QColor &color) {
        auto *curve = new QwtPlotCurve(title);
        curve->setPen(color, 1.5);
        curve->setRenderHint(QwtPlotItem::RenderAntialiased, true);
        curve->setZ(25.0);
        return curve;
    };
    m_maxHoldCurve = trace(tr("Max Hold"), QColor(255, 255, 255));
    m_averageCurve = trace(tr("Average"), QColor(255, 64, 255));

    plotLayout()->setAlignCanvasToScales(true);
    setAutoReplot(true);
}

// The trace curves belong to the plot only while attached.
SpectroPlot::~SpectroPlot()
{
    for (QwtPlotCurve *curve : {m_maxHoldCurve, m_averageCurve}) {
        if (!curve->plot())
            delete curve;
    }
}

void SpectroPlot::drawItems(QPainter *painter, const QRectF &canvasRect,
                            const QwtScaleMap maps[axisCnt]) const
{
    m_labelLayout.arrange(*this, canvasRect, maps, painter->font());
    QwtPlot::drawItems(painter, canvasRect, maps);
}

SpectrogramData *SpectroPlot::densityData() const
{
    return static_cast<SpectrogramData *>(m_spectrogramItem->data());
}

TavMatrixRasterData *SpectroPlot::highlightData() const
{
    return static_cast<TavMatrixRasterData *>(m_highlightItem->data());
}

void SpectroPlot::setFastRendering(bool on)
{
    m_spectrogramItem->setFastRendering(on);
    m_highlightItem->setFastRendering(on);
}

void SpectroPlot::setData(const QList<RfSpectrumSample> &data)
{
    if (data.isEmpty())
        return;
    m_ownSamples.clear();
    for (const RfSpectrumSample &sample : data)
        m_ownSamples.append(sample);
    setData(m_ownSamples, 0, m_ownSamples.size());
}

void SpectroPlot::setData(const SampleStore &store, int first, int last)
{
    if (last <= first)
        return;
    const QwtInterval rows = highlightData()->interval(Qt::YAxis);
    const int yMin = int(rows.minValue());
    const int yMax = int(rows.maxValue());
    // Without an amplitude range (before the page sets one) there is no row to fill.
    if (yMax <= yMin)
        return;

    m_statistics.setWindow(store, first, last);
    const SpectroStatistics::Result stats = m_statistics.compute(yMin, yMax);
    densityData()->setValueMatrix(stats.density, stats.numColumns);
    highlightData()->setValueMatrix(stats.tips, stats.numColumns);
    m_tracker->setData(stats.numColumns, stats.density, stats.current, stats.average, stats.max);
    // One point per frequency bin, at its centre.
    const QwtInterval freq = densityData()->interval(Qt::XAxis);
    const double binWidth = freq.width() / qMax(stats.numColumns, 1);
    QVector<double> x(stats.numColumns);
    QVector<double> maxima(stats.numColumns);
    for (int j = 0; j < stats.numColumns; ++j) {
        x[j] = freq.minValue() + (j + 0.5) * binWidth;
        maxima[j] = stats.max.value(j);
    }
    m_maxHoldCurve->setSamples(x, maxima);
    m_averageCurve->setSamples(x, stats.average);
    setAxisScale(yLeft, Constants::k_nominalMinRssi,
                 qMax(Constants::k_typicalMaxRssi, stats.top + 2));
}

void SpectroPlot::setDataInterval(Qt::Axis axis, QwtInterval interval)
{
    densityData()->setInterval(axis, interval);
    highlightData()->setInterval(axis, interval);
    m_tracker->setDataArea(densityData()->interval(Qt::XAxis), densityData()->interval(Qt::YAxis));
}

void SpectroPlot::setWifiData(QList<WifiApInfo> wifiData)
{
    clearWifiData();
    int top = -128;
    for (const WifiApInfo &ap : qAsConst(wifiData)) {
        auto *curve = new WifiCurve(ap);
        auto *marker = new WifiMarker(ap);
        m_wifiCurves.append(curve);
        m_wifiMarkers.append(marker);
        curve->attach(this);
        marker->attach(this);
        top = qMax(top, ap.rssi);
    }
    setAxisScale(yLeft, Constants::k_nominalMinRssi,
                 qMax(int(axisScaleDiv(yLeft).upperBound()), top + 4));
}

void SpectroPlot::setMaxHoldShown(bool shown)
{
    m_maxHoldCurve->attach(shown ? this : nullptr);
    replot();
}

void SpectroPlot::setAverageShown(bool shown)
{
    m_averageCurve->attach(shown ? this : nullptr);
    replot();
}

void SpectroPlot::clearWifiData()
{
    qDeleteAll(m_wifiCurves);
    qDeleteAll(m_wifiMarkers);
    m_wifiCurves.clear();
    m_wifiMarkers.clear();
}

void SpectroPlot::setWifiZigBee(bool zigBee)
{
    if (zigBee) {
        setAxisTitle(xTop, tr("ZigBee Channel"));
        setAxisScaleDraw(xTop, new ZigBeeChannelsScaleDraw);
        setAxisScaleDiv(xTop, m_zigBeeScaleDiv);
    } else {
        setAxisTitle(xTop, tr("Wi-Fi Channel"));
        setAxisScaleDraw(xTop, new WifiChannelsScaleDraw);
        setAxisScaleDiv(xTop, m_wifiScaleDiv);
    }
}

TavPlotMarker *SpectroPlot::createMarker(const SpectroLabel &label) const
{
    auto *marker = new TavPlotMarker(QString());
    marker->setLabelWidth(200.0);
    marker->setRenderHint(QwtPlotItem::RenderAntialiased, true);
    marker->setLineStyle(QwtPlotMarker::NoLine);
    marker->setLinePen(QColor(255, 255, 255, 64), 2.0, Qt::SolidLine);
    // Labels travel in recordings from other people: shown as typed, never as markup.
    QwtText text(label.text, QwtText::PlainText);
    text.setRenderFlags(text.renderFlags() | Qt::TextWordWrap);
    text.setBorderRadius(2.0);
    text.setColor(Qt::white);
    text.setBackgroundBrush(QBrush(QColor(255, 255, 255, 64), Qt::SolidPattern));
    QFont labelFont = font();
    if (labelFont.pointSize() > 0)
        labelFont.setPointSize(int(labelFont.pointSize() * 1.25));
    text.setFont(labelFont);
    marker->setLabel(text);
    marker->setLabelAlignment(Qt::AlignRight | Qt::AlignBottom);
    marker->setValue(label.pos);
    return marker;
}

// A label covers 15 MHz to the right of and 10 dB below its point, borders included.
bool SpectroPlot::labelHit(const LabelRecord &record, const QPointF &pos)
{
    return pos.x() >= record.pos.x() && pos.x() <= record.pos.x() + 15.0
        && pos.y() >= record.pos.y() - 10.0 && pos.y() <= record.pos.y();
}

QList<SpectroPlot::LabelRecord>::iterator SpectroPlot::findLabel(quint64 serial)
{
    return std::find_if(m_labelMarkers.begin(), m_labelMarkers.end(),
                        [serial](const LabelRecord &record) { return record.serial == serial; });
}

void SpectroPlot::onLeftClick(const QPointF &pos)
{
    int hit = -1;
    for (int i = 0; i < m_labelMarkers.size(); ++i) {
        if (labelHit(m_labelMarkers.at(i), pos))
            hit = i;
    }
    const quint64 hitSerial = hit >= 0 ? m_labelMarkers.at(hit).serial : 0;
    QString text;
    if (!m_prompts.askText(this, hit >= 0 ? m_labelMarkers.at(hit).text : QString(), &text))
        return;

    if (hitSerial) {
        // Find the label again: the dialog ran an event loop.
        const auto found = findLabel(hitSerial);
        if (found == m_labelMarkers.end())
            return;
        LabelRecord &record = *found;
        record.text = text;
        record.marker->detach();
        delete record.marker;
        record.marker = createMarker({record.pos, text});
        record.marker->attach(this);
    } else {
        LabelRecord record{pos, text, createMarker({pos, text}), ++m_labelSerial};
        record.marker->attach(this);
        m_labelMarkers.append(record);
        emit spectroLabelAdded({pos, text});
    }
    replot();
}

void SpectroPlot::onRightClick(const QPointF &pos)
{
    // The labels under the click, each asked about once. Every question runs an event loop in
    // which the labels may change (a new scan clears them), so each is found again by its
    // serial number after the answer.
    QList<quint64> hits;
    for (const LabelRecord &record : qAsConst(m_labelMarkers)) {
        if (labelHit(record, pos))
            hits.append(record.serial);
    }
    for (const quint64 serial : qAsConst(hits)) {
        if (findLabel(serial) == m_labelMarkers.end())
            continue;
        if (!m_prompts.askYesNo(tr("Remove label"), tr("Do you want to remove the label?")))
            continue;
        const auto found = findLabel(serial);
        if (found == m_labelMarkers.end())
            continue;
        const LabelRecord record = *found;
        m_labelMarkers.erase(found);
        record.marker->detach();
        emit spectroLabelRemoved({record.pos, record.text});
        delete record.marker;
        replot();
    }
}

void SpectroPlot::setSpectroLabels(QList<SpectroLabel> labels)
{
    for (const SpectroLabel &label : qAsConst(labels)) {
        LabelRecord record{label.pos, label.text, createMarker(label), ++m_labelSerial};
        record.marker->attach(this);
        m_labelMarkers.append(record);
    }
    replot();
}

void SpectroPlot::clearSpectroLabels()
{
    for (const LabelRecord &record : qAsConst(m_labelMarkers)) {
        record.marker->detach();
        delete record.marker;
    }
    m_labelMarkers.clear();
}

QList<SpectroLabel> SpectroPlot::spectroLabels() const
{
    QList<SpectroLabel> labels;
    for (const LabelRecord &record : m_labelMarkers)
        labels.append({record.pos, record.text});
    return labels;
}

QList<TavPlotMarker *> SpectroPlot::labelMarkers() const
{
    QList<TavPlotMarker *> markers;
    for (const LabelRecord &record : m_labelMarkers)
        markers.append(record.marker);
    return markers;
}
