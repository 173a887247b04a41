#include "SpectrumAnalysis.h"

#include "AnalysisContext.h"
#include "MarkerTable.h"
#include "PeakPanel.h"
#include "PeakTable.h"
#include "TabPage.h"
#include "data/Constants.h"
#include "data/RecordingFile.h"
#include "plots/MarkerLayer.h"
#include "plots/PlacedLabelMarker.h"
#include "plots/SpectroPlot.h"
#include "widgets/UserPrompts.h"

#include <QAction>
#include <QDateTime>
#include <QPainter>
#include <QStackedWidget>
#include <functional>
#include <qwt_plot_curve.h>

namespace {

const QColor k_referenceColor(112, 176, 255);

// Changes to the plot's items without a redraw for each: the caller redraws once, or the page
// does with the window it shows.
void quietly(QwtPlot *plot, const std::function<void()> &change)
{
    const bool autoReplot = plot->autoReplot();
    plot->setAutoReplot(false);
    change();
    plot->setAutoReplot(autoReplot);
}

QString traceName(SpectrumTraces::Kind kind)
{
    return kind == SpectrumTraces::Kind::Average ? SpectrumAnalysis::tr("Average")
                                                 : SpectrumAnalysis::tr("Max Hold");
}

} // namespace

SpectrumAnalysis::SpectrumAnalysis(TabPage *page)
    : QObject(page)
    , m_page(page)
{
    SpectroPlot *plot = page->spectroPlot();
    m_layer = new MarkerLayer(plot);
    m_referenceCurve = new QwtPlotCurve(tr("Reference"));
    m_referenceCurve->setPen(k_referenceColor, 1.5, Qt::DashLine);
    m_referenceCurve->setRenderHint(QwtPlotItem::RenderAntialiased, true);
    m_referenceCurve->setZ(24.0); // under the Max Hold and Average traces
    m_referenceCurve->attach(plot);
    // Hanging from the canvas's top at its left (on the markers' 0 ... 1 axis), or wherever
    // else along the top it covers no other label.
    m_referenceCaption = new PlacedLabelMarker;
    m_referenceCaption->setLineStyle(QwtPlotMarker::NoLine);
    m_referenceCaption->setLabelAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    m_referenceCaption->setYAxis(QwtPlot::yRight);
    m_referenceCaption->setVerticalRange(QwtInterval(0.0, 1.0));
    m_referenceCaption->setDistance(4.0);
    m_referenceCaption->setPadding(QSizeF(8.0, 4.0));
    m_referenceCaption->setPlacementRank(2); // after the markers, VEXA IDs and Wi-Fi names
    // Shortened where a narrow plot has no room for it, but always shown.
    m_referenceCaption->setElidable(true);
    m_referenceCaption->setNeverLeftOut(true);
    m_referenceCaption->setZ(30.0);
    m_referenceCaption->attach(plot);

    m_markerTable = new MarkerTable(page);
    m_markerTable->hide();
    m_peakPanel = new PeakPanel(page);
    m_peakPanel->hide();

    connect(m_layer, &MarkerLayer::placeRequested, this, &SpectrumAnalysis::placeMarker);
    connect(m_layer, &MarkerLayer::selectRequested, this, &SpectrumAnalysis::selectMarker);
    connect(m_layer, &MarkerLayer::dragged, this, [this](int number, double megahertz) {
        moveMarker(number, axis().nearestStep(megahertz, traces().steps()));
    });
    connect(m_layer, &MarkerLayer::stepRequested, this, &SpectrumAnalysis::stepMarker);
    connect(m_layer, &MarkerLayer::removeRequested, this, &SpectrumAnalysis::removeMarker);
    connect(m_markerTable, &MarkerTable::selectRequested, this, &SpectrumAnalysis::selectMarker);
    connect(m_markerTable, &MarkerTable::stepRequested, this, &SpectrumAnalysis::stepMarker);
    connect(m_markerTable, &MarkerTable::removeRequested, this, &SpectrumAnalysis::removeMarker);
    connect(m_peakPanel->table(), &PeakTable::peakChosen, this, [this](int step) {
        if (m_markers.showFound(step))
            showMarkers(true);
    });
    connect(m_peakPanel, &PeakPanel::prominenceChanged, this, &SpectrumAnalysis::refresh);

    m_actions = new AnalysisActions(this, page);
    connect(m_actions->peakTableAction(), &QAction::toggled, this, [this] {
        refresh();
        updatePanels();
    });
    connect(page, &TabPage::visibleWindowChanged, this, &SpectrumAnalysis::refresh);
    connect(page->viewStack(), &QStackedWidget::currentChanged, this,
            &SpectrumAnalysis::updatePanels);
    showReference();
}

