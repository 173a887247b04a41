#include "VenuePage.h"

#include "TabPage.h"
#include "VenueWaterfalls.h"
#include "data/Constants.h"
#include "plots/PlotPrompts.h"
#include "plots/SpectroPlot.h"
#include "venue/LoudestOfAll.h"
#include "widgets/RangeSlider.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <qwt_picker_machine.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_picker.h>

namespace {

// Colours that stay apart on a dark canvas, given to the sources in the order they come.
const QColor k_palette[] = {
    QColor(0x4f, 0xc3, 0xf7), QColor(0xff, 0xb7, 0x4d), QColor(0x81, 0xc7, 0x84),
    QColor(0xf0, 0x62, 0x92), QColor(0xba, 0x68, 0xc8), QColor(0xff, 0xf1, 0x76),
    QColor(0x4d, 0xb6, 0xac), QColor(0xe5, 0x73, 0x73),
};

// The first index of the store whose sweep is at `time` or later; its size when none is.
int indexFrom(const SampleStore &store, qint64 time)
{
    const int i = store.windowStart(0, time, 0);
    return i < store.size() && store.timestamp(i) >= time ? i : store.size();
}

QString levelText(double level)
{
    return level <= SpectrumTraces::k_noLevel ? QStringLiteral("-")
                                              : QStringLiteral("%1 dBm").arg(level, 0, 'f', 1);
}

} // namespace

VenuePage::VenuePage(int band, QWidget *parent)
    : QWidget(parent)
    , m_band(band == 900 ? 900 : 2400)
    , m_axis(m_band == 900 ? Constants::k_900ScanParams : Constants::k_2400ScanParams)
{
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(k_refreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &VenuePage::refresh);
    buildWidgets();
}

VenuePage::~VenuePage()
{
    // Pages that go after this one no longer call it; the plots delete only what they hold.
    for (const Source &source : m_sources) {
        if (source.page)
            source.page->disconnect(this);
        if (!source.curve->plot())
            delete source.curve;
    }
    if (!m_marker->plot())
        delete m_marker;
}

QString VenuePage::bandName() const
{
    return m_band == 900 ? tr("900 MHz") : tr("2.4 GHz");
}

int VenuePage::steps() const
{
    for (const Source &source : m_sources) {
        if (source.page && source.page->history().samples.columns() > 0)
            return source.page->history().samples.columns();
    }
    return m_band == 900 ? Constants::k_samplesPerScan900 : Constants::k_samplesPerScan2400;
}

