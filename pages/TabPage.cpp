#include "TabPage.h"

#include "MarkerTable.h"
#include "PageActions.h"
#include "PageTimeBar.h"
#include "PageToolBar.h"
#include "PeakPanel.h"
#include "SpectrumAnalysis.h"
#include "data/Constants.h"
#include "data/FrequencyAxis.h"
#include "networks/VexaIdOverlay.h"
#include "plots/LabelledLine.h"
#include "plots/ReplotPacer.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "plots/Watermark.h"
#include "widgets/RangeSlider.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

TabPage::TabPage(const PageActions &actions, QWidget *parent)
    : QWidget(parent)
    , m_history(new PageHistory(RfSpectrumHistory(), this))
{
    buildWidgets(actions, false);
    journalKeeper()->setEnabled(true);
    m_bottomBar->showNone();
    connect(m_timeBar, &RangeSlider::upperValueChanged, this, &TabPage::onTimeBarMoved);
    connectDisplays();
}

TabPage::TabPage(RfSpectrumHistory hist, const PageActions &actions, QWidget *parent)
    : QWidget(parent)
    , m_history(new PageHistory(std::move(hist), this))
    , m_playback(true)
{
    buildWidgets(actions, true);
    applyIntervals();

    const SampleStore &samples = history().samples;
    const int n = samples.size();
    m_timeBar->setRange(0, n);
    if (n > 0) {
        m_firstVisibleIndex
            = samples.windowStart(0, samples.timestamp(n - 1), Constants::k_timeWindowWidth);
        m_timeBar->setLowerValue(m_firstVisibleIndex);
        m_timeBar->setUpperValue(n);
    }
    connect(m_timeBar, &RangeSlider::upperValueChanged, this, &TabPage::onTimeBarMoved);

    if (n == 0)
        m_bottomBar->showNone();
    else
        updateLabels(n);

    const auto [first, last] = visibleRange();
    if (last > first) {
        m_spectroPlot->setData(samples, first, last);
        m_waterfallPlot->setData(samples, first, last);
    }
    m_analysis->refresh();
    // The stored events and labels are shown before the displays report to the page, so
    // they are not added to the history a second time.
    m_waterfallPlot->setTimeEvents(history().timeEvents);
    m_spectroPlot->setSpectroLabels(history().labels);
    connectDisplays();
}

TabPage::~TabPage() = default;

void TabPage::buildWidgets(const PageActions &actions, bool playback)
{
    auto *mainLayout = new QVBoxLayout(this);
    // The main window's actions; a recording is not saved again from its own page.
    m_toolBar = new PageToolBar(actions, playback, this);
    connect(m_toolBar, &PageToolBar::reportRequested, this, &TabPage::reportRequested);
    connect(m_toolBar->wholeHistoryAction(), &QAction::toggled, this, &TabPage::setWholeHistory);
    mainLayout->setMenuBar(m_toolBar);

    m_viewStack = new QStackedWidget(this);
    m_spectroPlot = new SpectroPlot(m_viewStack);
    m_waterfallPlot = new WaterfallPlot(m_viewStack);
    // The plots' own policy would not let the page shrink below their preferred size, which
    // keeps the window from fitting a laptop screen.
    for (QWidget *plot :
         {static_cast<QWidget *>(m_spectroPlot), static_cast<QWidget *>(m_waterfallPlot)}) {
        plot->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        m_viewStack->addWidget(plot);
    }
    // The peak table beside the plots, the marker table under them.
    m_analysis = new SpectrumAnalysis(this);
    auto *centre = new QHBoxLayout;
    centre->addWidget(m_viewStack, 1);
    centre->addWidget(m_analysis->peakPanel());
    mainLayout->addLayout(centre, 1);
    mainLayout->addWidget(m_analysis->markerTable());

    m_bottomBar = new PageTimeBar(actions, playback, this);
    m_timeBar = m_bottomBar->slider();
    mainLayout->addWidget(m_bottomBar);

    m_vexaIdOverlay = std::make_unique<VexaIdOverlay>(m_spectroPlot);

    // The traces follow the window's two actions on every page.
    m_spectroPlot->setMaxHoldShown(actions.maxHold->isChecked());
    m_spectroPlot->setAverageShown(actions.average->isChecked());
    connect(actions.maxHold, &QAction::toggled, m_spectroPlot, &SpectroPlot::setMaxHoldShown);
    connect(actions.average, &QAction::toggled, m_spectroPlot, &SpectroPlot::setAverageShown);

    m_replots = new ReplotPacer({m_spectroPlot, m_waterfallPlot}, k_minReplotIntervalMs, this);

    connect(m_history, &PageHistory::changed, this, &TabPage::offerSave);
    connect(m_history->keeper(), &JournalKeeper::failed, this, &TabPage::journalFailed);
    connect(m_history->keeper(), &JournalKeeper::resumed, this, &TabPage::journalResumed);
}

