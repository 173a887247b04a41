#include "EventsPanel.h"

#include "data/Constants.h"
#include "pages/TabPage.h"
#include "plots/WaterfallPlot.h"
#include "widgets/RangeSlider.h"
#include "widgets/UserPrompts.h"
#include "widgets/WrappingDelegate.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <qwt_plot_shapeitem.h>

namespace {

enum Column { TimeColumn, TextColumn };
// A row's event: a found event's index, or -1 for a time event; and its start and end (ms).
constexpr int k_foundRole = Qt::UserRole;
constexpr int k_startRole = Qt::UserRole + 1;
constexpr int k_endRole = Qt::UserRole + 2;

QString span(qint64 msecs)
{
    const qint64 seconds = qMax<qint64>(0, msecs) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString clockText(qint64 msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs).toString(QStringLiteral("HH:mm:ss"));
}

// The first sweep at or after `msecs` (timestamps never decrease).
int firstAtOrAfter(const SampleStore &samples, qint64 msecs)
{
    int low = 0;
    int high = samples.size();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (samples.timestamp(middle) < msecs)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace

EventsPanel::EventsPanel(QAction *toggleView, std::function<UserPrompts *()> prompts,
                         QWidget *parent)
    : QWidget(parent)
    , m_toggleView(toggleView)
    , m_prompts(std::move(prompts))
{
    m_find = new QPushButton(tr("Find Events"), this);
    m_find->setToolTip(tr("Search the whole history of the page in front for where the air "
                          "changed: a range quiet for a minute that turned busy"));
    m_threshold = new QSpinBox(this);
    m_threshold->setRange(-120, 0);
    m_threshold->setValue(int(BusyRule::k_defaultThresholdDbm));
    m_threshold->setSuffix(tr(" dBm"));
    m_threshold->setToolTip(tr("A frequency counts as busy in a sweep at or above this level"));
    m_minSeconds = new QDoubleSpinBox(this);
    m_minSeconds->setRange(0.5, 600.0);
    m_minSeconds->setDecimals(1);
    m_minSeconds->setValue(2.0);
    m_minSeconds->setSuffix(tr(" s"));
    m_minSeconds->setToolTip(tr("How long a range must stay busy to count"));
    m_status = new QLabel(this);
    m_status->setWordWrap(true);

    // Two columns, the texts wrapped: a panel beside the pages at the window's smallest size
    // shows every event's whole text.
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    new WrappingDelegate(m_list);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setHeaderLabels({tr("Time"), tr("Event")});
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(TimeColumn, QHeaderView::ResizeToContents);

    auto *controls = new QGridLayout;
    controls->addWidget(m_find, 0, 0, 2, 1);
    controls->addWidget(new QLabel(tr("Busy \u2265"), this), 0, 1);
    controls->addWidget(m_threshold, 0, 2);
    controls->addWidget(new QLabel(tr("For \u2265"), this), 1, 1);
    controls->addWidget(m_minSeconds, 1, 2);
    controls->setColumnStretch(2, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_status);
    layout->addWidget(m_list, 1);

    connect(m_find, &QPushButton::clicked, this, &EventsPanel::findEvents);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { onCurrentItemChanged(item); });
}

QString EventsPanel::markTitle()
{
    return QStringLiteral("Found event");
}

QString EventsPanel::foundText(const EventFinder::Event &event)
{
    return tr("Turned busy: %1-%2 MHz, peak %3 dBm, for %4%5")
        .arg(event.lowerMHz, 0, 'f', 1)
        .arg(event.upperMHz, 0, 'f', 1)
        .arg(event.peakDbm)
        .arg(span(event.durationMs()))
        .arg(event.ongoing ? tr(" (still busy at the end)") : QString());
}

void EventsPanel::setPage(TabPage *page)
{
    if (page == m_page)
        return;
    disconnect(m_pageConnection);
    m_page = page;
    if (page)
        m_pageConnection = connect(page, &TabPage::timeEventsChanged, this, &EventsPanel::refresh);
    m_status->clear();
    refresh();
}

bool EventsPanel::isCurrent(const TabPage *page, const Found &found) const
{
    // The search holds while the history is the one searched, grown or not; a new scan
    // cleared it.
    const SampleStore &samples = page->history().samples;
    return samples.size() >= found.sweeps
        && (found.sweeps == 0 || samples.timestamp(0) == found.firstSweepMs);
}

QList<EventFinder::Event> EventsPanel::foundEvents(const TabPage *page) const
{
    const auto it = m_found.constFind(page);
    if (!page || it == m_found.constEnd() || !isCurrent(page, *it))
        return {};
    return it->events;
}

void EventsPanel::findEvents()
{
    TabPage *page = m_page;
    if (!page)
        return;
    EventFinder::Options options;
    options.thresholdDbm = m_threshold->value();
    options.minBusyMs = qint64(m_minSeconds->value() * 1000.0);
    Found found;
    found.sweeps = page->history().samples.size();
    found.firstSweepMs = found.sweeps > 0 ? page->history().samples.timestamp(0) : 0;

    UserPrompts *prompts = m_prompts ? m_prompts() : nullptr;
    std::unique_ptr<UserPrompts::Progress> progress
        = prompts ? prompts->progress(window(), tr("Finding events")) : nullptr;
    bool cancelled = false;
    found.events = EventFinder::find(
        page->history(), options,
        [&progress](qint64 done, qint64 total) {
            return !progress || progress->update(done, total);
        },
        &cancelled);
    progress.reset();
    // The progress ran the event loop: the page may have gone, or another come to the front.
    if (!m_page || m_page != page)
        return;
    if (cancelled) {
        m_status->setText(tr("The search was cancelled."));
        return;
    }
    if (!m_found.contains(page))
        connect(page, &QObject::destroyed, this, [this, page] { m_found.remove(page); });
    m_found.insert(page, found);
    const qint64 searched = found.sweeps > 0
        ? page->history().samples.timestamp(found.sweeps - 1) - found.firstSweepMs
        : 0;
    m_status->setText(
        found.events.size() == 1
            ? tr("1 event found in %1 of sweeps.").arg(span(searched))
            : tr("%1 events found in %2 of sweeps.").arg(found.events.size()).arg(span(searched)));
    refresh();
}

void EventsPanel::refresh()
{
    m_list->clear();
    TabPage *page = m_page;
    if (!page)
        return;
    QList<QTreeWidgetItem *> items;
    const QList<EventFinder::Event> found = foundEvents(page);
    for (int i = 0; i < found.size(); ++i) {
        const EventFinder::Event &event = found.at(i);
        auto *item = new QTreeWidgetItem;
        item->setText(TimeColumn, clockText(event.startMs));
        item->setText(TextColumn, foundText(event));
        item->setData(TimeColumn, k_foundRole, i);
        item->setData(TimeColumn, k_startRole, event.startMs);
        item->setData(TimeColumn, k_endRole, event.endMs);
        items.append(item);
    }
    for (const TimeEvent &event : page->history().timeEvents) {
        const qint64 at = event.dateTime.toMSecsSinceEpoch();
        auto *item = new QTreeWidgetItem;
        item->setText(TimeColumn, clockText(at));
        item->setText(TextColumn, event.text);
        item->setToolTip(TextColumn, event.text);
        item->setData(TimeColumn, k_foundRole, -1);
        item->setData(TimeColumn, k_startRole, at);
        item->setData(TimeColumn, k_endRole, at);
        items.append(item);
    }
    std::stable_sort(items.begin(), items.end(), [](QTreeWidgetItem *a, QTreeWidgetItem *b) {
        return a->data(TimeColumn, k_startRole).toLongLong()
            < b->data(TimeColumn, k_startRole).toLongLong();
    });
    const qint64 first
        = page->history().samples.isEmpty() ? 0 : page->history().samples.timestamp(0);
    for (QTreeWidgetItem *item : qAsConst(items)) {
        const qint64 at = item->data(TimeColumn, k_startRole).toLongLong();
        item->setToolTip(TimeColumn,
                         tr("%1, %2 after the first sweep")
                             .arg(QLocale::system().toString(QDateTime::fromMSecsSinceEpoch(at),
                                                             QLocale::LongFormat),
                                  span(at - first)));
    }
    m_list->addTopLevelItems(items);
}

std::pair<int, int> EventsPanel::windowAround(const TabPage *page, qint64 startMs, qint64 endMs)
{
    const SampleStore &samples = page->history().samples;
    if (samples.isEmpty())
        return {0, 0};
    // The event with a margin on either side, and at least the page's two-minute window.
    const qint64 length = qMax<qint64>(0, endMs - startMs);
    const qint64 margin = qMax<qint64>(10000, length / 10);
    const qint64 width = qMax(Constants::k_timeWindowWidth, length + 2 * margin);
    qint64 from = startMs - (width - length) / 2;
    qint64 to = from + width;
    // Kept inside the history, so that an event near an end still shows a full window.
    const qint64 oldest = samples.timestamp(0);
    const qint64 newest = samples.timestamp(samples.size() - 1);
    if (from < oldest) {
        to += oldest - from;
        from = oldest;
    } else if (to > newest) {
        from -= to - newest;
        to = newest;
    }
    const int first = qMin(firstAtOrAfter(samples, from), samples.size() - 1);
    const int last = qMax(first + 1, firstAtOrAfter(samples, to + 1));
    return {first, qMin(last, samples.size())};
}

void EventsPanel::onCurrentItemChanged(QTreeWidgetItem *item)
{
    TabPage *page = m_page;
    if (!item || !page)
        return;
    const int index = item->data(TimeColumn, k_foundRole).toInt();
    const QList<EventFinder::Event> found = foundEvents(page);
    reveal(item->data(TimeColumn, k_startRole).toLongLong(),
           item->data(TimeColumn, k_endRole).toLongLong());
    mark(index >= 0 && index < found.size() ? &found.at(index) : nullptr);
}

void EventsPanel::reveal(qint64 startMs, qint64 endMs)
{
    TabPage *page = m_page;
    const auto [first, last] = windowAround(page, startMs, endMs);
    if (last <= first)
        return;
    page->setWholeHistory(false);
    RangeSlider *bar = page->timeBar();
    const qint64 upperBefore = bar->upperValue();
    bar->setLowerValue(first);
    bar->setUpperValue(last);
    if (bar->upperValue() == upperBefore)
        page->onTimeBarMoved();
    if (!page->showsWaterfall() && page->isVisible() && m_toggleView)
        m_toggleView->trigger();
}

void EventsPanel::mark(const EventFinder::Event *event)
{
    WaterfallPlot *waterfall = m_page->waterfallPlot();
    for (QwtPlotItem *item : waterfall->itemList(QwtPlotItem::Rtti_PlotShape)) {
        if (item->title().text() == markTitle())
            delete item;
    }
    if (event) {
        // Half a frequency step beyond the outer steps, so that the mark frames them.
        const double half = FrequencyAxis::of(m_page->history()).stepMegahertz() / 2.0;
        auto *shape = new QwtPlotShapeItem(markTitle());
        shape->setRect(QRectF(QPointF(event->lowerMHz - half, double(event->startMs)),
                              QPointF(event->upperMHz + half, double(event->endMs)))
                           .normalized());
        shape->setPen(QPen(QColor(255, 214, 0), 2.0));
        shape->setBrush(QColor(255, 214, 0, 48));
        shape->setRenderHint(QwtPlotItem::RenderAntialiased, true);
        shape->setZ(30.0);
        shape->attach(waterfall);
    }
    waterfall->replot();
}
