#include "ShowWatch.h"

#include "EventsPanel.h"
#include "MainWindow.h"
#include "ScanSession.h"
#include "VenueSources.h"
#include "WatchPanel.h"
#include "data/Constants.h"
#include "networks/VexaIdPanel.h"
#include "pages/TabPage.h"
#include "plots/RangeDragPicker.h"
#include "plots/SpectroPlot.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QDockWidget>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <qwt_plot_canvas.h>
#include <qwt_plot_zoneitem.h>

// The watch of one live page: the analyzer's here of a band (tab 0, 2.4 GHz, or tab 1,
// 900 MHz), or a sensor's, which watches the ranges of its band too.
struct ShowWatch::Band
{
    QPointer<TabPage> page;
    int band; // 0: 2.4 GHz, 1: 900 MHz
    AirWatch watch;
    QString where; // the sensor's name; empty for the analyzer here
    bool marked = false; // the tab shows the alert sign
};

ShowWatch::ShowWatch(MainWindow &window, std::function<UserPrompts *()> prompts)
    : QObject(&window)
    , m_window(window)
    , m_beeper([] { QApplication::beep(); })
{
    Ui::MainWindow *ui = window.getUi();
    for (const int tab : {0, 1}) {
        TabPage *page = window.page(tab);
        const int columns
            = tab == 0 ? Constants::k_samplesPerScan2400 : Constants::k_samplesPerScan900;
        m_bands.push_back(std::make_unique<Band>(
            Band{page, tab, AirWatch(FrequencyAxis::of(page->history()), columns), {}}));
        connect(page, &TabPage::sweepAdded, this, [this, page] { onSweepAdded(page); });
        auto *picker = new RangeDragPicker(page->spectroPlot()->canvas());
        connect(picker, &RangeDragPicker::rangeDragged, this,
                [this, page](double lower, double upper) { addDraggedRange(page, lower, upper); });
    }

    m_watchPanel = new WatchPanel;
    m_eventsPanel = new EventsPanel(ui->actionToggle_View, std::move(prompts));
    buildDocks(window);
    buildBanner(window);
    applySettings();

    connect(ui->dockWidgetContentsVexaIds, &VexaIdPanel::vexaIdChosen, this,
            &ShowWatch::setVexaIdWatched);
    connect(m_watchPanel, &WatchPanel::settingsChanged, this, &ShowWatch::applySettings);
    connect(m_watchPanel, &WatchPanel::switched, this, [this](bool on) {
        // Off: the alerts standing end, and say so in the histories; on: a fresh start.
        endAlerts(!on);
    });
    connect(m_watchPanel, &WatchPanel::removeRequested, this, &ShowWatch::removeRange);
    // A new scan clears the histories: the alerts of the last one go with them.
    connect(window.scanSession(), &ScanSession::scanStarting, this, [this] { endAlerts(false); });
    connect(ui->tabWidget, &QTabWidget::currentChanged, this,
            [this](int index) { m_eventsPanel->setPage(m_window.page(index)); });
    connect(window.venueSources(), &VenueSources::pageAdded, this, &ShowWatch::addSource);
    m_eventsPanel->setPage(window.page(ui->tabWidget->currentIndex()));
}

ShowWatch::~ShowWatch() = default;

void ShowWatch::buildDocks(MainWindow &window)
{
    Ui::MainWindow *ui = window.getUi();
    const auto dock
        = [&](const QString &name, const QString &title, QWidget *content, const QString &toolTip) {
              auto *widget = new QDockWidget(title, &window);
              widget->setObjectName(name);
              widget->setFeatures(QDockWidget::DockWidgetFloatable | QDockWidget::DockWidgetMovable
                                  | QDockWidget::DockWidgetClosable);
              widget->setAllowedAreas(Qt::RightDockWidgetArea);
              widget->setWidget(content);
              window.addDockWidget(Qt::RightDockWidgetArea, widget);
              window.tabifyDockWidget(ui->dockWidgetVexaIds, widget);
              widget->hide();
              QAction *action = widget->toggleViewAction();
              action->setToolTip(toolTip);
              // Opened beside other docks, it comes to the front; after the dock's own
              // handling of the action, which shows it.
              connect(action, &QAction::triggered, widget, [widget](bool on) {
                  if (on)
                      widget->raise();
              });
              return widget;
          };
    m_watchDock = dock(QStringLiteral("dockWidgetWatch"), tr("Watch"), m_watchPanel,
                       tr("Watch the chosen VEXA IDs and ranges for interference"));
    m_eventsDock = dock(QStringLiteral("dockWidgetEvents"), tr("Events"), m_eventsPanel,
                        tr("The page's time events, and where the air changed"));

    // In the main tool bar after Project Info.
    QToolBar *toolBar = ui->toolBar;
    const QList<QAction *> actions = toolBar->actions();
    const int at = actions.indexOf(ui->actionProject_Info);
    QAction *before = at >= 0 ? actions.value(at + 1) : nullptr;
    toolBar->insertAction(before, m_watchDock->toggleViewAction());
    toolBar->insertAction(before, m_eventsDock->toggleViewAction());
    toolBar->insertSeparator(m_watchDock->toggleViewAction());
}

