#include "TabPage.h"

#include "MarkerTable.h"
#include "PeakPanel.h"
#include "SpectrumAnalysis.h"
#include "app/MainWindow.h"
#include "data/Constants.h"
#include "data/FrequencyAxis.h"
#include "data/HistoryJournal.h"
#include "data/JournalFormat.h"
#include "networks/VexaIdOverlay.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "ui_MainWindow.h"
#include "widgets/RangeSlider.h"
#include "widgets/ToolBarFocus.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <qwt_plot_canvas.h>
#include <qwt_plot_marker.h>

namespace {

QString clockText(qint64 msecsSinceEpoch)
{
    return QLocale::system().toString(QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).time(),
                                      QLocale::LongFormat);
}

// The window of samples ending at the newest one that spans at most the time window: the
// first index from `from` on whose sample is no more than k_timeWindowWidth older than
// `newest`, and never past the last. Timestamps never decrease: a binary search.
int windowStart(const SampleStore &samples, int from, qint64 newest)
{
    int low = from;
    int high = samples.size() - 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (newest - samples.timestamp(middle) > Constants::k_timeWindowWidth)
            low = middle + 1;
        else
            high = middle;
    }
    return qMax(low, from);
}

} // namespace

TabPage::TabPage(const MainWindow *mainWindow, QWidget *parent)
    : QWidget(parent)
    , m_keeper(new JournalKeeper(m_hist, JournalFormat::folder(), this))
{
    buildWidgets(mainWindow->getUi(), false);
    setJournalling(true);
    showNoSample();
    connect(m_timeBar, &RangeSlider::upperValueChanged, this, &TabPage::onTimeBarMoved);
    connectDisplays();
}

TabPage::TabPage(RfSpectrumHistory hist, const MainWindow *mainWindow, QWidget *parent)
    : QWidget(parent)
    , m_hist(std::move(hist))
    , m_playback(true)
    , m_keeper(new JournalKeeper(m_hist, JournalFormat::folder(), this))
{
    buildWidgets(mainWindow->getUi(), true);
    applyIntervals();

    const int n = m_hist.samples.size();
    m_timeBar->setRange(0, n);
    if (n > 0) {
        m_firstVisibleIndex = windowStart(m_hist.samples, 0, m_hist.samples.timestamp(n - 1));
        m_timeBar->setLowerValue(m_firstVisibleIndex);
        m_timeBar->setUpperValue(n);
    }
    connect(m_timeBar, &RangeSlider::upperValueChanged, this, &TabPage::onTimeBarMoved);

    if (n == 0)
        showNoSample();
    else
        updateLabels(n);

    const auto [first, last] = visibleRange();
    if (last > first) {
        m_spectroPlot->setData(m_hist.samples, first, last);
        m_waterfallPlot->setData(m_hist.samples, first, last);
    }
    m_analysis->refresh();
    // The stored events and labels are shown before the displays report to the page, so
    // they are not added to the history a second time.
    m_waterfallPlot->setTimeEvents(m_hist.timeEvents);
    m_spectroPlot->setSpectroLabels(m_hist.labels);
    connectDisplays();
}

TabPage::~TabPage() = default;