void VenuePage::buildWidgets()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Trace:"), this));
    m_traceBox = new QComboBox(this);
    m_traceBox->addItems({tr("Max Hold"), tr("Average"), tr("Newest")});
    connect(m_traceBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { setTraceKind(SpectrumTraces::Kind(index)); });
    top->addWidget(m_traceBox);
    top->addSpacing(24);
    top->addWidget(new QLabel(tr("Every source to:"), this));
    m_to2400 = new QPushButton(tr("2.4 GHz"), this);
    m_to900 = new QPushButton(tr("900 MHz"), this);
    for (QPushButton *button : {m_to2400, m_to900}) {
        button->setToolTip(tr("Switch every source of this page to the band"));
        top->addWidget(button);
    }
    connect(m_to2400, &QPushButton::clicked, this, [this] { emit bandSwitchRequested(2400); });
    connect(m_to900, &QPushButton::clicked, this, [this] { emit bandSwitchRequested(900); });
    m_followNote = new QLabel(this);
    m_followNote->setWordWrap(true);
    top->addSpacing(12);
    top->addWidget(m_followNote, 1);
    layout->addLayout(top);

    auto *traces = new QWidget(this);
    auto *tracesLayout = new QVBoxLayout(traces);
    tracesLayout->setContentsMargins(0, 0, 0, 0);
    m_tracePlot = new QwtPlot(traces);
    m_tracePlot->canvas()->setStyleSheet(QStringLiteral("* { background-color: black }"));
    m_tracePlot->setAxisScale(QwtPlot::xBottom, m_axis.megahertz(0), m_axis.megahertz(steps() - 1));
    m_tracePlot->setAxisScale(QwtPlot::yLeft, Constants::k_nominalMinRssi,
                              Constants::k_nominalMaxRssi);
    m_tracePlot->setAxisTitle(QwtPlot::yLeft, tr("dBm"));
    auto *grid = new QwtPlotGrid;
    grid->setPen(QColor(255, 255, 255, 40), 0.0, Qt::DotLine);
    grid->attach(m_tracePlot);
    m_marker = new QwtPlotMarker;
    m_marker->setLineStyle(QwtPlotMarker::VLine);
    m_marker->setLinePen(QColor(255, 255, 255, 200), 1.0, Qt::DashLine);
    auto *picker = new QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::NoRubberBand,
                                     QwtPicker::AlwaysOff, m_tracePlot->canvas());
    picker->setStateMachine(new QwtPickerClickPointMachine);
    connect(picker, QOverload<const QPointF &>::of(&QwtPlotPicker::selected), this,
            [this](const QPointF &pos) { setMarker(pos.x()); });
    m_tracePlot->canvas()->setToolTip(tr("Click to read every source at a frequency"));
    m_legend = new QLabel(traces);
    m_legend->setTextFormat(Qt::RichText);
    tracesLayout->addWidget(m_legend);
    tracesLayout->addWidget(m_tracePlot, 1);
    m_markerText = new QLabel(tr("Click the traces to read every source at a frequency."), traces);
    m_markerText->setWordWrap(true);
    m_markerText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tracesLayout->addWidget(m_markerText);

    m_loudestPlot = new SpectroPlot(this);
    m_loudestPlot->setPrompts(PlotPrompts::none());
    m_loudestPlot->setTitle(tr("Loudest of all"));
    const QwtInterval levels(Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi);
    m_loudestPlot->setAxisScale(QwtPlot::xBottom, m_axis.megahertz(0),
                                m_axis.megahertz(steps() - 1));
    m_loudestPlot->setAxisScale(QwtPlot::yLeft, levels.minValue(), levels.maxValue());
    m_loudestPlot->setDataInterval(Qt::XAxis, m_axis.cells(steps()));
    m_loudestPlot->setDataInterval(Qt::YAxis, levels);
    m_loudestPlot->updateAxes();

    m_waterfalls = new VenueWaterfalls(m_axis, steps(), this);
    // The traces, the loudest of all and the waterfalls share the height 3 : 3 : 4.
    m_tracePlot->setMinimumHeight(120);
    m_loudestPlot->setMinimumHeight(200);
    layout->addWidget(traces, 3);
    layout->addWidget(m_loudestPlot, 3);
    layout->addWidget(m_waterfalls, 4);

    auto *bottom = new QHBoxLayout;
    m_timeBar = new RangeSlider(Qt::Horizontal, RangeSlider::NoHandle, this);
    m_timeBar->setToolTip(tr("Drag to move every source's window together"));
    connect(m_timeBar, &RangeSlider::upperValueChanged, this, &VenuePage::onTimeBarMoved);
    bottom->addWidget(m_timeBar, 1);
    m_windowText = new QLabel(this);
    bottom->addWidget(m_windowText);
    layout->addLayout(bottom);
}

void VenuePage::addSource(const QString &name, TabPage *page)
{
    if (!page || hasSource(page))
        return;
    Source source;
    source.name = name;
    source.page = page;
    source.colour = k_palette[m_sources.size() % (sizeof k_palette / sizeof k_palette[0])];
    source.curve = new QwtPlotCurve(name);
    source.curve->setPen(source.colour, 1.5);
    source.curve->setRenderHint(QwtPlotItem::RenderAntialiased);
    source.waterfall = m_waterfalls->addRow(name, source.colour);
    m_sources.append(source);
    const auto later = [this] {
        if (!m_refreshTimer.isActive())
            m_refreshTimer.start();
    };
    connect(page, &TabPage::sweepAdded, this, later);
    connect(page, &TabPage::visibleWindowChanged, this, later);
    connect(page, &QObject::destroyed, this, later);
    refresh();
}

bool VenuePage::hasSource(const TabPage *page) const
{
    return std::any_of(m_sources.cbegin(), m_sources.cend(),
                       [page](const Source &source) { return source.page == page; });
}