void TabPage::connectDisplays()
{
    connect(m_waterfallPlot, &WaterfallPlot::timeEventAdded, this, &TabPage::onTimeEventAdded);
    connect(m_waterfallPlot, &WaterfallPlot::timeEventRemoved, this, &TabPage::onTimeEventRemoved);
    connect(m_spectroPlot, &SpectroPlot::spectroLabelAdded, this, &TabPage::onSpectroLabelAdded);
    connect(m_spectroPlot, &SpectroPlot::spectroLabelRemoved, this,
            &TabPage::onSpectroLabelRemoved);
}

void TabPage::setBandIntervals(const ScanParams &params)
{
    const double start = params.value(QStringLiteral("FStart")).toDouble();
    const double span = params.value(QStringLiteral("Span")).toDouble();
    m_history->fields().freqInterval = QwtInterval(start, start + span);
    m_history->fields().rssiInterval
        = QwtInterval(Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi);
    applyIntervals();
}

void TabPage::applyIntervals()
{
    const RfSpectrumHistory &hist = history();
    const QwtInterval &freq = hist.freqInterval;
    const QwtInterval &rssi = hist.rssiInterval;
    // The raster cells centred on the frequency steps, where the markers and traces are drawn.
    int steps = hist.samples.columns();
    if (steps <= 0)
        steps = freq.contains(915.0) ? Constants::k_samplesPerScan900
                                     : Constants::k_samplesPerScan2400;
    const QwtInterval cells = FrequencyAxis::of(hist).cells(steps);
    m_spectroPlot->setAxisScale(QwtPlot::xBottom, freq.minValue(), freq.maxValue());
    m_spectroPlot->setAxisScale(QwtPlot::yLeft, rssi.minValue(), rssi.maxValue());
    m_spectroPlot->setDataInterval(Qt::XAxis, cells);
    m_spectroPlot->setDataInterval(Qt::YAxis, rssi);
    m_spectroPlot->updateAxes();
    m_waterfallPlot->setAxisScale(QwtPlot::xBottom, freq.minValue(), freq.maxValue());
    m_waterfallPlot->setDataInterval(Qt::XAxis, cells);
    m_waterfallPlot->setDataInterval(Qt::ZAxis, rssi);
}

void TabPage::toggleView()
{
    m_viewStack->setCurrentIndex(1 - m_viewStack->currentIndex());
}

bool TabPage::showsWaterfall() const
{
    return m_viewStack->currentWidget() == m_waterfallPlot;
}

void TabPage::addNewSpectrumSample(RfSpectrumSample spectrumSample)
{
    const int before = history().samples.size();
    m_history->addSweep(std::move(spectrumSample));
    emit sweepAdded();
    showNewSweeps(before);
}