void TabPage::buildWidgets(Ui::MainWindow *ui, bool playback)
{
    m_mainLayout = new QVBoxLayout(this);
    // The main window's actions; a recording is not saved again from its own page.
    m_toolBar = new QToolBar(this);
    ToolBarFocus::enable(m_toolBar);
    m_toolBar->addAction(ui->actionSnapshot);
    m_saveAction = ui->actionSave;
    if (!playback)
        m_toolBar->addAction(m_saveAction);
    QAction *report = m_toolBar->addAction(tr("Report"));
    report->setToolTip(tr("Write a site-survey report (PDF) of what the page shows"));
    connect(report, &QAction::triggered, this, &TabPage::reportRequested);
    m_toolBar->addSeparator();
    m_toolBar->addAction(ui->actionToggle_View);
    // The page's own: each page shows its own stretch.
    m_wholeHistoryAction = m_toolBar->addAction(tr("Whole History"));
    m_wholeHistoryAction->setCheckable(true);
    m_wholeHistoryAction->setToolTip(tr("Show everything since the first sweep"));
    connect(m_wholeHistoryAction, &QAction::toggled, this, &TabPage::setWholeHistory);
    m_toolBar->addSeparator();
    m_toolBar->addAction(ui->actionMax_Hold);
    m_toolBar->addAction(ui->actionAverage);
    m_toolBar->addSeparator();
    // What shows the networks of the band, in one menu: so the tool bar fits beside a side
    // panel at the window's smallest size.
    m_networksMenu = new QMenu(this);
    m_networksMenu->addAction(ui->actionVarsa_VexaIds);
    QAction *networks = m_toolBar->addAction(tr("Networks"));
    networks->setMenu(m_networksMenu);
    networks->setToolTip(tr("The band's networks: VEXA IDs, and on 2.4 GHz the Wi-Fi channels, "
                            "networks and list"));
    if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(networks)))
        button->setPopupMode(QToolButton::InstantPopup);
    m_mainLayout->setMenuBar(m_toolBar);

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
    m_mainLayout->addLayout(centre, 1);
    m_mainLayout->addWidget(m_analysis->markerTable());

    // Scan and Stop on a live page; a playback page keeps the buttons hidden.
    m_stopButton = new QToolButton(this);
    m_recordButton = new QToolButton(this);
    if (playback) {
        m_stopButton->hide();
        m_recordButton->hide();
    } else {
        m_stopButton->setDefaultAction(ui->actionStop);
        m_recordButton->setDefaultAction(ui->actionRecord);
    }
    m_timeBar = new RangeSlider(Qt::Horizontal, RangeSlider::NoHandle, this);
    m_timeBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_timeBar->setRange(0, 0);
    m_elapsedLabel = new QLabel(this);
    m_clockLabel = new QLabel(this);

    auto *labels = new QVBoxLayout;
    labels->addWidget(m_elapsedLabel);
    labels->addWidget(m_clockLabel);
    auto *bottomBar = new QHBoxLayout;
    bottomBar->addWidget(m_stopButton);
    bottomBar->addWidget(m_recordButton);
    bottomBar->addWidget(m_timeBar);
    bottomBar->addLayout(labels);
    m_mainLayout->addLayout(bottomBar);

    m_vexaIdOverlay = std::make_unique<VexaIdOverlay>(m_spectroPlot);

    // The traces follow the window's two actions on every page.
    m_spectroPlot->setMaxHoldShown(ui->actionMax_Hold->isChecked());
    m_spectroPlot->setAverageShown(ui->actionAverage->isChecked());
    connect(ui->actionMax_Hold, &QAction::toggled, m_spectroPlot, &SpectroPlot::setMaxHoldShown);
    connect(ui->actionAverage, &QAction::toggled, m_spectroPlot, &SpectroPlot::setAverageShown);

    m_replotTimer.setSingleShot(true);
    m_replotTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replotTimer, &QTimer::timeout, this, &TabPage::replotNow);

    connect(m_keeper, &JournalKeeper::failed, this, &TabPage::journalFailed);
    connect(m_keeper, &JournalKeeper::resumed, this, &TabPage::journalResumed);
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
    m_hist.freqInterval = QwtInterval(start, start + span);
    m_hist.rssiInterval = QwtInterval(Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi);
    applyIntervals();
}

void TabPage::applyIntervals()
{
    const QwtInterval &freq = m_hist.freqInterval;
    const QwtInterval &rssi = m_hist.rssiInterval;
    // The raster cells centred on the frequency steps, where the markers and traces are drawn.
    int steps = m_hist.samples.columns();
    if (steps <= 0)
        steps = freq.contains(915.0) ? Constants::k_samplesPerScan900
                                     : Constants::k_samplesPerScan2400;
    const QwtInterval cells = FrequencyAxis::of(m_hist).cells(steps);
    m_spectroPlot->setAxisScale(QwtPlot::xBottom, freq.minValue(), freq.maxValue());
    m_spectroPlot->setAxisScale(QwtPlot::yLeft, rssi.minValue(), rssi.maxValue());
    m_spectroPlot->setDataInterval(Qt::XAxis, cells);
    m_spectroPlot->setDataInterval(Qt::YAxis, rssi);
    m_spectroPlot->updateAxes();
    m_waterfallPlot->setAxisScale(QwtPlot::xBottom, freq.minValue(), freq.maxValue());
    m_waterfallPlot->setDataInterval(Qt::XAxis, cells);
    m_waterfallPlot->setDataInterval(Qt::ZAxis, rssi);
}

