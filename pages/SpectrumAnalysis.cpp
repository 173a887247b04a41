#include "SpectrumAnalysis.h"

#include "MarkerTable.h"
#include "PeakPanel.h"
#include "PeakTable.h"
#include "TabPage.h"
#include "app/AnalysisHost.h"
#include "data/Constants.h"
#include "data/RecordingFile.h"
#include "plots/MarkerLayer.h"
#include "plots/PlacedLabelMarker.h"
#include "plots/SpectroPlot.h"
#include "widgets/ToolBarFocus.h"
#include "widgets/UserPrompts.h"

#include <QAction>
#include <QActionGroup>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
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

    buildActions();
    connect(page, &TabPage::visibleWindowChanged, this, &SpectrumAnalysis::refresh);
    connect(page->viewStack(), &QStackedWidget::currentChanged, this,
            &SpectrumAnalysis::updatePanels);
    showReference();
}

// The tool bar goes with the page, also from the window's tool bar.
SpectrumAnalysis::~SpectrumAnalysis()
{
    delete m_toolBar;
}

void SpectrumAnalysis::buildActions()
{
    m_toolBar = new QToolBar(m_page);
    m_toolBar->hide();
    ToolBarFocus::enable(m_toolBar);
    m_peakAction = new QAction(tr("Peak"), this);
    m_peakAction->setToolTip(tr("Put the peak marker on the strongest peak of the Max Hold in "
                                "view (the markers you placed stay where they are)"));
    connect(m_peakAction, &QAction::triggered, this, &SpectrumAnalysis::peak);
    m_nextPeakAction = new QAction(tr("Next Peak"), this);
    m_nextPeakAction->setToolTip(
        tr("Move the peak marker to the next lower peak after the selected marker"));
    connect(m_nextPeakAction, &QAction::triggered, this, &SpectrumAnalysis::nextPeak);
    m_peakTableAction = new QAction(tr("Peaks"), this);
    m_peakTableAction->setCheckable(true);
    m_peakTableAction->setToolTip(tr("Show the ten strongest peaks in view that stand out"));
    connect(m_peakTableAction, &QAction::toggled, this, [this] {
        refresh();
        updatePanels();
    });

    auto *referenceMenu = new QMenu(m_page);
    m_setReferenceMaxAction = referenceMenu->addAction(tr("Set Reference from Max Hold"));
    m_setReferenceAverageAction = referenceMenu->addAction(tr("Set Reference from Average"));
    m_compareWithAction = referenceMenu->addAction(tr("Compare With..."));
    referenceMenu->addSeparator();
    m_clearReferenceAction = referenceMenu->addAction(tr("Clear Reference"));
    connect(m_setReferenceMaxAction, &QAction::triggered, this,
            [this] { setReference(SpectrumTraces::Kind::MaxHold); });
    connect(m_setReferenceAverageAction, &QAction::triggered, this,
            [this] { setReference(SpectrumTraces::Kind::Average); });
    connect(m_compareWithAction, &QAction::triggered, this, &SpectrumAnalysis::compareWith);
    connect(m_clearReferenceAction, &QAction::triggered, this, &SpectrumAnalysis::clearReference);
    m_referenceAction = new QAction(tr("Reference"), this);
    m_referenceAction->setToolTip(
        tr("Freeze a trace of the window in view, or take another recording's, to compare with"));
    m_referenceAction->setMenu(referenceMenu);

    auto *exportMenu = new QMenu(m_page);
    m_exportMaxAction = exportMenu->addAction(tr("Coordination Scan of the Max Hold..."));
    m_exportAverageAction = exportMenu->addAction(tr("Coordination Scan of the Average..."));
    m_exportNewestAction = exportMenu->addAction(tr("Coordination Scan of the Newest Sweep..."));
    m_exportSummaryAction = exportMenu->addAction(tr("Summary (CSV)..."));
    exportMenu->addSeparator();
    auto *scope = new QActionGroup(exportMenu);
    QAction *windowScope = exportMenu->addAction(tr("The Window in View"));
    m_exportWholeAction = exportMenu->addAction(tr("The Whole History"));
    for (QAction *choice : {windowScope, m_exportWholeAction}) {
        choice->setCheckable(true);
        scope->addAction(choice);
    }
    windowScope->setChecked(true);
    const auto coordination = [this](SpectrumTraces::Kind trace) {
        return [this, trace] { exportScan(ScanExport::Format::Coordination, trace); };
    };
    connect(m_exportMaxAction, &QAction::triggered, this,
            coordination(SpectrumTraces::Kind::MaxHold));
    connect(m_exportAverageAction, &QAction::triggered, this,
            coordination(SpectrumTraces::Kind::Average));
    connect(m_exportNewestAction, &QAction::triggered, this,
            coordination(SpectrumTraces::Kind::Newest));
    connect(m_exportSummaryAction, &QAction::triggered, this,
            [this] { exportScan(ScanExport::Format::Summary, SpectrumTraces::Kind::MaxHold); });
    m_exportAction = new QAction(tr("Export"), this);
    m_exportAction->setToolTip(
        tr("Write the scan for wireless-microphone coordination software, or as a summary"));
    m_exportAction->setMenu(exportMenu);

    for (QAction *action :
         {m_peakAction, m_nextPeakAction, m_peakTableAction, m_referenceAction, m_exportAction})
        m_toolBar->addAction(action);
    for (QAction *withMenu : {m_referenceAction, m_exportAction}) {
        if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(withMenu)))
            button->setPopupMode(QToolButton::InstantPopup);
    }
}