void SpectrumAnalysis::setContext(AnalysisContext *context)
{
    m_context = context;
    refresh();
}

PeakTable *SpectrumAnalysis::peakTable() const
{
    return m_peakPanel->table();
}

FrequencyAxis SpectrumAnalysis::axis() const
{
    return FrequencyAxis::of(m_page->history());
}

int SpectrumAnalysis::busyThreshold() const
{
    return SpectrumTraces::thresholdLevel(m_context ? m_context->busyThreshold() : -80.0);
}

void SpectrumAnalysis::refresh()
{
    // Nothing on show reads the window: it is counted once something asks.
    m_stale = true;
    if (!m_markers.isEmpty() || peakTableAction()->isChecked())
        update();
}

void SpectrumAnalysis::ensureCurrent()
{
    if (m_stale)
        update();
}

const SpectrumTraces &SpectrumAnalysis::traces()
{
    ensureCurrent();
    return m_traces;
}

const QList<PeakSearch::Peak> &SpectrumAnalysis::peaks()
{
    ensureCurrent();
    return m_peaks;
}

void SpectrumAnalysis::update()
{
    m_stale = false;
    const RfSpectrumHistory &history = m_page->history();
    const auto [first, last] = m_page->visibleRange();
    m_first = first;
    m_last = last;
    m_statistics.setWindow(history.samples, first, last);
    m_traces = SpectrumTraces::fromCounts(m_statistics.counts(), history.samples, first, last,
                                          busyThreshold());
    m_peaks = PeakSearch::find(m_traces.trace(SpectrumTraces::Kind::MaxHold), axis(),
                               PeakSearch::separationHertz(history), m_peakPanel->minProminence());
    m_peakPanel->table()->showPeaks(m_peaks, m_traces, axis());
    showMarkers(false);
}

void SpectrumAnalysis::peak()
{
    ensureCurrent();
    if (!m_peaks.isEmpty() && m_markers.showFound(m_peaks.first().step))
        showMarkers(true);
}

void SpectrumAnalysis::nextPeak()
{
    ensureCurrent();
    const int step = m_markers.stepOf(m_markers.selected());
    if (step < 0 || step >= m_traces.steps()) {
        peak();
        return;
    }
    const int next = PeakSearch::next(m_peaks, m_traces.maxHold(step), step);
    if (next >= 0 && m_markers.showFound(m_peaks.at(next).step))
        showMarkers(true);
}

void SpectrumAnalysis::placeMarker(double megahertz)
{
    const RfSpectrumHistory &history = m_page->history();
    const int steps = history.samples.columns() > 0
        ? history.samples.columns()
        : (RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz
               ? Constants::k_samplesPerScan900
               : Constants::k_samplesPerScan2400);
    const int step = axis().nearestStep(megahertz, steps);
    if (m_markers.isFull())
        m_markers.move(m_markers.selected(), step);
    else
        m_markers.add(step);
    showMarkers(true);
}

void SpectrumAnalysis::moveMarker(int number, int step)
{
    if (m_markers.stepOf(number) == step)
        return;
    m_markers.move(number, step);
    showMarkers(true);
}

void SpectrumAnalysis::selectMarker(int number)
{
    if (number == m_markers.selected())
        return;
    m_markers.select(number);
    showMarkers(true);
}

void SpectrumAnalysis::stepMarker(int steps)
{
    ensureCurrent();
    const int count = m_traces.steps() > 0 ? m_traces.steps() : m_page->history().samples.columns();
    if (m_markers.stepSelected(steps, count))
        showMarkers(true);
}

void SpectrumAnalysis::removeMarker()
{
    if (m_markers.selected() == 0)
        return;
    m_markers.remove(m_markers.selected());
    showMarkers(true);
}