void TabPage::showVexaIdsOfBand(QList<int> vexaIds, VexaIdFilter inBand)
{
    vexaIds.erase(
        std::remove_if(vexaIds.begin(), vexaIds.end(), [inBand](int id) { return !inBand(id); }),
        vexaIds.end());
    m_vexaIdOverlay->showVexaIds(vexaIds);
}

void TabPage::showVexaIdOfBand(int vexaId, VexaIdFilter inBand)
{
    if (inBand(vexaId))
        m_vexaIdOverlay->showVexaId(vexaId);
}

void TabPage::hideVexaIdOfBand(int vexaId, VexaIdFilter inBand)
{
    if (inBand(vexaId))
        m_vexaIdOverlay->hideVexaId(vexaId);
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
    // The history's time never runs backwards: a clock set back (by a time service, say)
    // moves this and the later sweeps on by the step, so the scan stays one unbroken stretch.
    if (!m_hist.samples.isEmpty()) {
        const qint64 newest = m_hist.samples.timestamp(m_hist.samples.size() - 1);
        spectrumSample.timestamp += m_clockStepMs;
        if (spectrumSample.timestamp < newest) {
            m_clockStepMs += newest - spectrumSample.timestamp;
            spectrumSample.timestamp = newest;
        }
    }
    appendSample(spectrumSample);
    const SampleStore &samples = m_hist.samples;
    const int n = samples.size();
    if (n >= 3) {
        const double interval = double(samples.timestamp(n - 1) - samples.timestamp(n - 2));
        m_meanSampleInterval = m_meanSampleInterval - m_meanSampleInterval / n + interval / n;
    } else if (n == 2) {
        m_meanSampleInterval = double(samples.timestamp(1) - samples.timestamp(0));
    } else {
        m_meanSampleInterval = 0.0;
    }

    emit sweepAdded();
    m_timeBar->setRange(0, n);
    // Panned back: the view stays where the user put it while the history grows.
    if (m_timeBar->upperValue() < m_timeBar->maximun() - 1)
        return;
    followLiveEdge();
}

void TabPage::followLiveEdge()
{
    const SampleStore &samples = m_hist.samples;
    if (samples.isEmpty())
        return;
    m_firstVisibleIndex = m_wholeHistory
        ? 0
        : windowStart(samples, m_firstVisibleIndex, samples.timestamp(samples.size() - 1));
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
    if (m_wholeHistoryAction->isChecked() != on)
        m_wholeHistoryAction->setChecked(on);
    const SampleStore &samples = m_hist.samples;
    if (samples.isEmpty())
        return;
    // Off: the two minutes that end where the view ends.
    const int upper
        = on ? samples.size() : int(qBound<qint64>(1, m_timeBar->upperValue(), samples.size()));
    const int lower = on ? 0 : windowStart(samples, 0, samples.timestamp(upper - 1));
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
    const SampleStore &samples = m_hist.samples;
    // A mean below a millisecond would truncate the step to nothing and never end.
    if (samples.size() < 2 || m_meanSampleInterval < 1.0)
        return;
    // One filler scan shared by every padding sample: the floor of a signed 8-bit amplitude.
    const RfSpectrumScan filler(samples.columns(), qint8(-128));
    qint64 t = samples.timestamp(samples.size() - 1);
    now += m_clockStepMs;
    if (now - t > k_maxPaddedGapMs) {
        // Longer than anyone stays on the other band: the computer slept, or its clock jumped.
        // One filler marks the gap instead of hours of rows in memory and in the journal.
        appendSample(RfSpectrumSample{qint64(double(t) + m_meanSampleInterval), filler, {}});
    } else {
        while (double(now - t) > m_meanSampleInterval) {
            t = qint64(double(t) + m_meanSampleInterval);
            appendSample(RfSpectrumSample{t, filler, WifiScan()});
        }
    }
    m_timeBar->setRange(0, samples.size());
    followLiveEdge();
}