void SpectrumAnalysis::setHost(AnalysisHost *host)
{
    m_host = host;
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
    return SpectrumTraces::thresholdLevel(m_host ? m_host->busyThreshold() : -80.0);
}

QAction *SpectrumAnalysis::setReferenceAction(SpectrumTraces::Kind kind) const
{
    return kind == SpectrumTraces::Kind::Average ? m_setReferenceAverageAction
                                                 : m_setReferenceMaxAction;
}

QAction *SpectrumAnalysis::exportCoordinationAction(SpectrumTraces::Kind trace) const
{
    switch (trace) {
    case SpectrumTraces::Kind::MaxHold:
        return m_exportMaxAction;
    case SpectrumTraces::Kind::Average:
        return m_exportAverageAction;
    case SpectrumTraces::Kind::Newest:
        break;
    }
    return m_exportNewestAction;
}

void SpectrumAnalysis::refresh()
{
    // Nothing on show reads the window: it is counted once something asks.
    m_stale = true;
    if (!m_markers.isEmpty() || m_peakTableAction->isChecked())
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
    m_peakAction->setEnabled(m_markers.canShowFound());
    m_nextPeakAction->setEnabled(m_markers.canShowFound());
    updatePanels();
    if (replot)
        plot->replot();
}

void SpectrumAnalysis::updatePanels()
{
    const bool spectrogram = m_page->viewStack()->currentWidget() == m_page->spectroPlot();
    m_markerTable->setVisible(spectrogram && !m_markers.isEmpty());
    m_peakPanel->setVisible(spectrogram && m_peakTableAction->isChecked());
}

QString SpectrumAnalysis::windowText(const TabPage *page, int first, int last) const
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
    m_clearReferenceAction->setEnabled(!m_reference.isEmpty());
}

void SpectrumAnalysis::setReference(SpectrumTraces::Kind kind)
{
    ensureCurrent();
    if (m_traces.isEmpty()) {
        if (m_host && m_host->prompts())
            m_host->prompts()->information(m_host->window(), tr("Set Reference"),
                                           tr("There are no sweeps in view to take a reference "
                                              "from."));
        return;
    }
    m_reference
        = {m_traces.trace(kind), kind,
           tr("%1 of this page, %2").arg(traceName(kind), windowText(m_page, m_first, m_last))};
    showReference();
    showMarkers(true);
}