QStringList VenuePage::sourceNames() const
{
    QStringList names;
    for (const Source &source : m_sources) {
        if (source.page && !source.page->history().samples.isEmpty())
            names << source.name;
    }
    return names;
}

QColor VenuePage::colourOf(const QString &name) const
{
    for (const Source &source : m_sources) {
        if (source.name == name)
            return source.colour;
    }
    return QColor();
}

QwtPlotCurve *VenuePage::curveOf(const QString &name) const
{
    for (const Source &source : m_sources) {
        if (source.name == name)
            return source.curve;
    }
    return nullptr;
}

QList<WaterfallPlot *> VenuePage::waterfalls() const
{
    return m_waterfalls->shown();
}

std::pair<int, int> VenuePage::rangeOf(const TabPage *page) const
{
    if (!page)
        return {0, 0};
    const SampleStore &store = page->history().samples;
    return {indexFrom(store, m_from), indexFrom(store, m_to + 1)};
}

bool VenuePage::timeSpan(qint64 *first, qint64 *newest) const
{
    bool any = false;
    for (const Source &source : m_sources) {
        if (!source.page || source.page->history().samples.isEmpty())
            continue;
        const SampleStore &store = source.page->history().samples;
        const qint64 a = store.timestamp(0);
        const qint64 b = store.timestamp(store.size() - 1);
        *first = any ? qMin(*first, a) : a;
        *newest = any ? qMax(*newest, b) : b;
        any = true;
    }
    return any;
}

void VenuePage::refresh()
{
    m_refreshTimer.stop();
    for (int i = m_sources.size() - 1; i >= 0; --i) {
        Source &source = m_sources[i];
        if (source.page)
            continue;
        delete source.curve;
        m_waterfalls->removeRow(source.waterfall);
        m_sources.removeAt(i);
    }
    qint64 first = 0;
    qint64 newest = 0;
    if (timeSpan(&first, &newest))
        placeTimeBar(first, newest);
    drawTraces();
    drawLoudest();
    drawWaterfalls();
}

void VenuePage::placeTimeBar(qint64 first, qint64 newest)
{
    // The bar counts ms from the oldest sweep of any source.
    const qint64 span = newest - first;
    const qint64 upper = m_follow ? span : qBound<qint64>(0, m_to - first, span);
    m_placingBar = true;
    m_timeBar->setRange(0, span);
    m_timeBar->setLowerValue(qMax<qint64>(0, upper - Constants::k_timeWindowWidth));
    m_timeBar->setUpperValue(upper);
    m_placingBar = false;
    m_to = first + upper;
    m_from = m_to - Constants::k_timeWindowWidth;
    m_windowText->setText(QStringLiteral("%1 - %2").arg(
        QDateTime::fromMSecsSinceEpoch(m_from).toString(QStringLiteral("HH:mm:ss")),
        QDateTime::fromMSecsSinceEpoch(m_to).toString(QStringLiteral("HH:mm:ss"))));
}

void VenuePage::onTimeBarMoved()
{
    if (m_placingBar)
        return;
    qint64 first = 0;
    qint64 newest = 0;
    if (!timeSpan(&first, &newest))
        return;
    const qint64 upper = m_timeBar->upperValue();
    // Back at the newest sweep, the window follows the live edge again.
    m_follow = upper >= m_timeBar->maximun();
    m_to = first + upper;
    placeTimeBar(first, newest);
    drawTraces();
    drawLoudest();
    drawWaterfalls();
}

void VenuePage::drawTraces()
{
    for (Source &source : m_sources) {
        const SampleStore &store = source.page->history().samples;
        if (store.isEmpty()) {
            source.traces = SpectrumTraces();
            source.curve->detach();
            continue;
        }
        const auto [first, last] = rangeOf(source.page);
        source.traces = SpectrumTraces::of(store, first, last, 0);
        const SpectrumTraces &traces = source.traces;
        QVector<QPointF> points;
        points.reserve(traces.steps());
        for (int step = 0; step < traces.steps(); ++step) {
            const double level = traces.level(m_kind, step);
            if (level > SpectrumTraces::k_noLevel)
                points.append(QPointF(m_axis.megahertz(step), level));
        }
        source.curve->setSamples(points);
        if (source.curve->plot() != m_tracePlot)
            source.curve->attach(m_tracePlot);
    }
    showLegend();
    showMarkerText();
    m_tracePlot->replot();
}