void TabPage::addSweeps(const QVector<RfSpectrumSample> &sweeps)
{
    const int before = history().samples.size();
    for (const RfSpectrumSample &sweep : sweeps) {
        m_history->addSweep(sweep);
        emit sweepAdded();
    }
    showNewSweeps(before);
}

void TabPage::showNewSweeps(int before)
{
    // Panned back (the view ends before the sweeps there were): it stays where the user put it
    // while the history grows.
    const bool panned = m_timeBar->upperValue() < before;
    m_timeBar->setRange(0, history().samples.size());
    if (!panned)
        followLiveEdge();
}

void TabPage::followLiveEdge()
{
    const SampleStore &samples = history().samples;
    if (samples.isEmpty())
        return;
    m_firstVisibleIndex = m_wholeHistory
        ? 0
        : samples.windowStart(m_firstVisibleIndex, samples.timestamp(samples.size() - 1),
                              Constants::k_timeWindowWidth);
    const qint64 lowerBefore = m_timeBar->lowerValue();
    const qint64 upperBefore = m_timeBar->upperValue();
    m_timeBar->setLowerValue(m_firstVisibleIndex);
    m_timeBar->setUpperValue(samples.size());
    // The upper value redraws the displays; a window that changed only at its start (after
    // the history was cleared, say) is redrawn here.
    if (m_timeBar->upperValue() == upperBefore && m_timeBar->lowerValue() != lowerBefore)
        onTimeBarMoved();
}

void TabPage::setWholeHistory(bool on)
{
    if (on == m_wholeHistory)
        return;
    m_wholeHistory = on;
    if (wholeHistoryAction()->isChecked() != on)
        wholeHistoryAction()->setChecked(on);
    const SampleStore &samples = history().samples;
    if (samples.isEmpty())
        return;
    // Off: the two minutes that end where the view ends.
    const int upper
        = on ? samples.size() : int(qBound<qint64>(1, m_timeBar->upperValue(), samples.size()));
    const int lower = on
        ? 0
        : samples.windowStart(0, samples.timestamp(upper - 1), Constants::k_timeWindowWidth);
    if (upper == samples.size())
        m_firstVisibleIndex = lower;
    const qint64 upperBefore = m_timeBar->upperValue();
    m_timeBar->setLowerValue(lower);
    m_timeBar->setUpperValue(upper);
    if (m_timeBar->upperValue() == upperBefore)
        onTimeBarMoved();
}

void TabPage::fillMissingHist()
{
    fillMissingHistUntil(QDateTime::currentMSecsSinceEpoch());
}

void TabPage::fillMissingHistUntil(qint64 now)
{
    // A mean below a millisecond would truncate the step to nothing and never end.
    if (history().samples.size() < 2 || meanSampleInterval() < 1.0)
        return;
    m_history->padUntil(now);
    m_timeBar->setRange(0, history().samples.size());
    followLiveEdge();
}

void TabPage::setProjectInfo(ProjectInfoData data)
{
    m_history->setProjectInfo(std::move(data));
}

void TabPage::setNewestWifi(const WifiScan &accessPoints)
{
    m_history->setNewestWifi(accessPoints);
}

void TabPage::offerSave()
{
    if (m_playback && hasUnsavedChanges())
        m_toolBar->offerSave();
}

bool TabPage::adoptJournal(const QString &path, const JournalReader::Result &read,
                           const JournalKeeper::FileEdits &original)
{
    const bool adopted = journalKeeper()->adopt(path, read, original);
    offerSave();
    return adopted;
}

HistoryJournal *TabPage::journal() const
{
    return journalKeeper()->journal();
}

bool TabPage::hasUnsavedChanges() const
{
    return journalKeeper()->hasUnsavedChanges();
}

void TabPage::markSaved(quint64 revision, const QString &path, const RfSpectrumHistory *saved)
{
    journalKeeper()->markSaved(revision, m_playback ? path : QString(), saved);
}

QString TabPage::bandName() const
{
    return history().freqInterval.contains(915.0) ? tr("900 MHz") : tr("2.4 GHz");
}