void TabPage::setProjectInfo(ProjectInfoData data)
{
    if (data == m_hist.projectInfo)
        return;
    m_hist.projectInfo = std::move(data);
    journalChange([this](HistoryJournal &journal) { journal.setProjectInfo(m_hist.projectInfo); });
}

void TabPage::appendSample(const RfSpectrumSample &sample)
{
    m_hist.samples.append(sample);
    journalChange([&sample](HistoryJournal &journal) { journal.appendSample(sample); });
}

void TabPage::setNewestWifi(const WifiScan &accessPoints)
{
    if (m_hist.samples.isEmpty())
        return;
    m_hist.samples.setNewestAccessPoints(accessPoints);
    journalChange(
        [&accessPoints](HistoryJournal &journal) { journal.setNewestWifi(accessPoints); });
}

template<typename Change> void TabPage::journalChange(Change change)
{
    m_keeper->change(change);
    offerSave();
}

void TabPage::offerSave()
{
    if (m_playback && hasUnsavedChanges() && !m_toolBar->actions().contains(m_saveAction))
        m_toolBar->insertAction(m_toolBar->actions().value(1), m_saveAction);
}

void TabPage::setJournalling(bool on)
{
    m_keeper->setEnabled(on);
}

bool TabPage::isJournalling() const
{
    return m_keeper->isEnabled();
}

void TabPage::setRecordingFile(const QString &path)
{
    m_keeper->setAmends(path, JournalKeeper::editsOf(m_hist));
}

bool TabPage::adoptJournal(const QString &path, const JournalReader::Result &read,
                           const JournalKeeper::FileEdits &original)
{
    const bool adopted = m_keeper->adopt(path, read, original);
    offerSave();
    return adopted;
}

HistoryJournal *TabPage::journal() const
{
    return m_keeper->journal();
}

quint64 TabPage::revision() const
{
    return m_keeper->revision();
}

bool TabPage::hasUnsavedChanges() const
{
    return m_keeper->hasUnsavedChanges();
}

void TabPage::markSaved(quint64 revision, const QString &path, const RfSpectrumHistory *saved)
{
    m_keeper->markSaved(revision, m_playback ? path : QString(), saved);
}

void TabPage::discardJournal()
{
    m_keeper->discard();
}

QString TabPage::bandName() const
{
    return m_hist.freqInterval.contains(915.0) ? tr("900 MHz") : tr("2.4 GHz");
}

std::pair<int, int> TabPage::visibleRange() const
{
    const qint64 lower = m_timeBar->lowerValue();
    const qint64 upper = m_timeBar->upperValue();
    const int n = m_hist.samples.size();
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
        quietly(m_spectroPlot, [&] { m_spectroPlot->setData(m_hist.samples, first, last); });
        quietly(m_waterfallPlot, [&] { m_waterfallPlot->setData(m_hist.samples, first, last); });
        // What follows the window (markers, say) changes before the redraw that shows it.
        emit visibleWindowChanged();
        requestReplot();
    }
    const qint64 upper = m_timeBar->upperValue();
    if (upper > 0 && upper <= m_hist.samples.size())
        updateLabels(upper);
}

void TabPage::requestReplot()
{
    if (m_replotTimer.isActive())
        return;
    const qint64 since = m_lastReplot.isValid() ? m_lastReplot.elapsed() : k_minReplotIntervalMs;
    if (since >= k_minReplotIntervalMs)
        replotNow();
    else
        m_replotTimer.start(int(k_minReplotIntervalMs - since));
}

void TabPage::replotNow()
{
    m_replotTimer.stop();
    m_lastReplot.restart();
    m_spectroPlot->replot();
    m_waterfallPlot->replot();
}

QString TabPage::elapsedText(qint64 elapsedMs)
{
    const auto field = [](qint64 value) { return QString::number(value).rightJustified(2, '0'); };
    return QStringLiteral("%1:%2:%3")
        .arg(field((elapsedMs / 3600000) % 24))
        .arg(field((elapsedMs / 60000) % 60))
        .arg(field((elapsedMs / 1000) % 60));
}

void TabPage::showNoSample()
{
    m_elapsedLabel->setText(QStringLiteral("00:00:00"));
    m_clockLabel->setText(clockText(QDateTime::currentMSecsSinceEpoch()));
}