void SpectrumAnalysis::compareWith()
{
    if (!m_host || !m_host->prompts())
        return;
    UserPrompts *prompts = m_host->prompts();
    QWidget *window = m_host->window();
    const QString title = tr("Compare With");
    QList<AnalysisHost::Recording> recordings = m_host->recordings();
    recordings.erase(std::remove_if(recordings.begin(), recordings.end(),
                                    [this](const AnalysisHost::Recording &recording) {
                                        return recording.page == m_page;
                                    }),
                     recordings.end());
    if (recordings.isEmpty()) {
        prompts->information(
            window, title,
            tr("Open another recording of the %1 band to compare with.").arg(m_page->bandName()));
        return;
    }
    QStringList items;
    for (const AnalysisHost::Recording &recording : qAsConst(recordings)) {
        const QString item = tr("%1 (%2)").arg(recording.title, recording.page->bandName());
        QString unique = item;
        for (int n = 2; items.contains(unique); ++n)
            unique = QStringLiteral("%1 [%2]").arg(item).arg(n);
        items.append(unique);
    }
    QString choice;
    if (!prompts->chooseItem(window, title,
                             tr("Compare the Max Hold in view with that of the recording:"), items,
                             &choice))
        return;
    const int chosen = items.indexOf(choice);
    if (chosen < 0)
        return;
    const AnalysisHost::Recording &other = recordings.at(chosen);
    const RfSpectrumHistory &theirs = other.page->history();
    if (RecordingFile::bandOf(theirs) != RecordingFile::bandOf(m_page->history())) {
        prompts->warning(window, title,
                         tr("\"%1\" is a recording of the %2 band; this page shows the %3 band. "
                            "Only a recording of the same band can be the reference.")
                             .arg(other.title, other.page->bandName(), m_page->bandName()));
        return;
    }
    const auto [first, last] = other.page->visibleRange();
    const SpectrumTraces traces = SpectrumTraces::of(theirs.samples, first, last, busyThreshold());
    if (traces.isEmpty()) {
        prompts->information(window, title,
                             tr("\"%1\" shows no sweeps to compare with.").arg(other.title));
        return;
    }
    ensureCurrent();
    const int steps = m_traces.steps() > 0 ? m_traces.steps() : m_page->history().samples.columns();
    if (steps > 0 && traces.steps() != steps) {
        prompts->warning(window, title,
                         tr("\"%1\" holds sweeps of %2 frequency steps; this page's have %3.")
                             .arg(other.title)
                             .arg(traces.steps())
                             .arg(steps));
        return;
    }
    m_reference
        = {traces.trace(SpectrumTraces::Kind::MaxHold), SpectrumTraces::Kind::MaxHold,
           tr("Max Hold of \"%1\", %2").arg(other.title, windowText(other.page, first, last))};
    showReference();
    showMarkers(true);
}

void SpectrumAnalysis::clearReference()
{
    m_reference = ReferenceTrace();
    showReference();
    showMarkers(true);
}

SpectrumTraces SpectrumAnalysis::exportTraces()
{
    if (!m_exportWholeAction->isChecked())
        return traces();
    const SampleStore &samples = m_page->history().samples;
    return SpectrumTraces::of(samples, 0, samples.size(), busyThreshold());
}

void SpectrumAnalysis::exportScan(ScanExport::Format format, SpectrumTraces::Kind trace)
{
    if (!m_host || !m_host->prompts())
        return;
    UserPrompts *prompts = m_host->prompts();
    QWidget *window = m_host->window();
    const bool coordination = format == ScanExport::Format::Coordination;
    const QString title = coordination ? tr("Export Coordination Scan") : tr("Export Summary");
    const SpectrumTraces traces = exportTraces();
    if (traces.isEmpty()) {
        prompts->information(window, title,
                             m_exportWholeAction->isChecked()
                                 ? tr("The page holds no sweeps to export.")
                                 : tr("There are no sweeps in view to export."));
        return;
    }
    const QString suffix = coordination ? QStringLiteral(".txt") : QStringLiteral(".csv");
    const QUrl url = prompts->saveFileUrl(
        window, title,
        m_host->exportPath(
            m_page, coordination ? QStringLiteral("coordination") : QStringLiteral("summary"),
            suffix),
        coordination ? tr("Text Files:") + QStringLiteral(" *.txt *.csv")
                     : tr("CSV Files:") + QStringLiteral(" *.csv"));
    if (url.isEmpty() || !url.isLocalFile())
        return;
    QString path = url.toLocalFile();
    if (QFileInfo(path).suffix().isEmpty())
        path += suffix;
    QString error;
    if (!ScanExport::save(path, ScanExport::text(traces, axis(), {format, trace}), &error)) {
        prompts->critical(window, tr("Error"),
                          tr("The scan was not exported. Unable to write %1: %2")
                              .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    m_host->remember(path);
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