std::pair<int, int> TabPage::visibleRange() const
{
    const qint64 lower = m_timeBar->lowerValue();
    const qint64 upper = m_timeBar->upperValue();
    const int n = history().samples.size();
    if (lower < 0 || lower >= n || upper <= lower)
        return {0, 0};
    return {int(lower), int(qMin<qint64>(upper, n))};
}

void TabPage::onTimeBarMoved()
{
    const auto [first, last] = visibleRange();
    if (last > first) {
        // The plots would redraw themselves from within setData; the page paces the redraws.
        const auto quietly = [](QwtPlot *plot, const std::function<void()> &update) {
            const bool autoReplot = plot->autoReplot();
            plot->setAutoReplot(false);
            update();
            plot->setAutoReplot(autoReplot);
        };
        const SampleStore &samples = history().samples;
        quietly(m_spectroPlot, [&] { m_spectroPlot->setData(samples, first, last); });
        quietly(m_waterfallPlot, [&] { m_waterfallPlot->setData(samples, first, last); });
        // What follows the window (markers, say) changes before the redraw that shows it.
        emit visibleWindowChanged();
        m_replots->request();
    }
    const qint64 upper = m_timeBar->upperValue();
    if (upper > 0 && upper <= history().samples.size())
        updateLabels(upper);
}

void TabPage::updateLabels(qint64 upperValue)
{
    const SampleStore &samples = history().samples;
    m_bottomBar->show(samples.timestamp(0), samples.timestamp(int(upperValue - 1)));
}

void TabPage::onTimeEventAdded(TimeEvent event)
{
    m_history->addTimeEvent(event);
    emit timeEventsChanged();
}

void TabPage::placeTimeEvent(const TimeEvent &event)
{
    m_waterfallPlot->setTimeEvents({event});
    onTimeEventAdded(event);
}

void TabPage::onTimeEventRemoved(TimeEvent event)
{
    if (m_history->removeTimeEvent(event))
        emit timeEventsChanged();
}

void TabPage::onSpectroLabelAdded(SpectroLabel label)
{
    m_history->addLabel(label);
}

void TabPage::onSpectroLabelRemoved(SpectroLabel label)
{
    m_history->removeLabel(label);
}

void TabPage::clearHist()
{
    // A new run: its recording holds only its own sweeps, events and labels.
    m_history->clear();
    m_firstVisibleIndex = 0;
    m_timeBar->setRange(0, 0);
    m_spectroPlot->clearSpectroLabels();
    m_waterfallPlot->clearData();
    m_waterfallPlot->clearTimeEvents();
    m_spectroPlot->replot();
    m_waterfallPlot->replot();
    m_bottomBar->showNone();
    emit timeEventsChanged();
}

QPixmap TabPage::takeSnapshot()
{
    auto *plot = qobject_cast<QwtPlot *>(m_viewStack->currentWidget());
    if (!plot)
        return QPixmap();
    // The picture shows the newest data, not the last frame drawn.
    if (m_replots->isPending())
        m_replots->now();
    // The spectrogram with its markers' read-outs under it.
    return Watermark::over(
        plot == m_spectroPlot ? m_analysis->withReadouts(plot->grab()) : plot->grab(), plot);
}

void TabPage::setQcMode()
{
    auto *line = new LabelledLine(tr("QC Pass Line"), font(), Qt::white);
    line->setValue(0.0, -40.0);
    line->attach(m_spectroPlot);
}

QToolBar *TabPage::toolBar() const
{
    return m_toolBar;
}

QMenu *TabPage::networksMenu() const
{
    return m_toolBar->networksMenu();
}

QAction *TabPage::wholeHistoryAction() const
{
    return m_toolBar->wholeHistoryAction();
}

QLabel *TabPage::elapsedLabel() const
{
    return m_bottomBar->elapsedLabel();
}