void TabPage::updateLabels(qint64 upperValue)
{
    const qint64 newest = m_hist.samples.timestamp(int(upperValue - 1));
    m_elapsedLabel->setText(elapsedText(newest - m_hist.samples.timestamp(0)));
    m_clockLabel->setText(clockText(newest));
}

void TabPage::onTimeEventAdded(TimeEvent event)
{
    m_hist.timeEvents.append(event);
    journalChange([&event](HistoryJournal &journal) { journal.addTimeEvent(event); });
    emit timeEventsChanged();
}

void TabPage::placeTimeEvent(const TimeEvent &event)
{
    m_waterfallPlot->setTimeEvents({event});
    onTimeEventAdded(event);
}

void TabPage::onTimeEventRemoved(TimeEvent event)
{
    const int index = m_hist.timeEvents.indexOf(event);
    if (index < 0)
        return;
    m_hist.timeEvents.removeAt(index);
    journalChange([&event](HistoryJournal &journal) { journal.removeTimeEvent(event); });
    emit timeEventsChanged();
}

void TabPage::onSpectroLabelAdded(SpectroLabel label)
{
    m_hist.labels.append(label);
    journalChange([&label](HistoryJournal &journal) { journal.addLabel(label); });
}

void TabPage::onSpectroLabelRemoved(SpectroLabel label)
{
    const int index = m_hist.labels.indexOf(label);
    if (index < 0)
        return;
    m_hist.labels.removeAt(index);
    journalChange([&label](HistoryJournal &journal) { journal.removeLabel(label); });
}

void TabPage::clearHist()
{
    // A new run: its recording holds only its own sweeps, events and labels.
    m_keeper->reset();
    m_clockStepMs = 0;
    m_firstVisibleIndex = 0;
    m_meanSampleInterval = 0.0;
    m_hist.samples.clear();
    m_hist.timeEvents.clear();
    m_hist.labels.clear();
    m_timeBar->setRange(0, 0);
    m_spectroPlot->clearSpectroLabels();
    m_waterfallPlot->clearData();
    m_waterfallPlot->clearTimeEvents();
    m_spectroPlot->replot();
    m_waterfallPlot->replot();
    showNoSample();
    emit timeEventsChanged();
}

QPixmap TabPage::takeSnapshot()
{
    auto *plot = qobject_cast<QwtPlot *>(m_viewStack->currentWidget());
    if (!plot)
        return QPixmap();
    // The picture shows the newest data, not the last frame drawn.
    if (m_replotTimer.isActive())
        replotNow();
    const QPoint canvasPos = plot->canvas()->pos();
    const int canvasHeight = plot->canvas()->height();
    // The spectrogram with its markers' read-outs under it.
    const QPixmap shot
        = plot == m_spectroPlot ? m_analysis->withReadouts(plot->grab()) : plot->grab();

    QPixmap result(shot.size());
    result.setDevicePixelRatio(shot.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, shot);
    const QImage watermark = QImage(QStringLiteral(":/Watermark.png"));
    if (!watermark.isNull() && canvasHeight / 8 > 0) {
        painter.setOpacity(0.15);
        painter.drawImage(canvasPos + QPoint(5, 5),
                          watermark.scaledToHeight(canvasHeight / 8, Qt::SmoothTransformation));
    }
    painter.end();
    return result;
}

void TabPage::setQcMode()
{
    auto *marker = new QwtPlotMarker(QString());
    marker->setRenderHint(QwtPlotItem::RenderAntialiased, true);
    marker->setLineStyle(QwtPlotMarker::HLine);
    marker->setLinePen(Qt::white, 2.0, Qt::SolidLine);
    QwtText label(tr("QC Pass Line"), QwtText::PlainText);
    label.setBorderRadius(2.0);
    label.setColor(Qt::white);
    label.setBackgroundBrush(QBrush(QColor(255, 255, 255, 64), Qt::SolidPattern));
    QFont labelFont = font();
    if (labelFont.pointSize() > 0)
        labelFont.setPointSize(int(labelFont.pointSize() * 1.25));
    label.setFont(labelFont);
    marker->setLabel(label);
    marker->setLabelAlignment(Qt::AlignLeft | Qt::AlignBottom);
    marker->setValue(0.0, -40.0);
    marker->attach(m_spectroPlot);
}