void VenuePage::showLegend()
{
    QStringList entries;
    for (const Source &source : m_sources) {
        if (!source.page->history().samples.isEmpty()) {
            entries << QStringLiteral("<span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                           .arg(source.colour.name(), source.name.toHtmlEscaped());
        }
    }
    m_legend->setText(entries.join(QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;")));
}

void VenuePage::drawLoudest()
{
    QList<LoudestOfAll::Stretch> stretches;
    for (const Source &source : m_sources) {
        const auto [first, last] = rangeOf(source.page);
        stretches.append({&source.page->history().samples, first, last});
    }
    m_loudest = LoudestOfAll::merge(stretches, k_loudestBinMs);
    const bool autoReplot = m_loudestPlot->autoReplot();
    m_loudestPlot->setAutoReplot(false);
    if (m_loudest.isEmpty()) {
        // Nothing measured in the window: an empty image, not the last window's.
        SampleStore nothing;
        const QVector<qint8> filler(steps(), qint8(SampleStore::k_missingValue));
        nothing.append(m_from, filler.constData(), filler.size(), WifiScan());
        m_loudestPlot->setData(nothing, 0, 1);
    } else {
        m_loudestPlot->setData(m_loudest, 0, m_loudest.size());
    }
    m_loudestPlot->setAutoReplot(autoReplot);
    m_loudestPlot->replot();
}

void VenuePage::drawWaterfalls()
{
    QList<VenueWaterfalls::Stretch> rows;
    for (const Source &source : m_sources) {
        const auto [first, last] = rangeOf(source.page);
        rows.append({source.waterfall, &source.page->history().samples, first, last});
    }
    m_waterfalls->showWindow(rows, m_from, m_to);
}

void VenuePage::setTraceKind(SpectrumTraces::Kind kind)
{
    m_kind = kind;
    if (m_traceBox->currentIndex() != int(kind))
        m_traceBox->setCurrentIndex(int(kind));
    drawTraces();
}

void VenuePage::setMarker(double megahertz)
{
    const int step = m_axis.nearestStep(megahertz, steps());
    m_markerMhz = m_axis.megahertz(step);
    m_markerSet = true;
    m_marker->setXValue(m_markerMhz);
    if (m_marker->plot() != m_tracePlot)
        m_marker->attach(m_tracePlot);
    showMarkerText();
    m_tracePlot->replot();
}

QList<VenuePage::Reading> VenuePage::markerReadings() const
{
    QList<Reading> readings;
    if (!m_markerSet)
        return readings;
    const int step = m_axis.nearestStep(m_markerMhz, steps());
    for (const Source &source : m_sources) {
        if (source.page->history().samples.isEmpty())
            continue;
        const SpectrumTraces &t = source.traces;
        readings.append(
            {source.name,
             step < t.steps() ? t.level(m_kind, step) : double(SpectrumTraces::k_noLevel)});
    }
    std::stable_sort(readings.begin(), readings.end(),
                     [](const Reading &a, const Reading &b) { return a.level > b.level; });
    return readings;
}

QString VenuePage::markerText() const
{
    return m_markerText->text();
}

void VenuePage::showMarkerText()
{
    if (!m_markerSet)
        return;
    QStringList parts;
    for (const Reading &reading : markerReadings())
        parts << QStringLiteral("%1 %2").arg(reading.source, levelText(reading.level));
    const int step = m_axis.nearestStep(m_markerMhz, steps());
    m_markerText->setText(
        tr("%1 MHz: %2")
            .arg(m_axis.megahertzText(step),
                 parts.isEmpty() ? tr("no source has sweeps") : parts.join(QStringLiteral(", "))));
}

void VenuePage::setFollowNote(const QString &text)
{
    m_followNote->setText(text);
}

QString VenuePage::followNote() const
{
    return m_followNote->text();
}