void ShowWatch::buildBanner(MainWindow &window)
{
    Ui::MainWindow *ui = window.getUi();
    m_banner = new QLabel(ui->centralwidget);
    m_banner->setObjectName(QStringLiteral("watchBanner"));
    m_banner->setWordWrap(true);
    m_banner->setStyleSheet(QStringLiteral("QLabel { background-color: #b3261e; color: white; "
                                           "font-weight: bold; padding: 6px; }"));
    m_banner->hide();
    // Above the pages.
    ui->gridLayout->removeWidget(ui->tabWidget);
    ui->gridLayout->addWidget(m_banner, 0, 0);
    ui->gridLayout->addWidget(ui->tabWidget, 1, 0);
}

QString ShowWatch::raisedText(const QString &name, double share)
{
    return tr("Interference on %1: %2 % busy").arg(name).arg(qRound(share * 100.0));
}

QString ShowWatch::clearedText(const QString &name, double share)
{
    return tr("Interference on %1 cleared: %2 % busy").arg(name).arg(qRound(share * 100.0));
}

QString ShowWatch::placeName(const QString &range, const QString &where)
{
    return where.isEmpty() ? range : tr("%1 at %2").arg(range, where);
}

void ShowWatch::addSource(TabPage *page, const QString &where, int bandMhz)
{
    if (!page || bandOf(page))
        return;
    const int index = bandMhz == 900 ? 1 : 0;
    const int columns
        = index == 0 ? Constants::k_samplesPerScan2400 : Constants::k_samplesPerScan900;
    auto band = std::make_unique<Band>(
        Band{page, index,
             AirWatch(FrequencyAxis(index == 0 ? Constants::k_2400ScanParams
                                               : Constants::k_900ScanParams),
                      columns),
             where});
    band->watch.setSettings(m_watchPanel->settings());
    // Every range of its band is watched at the new source too.
    for (auto it = m_ranges.cbegin(); it != m_ranges.cend(); ++it) {
        if (it->band->band == index)
            band->watch.addRange(it.key(), it->lowerMHz, it->upperMHz);
    }
    Band *added = band.get();
    m_bands.push_back(std::move(band));
    connect(page, &TabPage::sweepAdded, this, [this, page] { onSweepAdded(page); });
    connect(page, &QObject::destroyed, this, [this, added] {
        m_bands.erase(std::remove_if(m_bands.begin(), m_bands.end(),
                                     [added](const auto &b) { return b.get() == added; }),
                      m_bands.end());
        // Later: the page may be going with the whole window.
        QTimer::singleShot(0, this, &ShowWatch::updateAlertSigns);
    });
}

QList<ShowWatch::Band *> ShowWatch::watching(const Range &range) const
{
    QList<Band *> bands;
    for (const auto &band : m_bands) {
        if (band->band == range.band->band && band->page)
            bands << band.get();
    }
    return bands;
}

QString ShowWatch::unwatchedText(const QString &name)
{
    return tr("Interference on %1: no longer watched").arg(name);
}

ShowWatch::Band *ShowWatch::bandOf(const TabPage *page) const
{
    for (const auto &band : m_bands) {
        if (band->page == page)
            return band.get();
    }
    return nullptr;
}

void ShowWatch::applySettings()
{
    for (const auto &band : m_bands)
        band->watch.setSettings(m_watchPanel->settings());
}

void ShowWatch::setVexaIdWatched(int vexaId, bool watched)
{
    const auto it = Constants::k_vexaIdMap.constFind(vexaId);
    if (it == Constants::k_vexaIdMap.constEnd())
        return;
    const QString key = QString::number(vexaId);
    if (!watched) {
        removeRange(key);
        return;
    }
    if (m_ranges.contains(key))
        return;
    Band *band = m_bands.at(vexaId >= 24000 ? 0 : 1).get();
    addRange(band, key, key, it->lowerEdge(), it->upperEdge(), false);
}

void ShowWatch::addDraggedRange(TabPage *page, double lowerMHz, double upperMHz)
{
    Band *band = bandOf(page);
    if (!band)
        return;
    const QString key = QStringLiteral("range %1").arg(++m_dragged);
    addRange(band, key, QString(), lowerMHz, upperMHz, true);
}

void ShowWatch::addRange(Band *band, const QString &key, const QString &name, double lowerMHz,
                         double upperMHz, bool removable)
{
    if (!band->watch.addRange(key, lowerMHz, upperMHz))
        return;
    for (const auto &other : m_bands) {
        if (other.get() != band && other->band == band->band)
            other->watch.addRange(key, lowerMHz, upperMHz);
    }
    // The range as the band's frequency steps hold it.
    const auto [first, last] = band->watch.columnsOf(key);
    const FrequencyAxis axis = FrequencyAxis::of(band->page->history());
    const QString frequencies = tr("%1-%2 MHz")
                                    .arg(axis.megahertz(first), 0, 'f', 1)
                                    .arg(axis.megahertz(last), 0, 'f', 1);
    Range range{band, name.isEmpty() ? frequencies : name, nullptr, lowerMHz, upperMHz};
    if (removable) {
        const double half = axis.stepMegahertz() / 2.0;
        range.zone = new QwtPlotZoneItem;
        range.zone->setTitle(range.name);
        range.zone->setOrientation(Qt::Vertical);
        range.zone->setInterval(axis.megahertz(first) - half, axis.megahertz(last) + half);
        range.zone->setBrush(QColor(255, 214, 0, 40));
        range.zone->setPen(QPen(QColor(255, 214, 0, 180), 1.0, Qt::DashLine));
        range.zone->setZ(22.0);
        range.zone->attach(band->page->spectroPlot());
        band->page->spectroPlot()->replot();
    }
    m_ranges.insert(key, range);
    m_watchPanel->addRange(key, range.name, frequencies, removable);
}