void SpectrumAnalysis::showMarkers(bool replot)
{
    ensureCurrent();
    const QList<MarkerSet::Readout> readouts = m_markers.readouts(m_traces, axis(), m_reference);
    QList<MarkerLayer::Item> items;
    bool referenced = false;
    for (const MarkerSet::Readout &readout : readouts) {
        items.append({readout.number, double(readout.hertz) / 1e6, readout.maxHold,
                      readout.hasLevels && readout.maxHold > SpectrumTraces::k_noLevel});
        referenced = referenced || readout.hasReference;
    }
    SpectroPlot *plot = m_page->spectroPlot();
    quietly(plot, [&] { m_layer->show(items, m_markers.selected()); });
    m_markerTable->showReadouts(readouts, m_markers.selected(),
                                !m_reference.isEmpty() && (referenced || readouts.isEmpty()),
                                m_reference.kind);
    // Four markers of the user's own: no search takes one.
    peakAction()->setEnabled(m_markers.canShowFound());
    nextPeakAction()->setEnabled(m_markers.canShowFound());
    updatePanels();
    if (replot)
        plot->replot();
}

void SpectrumAnalysis::updatePanels()
{
    const bool spectrogram = m_page->viewStack()->currentWidget() == m_page->spectroPlot();
    m_markerTable->setVisible(spectrogram && !m_markers.isEmpty());
    m_peakPanel->setVisible(spectrogram && peakTableAction()->isChecked());
}

QString SpectrumAnalysis::windowText(const TabPage *page, int first, int last)
{
    const SampleStore &samples = page->history().samples;
    if (last <= first)
        return QString();
    const QDateTime from = QDateTime::fromMSecsSinceEpoch(samples.timestamp(first));
    const QDateTime to = QDateTime::fromMSecsSinceEpoch(samples.timestamp(last - 1));
    const QString date = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    return tr("%1 to %2")
        .arg(from.toString(date),
             to.toString(to.date() == from.date() ? QStringLiteral("HH:mm:ss") : date));
}

void SpectrumAnalysis::showReference()
{
    SpectroPlot *plot = m_page->spectroPlot();
    quietly(plot, [&] {
        const int n = m_reference.levels.size();
        // At the frequencies of the steps, as the spectrogram's own traces.
        const FrequencyAxis steps = axis();
        QVector<double> x(n);
        for (int j = 0; j < n; ++j)
            x[j] = steps.megahertz(j);
        m_referenceCurve->setSamples(x, m_reference.levels);
        QwtText caption;
        if (!m_reference.isEmpty()) {
            caption
                = QwtText(tr("Reference (dashed): %1").arg(m_reference.source), QwtText::PlainText);
            caption.setColor(k_referenceColor);
            caption.setBackgroundBrush(QColor(0, 0, 0, 192));
            caption.setBorderRadius(2.0);
        }
        const QwtInterval band = plot->axisInterval(QwtPlot::xBottom);
        m_referenceCaption->setValue(band.minValue(), 1.0);
        m_referenceCaption->setSlideRange(band);
        m_referenceCaption->setLabel(caption);
    });
    clearReferenceAction()->setEnabled(!m_reference.isEmpty());
}

void SpectrumAnalysis::setReference(SpectrumTraces::Kind kind)
{
    ensureCurrent();
    if (m_traces.isEmpty()) {
        if (m_context && m_context->prompts())
            m_context->prompts()->information(m_context->window(), tr("Set Reference"),
                                              tr("There are no sweeps in view to take a "
                                                 "reference from."));
        return;
    }
    useReference(
        {m_traces.trace(kind), kind,
         tr("%1 of this page, %2").arg(traceName(kind), windowText(m_page, m_first, m_last))});
}

void SpectrumAnalysis::useReference(const ReferenceTrace &reference)
{
    m_reference = reference;
    showReference();
    showMarkers(true);
}

void SpectrumAnalysis::clearReference()
{
    useReference(ReferenceTrace());
}

QPixmap SpectrumAnalysis::withReadouts(const QPixmap &plotShot) const
{
    if (m_markers.isEmpty() || plotShot.isNull())
        return plotShot;
    const QPixmap table = m_markerTable->grab();
    const qreal ratio = plotShot.devicePixelRatio();
    QPixmap result(qMax(plotShot.width(), table.width()), plotShot.height() + table.height());
    result.setDevicePixelRatio(ratio);
    result.fill(m_markerTable->palette().color(QPalette::Window));
    QPainter painter(&result);
    painter.drawPixmap(QPointF(0, 0), plotShot);
    painter.drawPixmap(QPointF(0, plotShot.height() / ratio), table);
    return result;
}