void ShowWatch::removeRange(const QString &key)
{
    const auto it = m_ranges.find(key);
    if (it == m_ranges.end())
        return;
    const Range range = it.value();
    m_ranges.erase(it);
    for (Band *band : watching(range)) {
        if (band->watch.isAlerting(key))
            placeEvent(band, QDateTime::currentMSecsSinceEpoch(),
                       unwatchedText(placeName(range.name, band->where)));
        band->watch.removeRange(key);
    }
    if (range.zone) {
        delete range.zone;
        range.band->page->spectroPlot()->replot();
    }
    m_watchPanel->removeRange(key);
    updateAlertSigns();
}

void ShowWatch::onSweepAdded(TabPage *page)
{
    Band *band = bandOf(page);
    if (!band || !m_watchPanel->isOn() || m_ranges.isEmpty())
        return;
    const SampleStore &samples = page->history().samples;
    const int newest = samples.size() - 1;
    // The page padded the time the other band was swept with gap filler: a pause.
    if (newest > 0 && samples.isGapFiller(newest - 1))
        band->watch.addSweep(samples.timestamp(newest - 1), samples.values(newest - 1),
                             samples.columns());
    const QList<AirWatch::Change> changes = band->watch.addSweep(
        samples.timestamp(newest), samples.values(newest), samples.columns());
    for (const AirWatch::Change &change : changes)
        report(band, change);
    bool alerting = !changes.isEmpty();
    for (auto it = m_ranges.cbegin(); it != m_ranges.cend(); ++it) {
        if (it->band->band != band->band)
            continue;
        // The panel shows the busiest source of the range.
        bool raised = false;
        double share = 0.0;
        for (const Band *source : watching(*it)) {
            raised = raised || source->watch.isAlerting(it.key());
            share = qMax(share, source->watch.share(it.key()));
        }
        alerting = alerting || raised;
        m_watchPanel->showShare(it.key(), share, raised);
    }
    // The banner follows the shares of the alerts standing.
    if (alerting)
        updateAlertSigns();
}

void ShowWatch::report(Band *band, const AirWatch::Change &change)
{
    const QString name = placeName(m_ranges.value(change.key).name, band->where);
    placeEvent(band, change.timestamp,
               change.raised ? raisedText(name, change.share) : clearedText(name, change.share));
    if (change.raised && m_watchPanel->beeps() && m_beeper)
        m_beeper();
}

void ShowWatch::placeEvent(Band *band, qint64 msecs, const QString &text)
{
    band->page->placeTimeEvent({QDateTime::fromMSecsSinceEpoch(msecs), text});
}

void ShowWatch::endAlerts(bool unwatched)
{
    for (auto it = m_ranges.cbegin(); it != m_ranges.cend(); ++it) {
        for (Band *band : watching(*it)) {
            if (unwatched && band->watch.isAlerting(it.key()))
                placeEvent(band, QDateTime::currentMSecsSinceEpoch(),
                           unwatchedText(placeName(it->name, band->where)));
        }
    }
    for (const auto &band : m_bands)
        band->watch.reset();
    for (auto it = m_ranges.cbegin(); it != m_ranges.cend(); ++it)
        m_watchPanel->showShare(it.key(), 0.0, false);
    updateAlertSigns();
}

void ShowWatch::updateAlertSigns()
{
    QStringList alerts;
    for (auto it = m_ranges.cbegin(); it != m_ranges.cend(); ++it) {
        for (const Band *band : watching(*it)) {
            if (band->watch.isAlerting(it.key()))
                alerts << raisedText(placeName(it->name, band->where), band->watch.share(it.key()));
        }
    }
    alerts.sort();
    const QString text = alerts.join(QStringLiteral("   \u2022   "));
    if (m_banner->text() != text)
        m_banner->setText(text);
    m_banner->setVisible(!alerts.isEmpty());

    QTabWidget *tabs = m_window.getUi()->tabWidget;
    for (const auto &band : m_bands) {
        bool marked = false;
        for (auto it = m_ranges.cbegin(); it != m_ranges.cend() && !marked; ++it)
            marked = band->watch.isAlerting(it.key());
        if (marked == band->marked || !band->page)
            continue;
        band->marked = marked;
        tabs->setTabIcon(tabs->indexOf(band->page),
                         marked ? tabs->style()->standardIcon(QStyle::SP_MessageBoxWarning)
                                : QIcon());
    }
}
