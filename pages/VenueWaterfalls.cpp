#include "VenueWaterfalls.h"

#include "data/Constants.h"
#include "data/SampleStore.h"
#include "plots/PlotPrompts.h"
#include "plots/WaterfallPlot.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

VenueWaterfalls::VenueWaterfalls(const FrequencyAxis &axis, int steps, QWidget *parent)
    : QScrollArea(parent)
    , m_axis(axis)
    , m_steps(steps)
{
    setWidgetResizable(true);
    auto *rows = new QWidget(this);
    m_rows = new QVBoxLayout(rows);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(2);
    m_rows->addStretch(1);
    setWidget(rows);
}

WaterfallPlot *VenueWaterfalls::addRow(const QString &name, const QColor &colour)
{
    auto *row = new QWidget(widget());
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(name, row);
    label->setFixedWidth(110);
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(colour.name()));
    layout->addWidget(label);
    auto *plot = new WaterfallPlot(row);
    // A row has no events of its own: clicks ask nothing.
    plot->setPrompts(PlotPrompts::none());
    plot->setFixedHeight(k_rowHeight);
    // Slim: the time of day on the left, no titles, no channel scale, no colour bar.
    plot->setAxisTitle(QwtPlot::yLeft, QString());
    plot->setAxisMaxMajor(QwtPlot::yLeft, 2);
    plot->setAxisMaxMinor(QwtPlot::yLeft, 0);
    plot->enableAxis(QwtPlot::xTop, false);
    for (QWidget *onCanvas :
         plot->canvas()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        onCanvas->hide();
    plot->setAxisScale(QwtPlot::xBottom, m_axis.megahertz(0), m_axis.megahertz(m_steps - 1));
    plot->setDataInterval(Qt::XAxis, m_axis.cells(m_steps));
    plot->setDataInterval(Qt::ZAxis,
                          QwtInterval(Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi));
    plot->enableAxis(QwtPlot::xBottom, false);
    layout->addWidget(plot, 1);
    row->hide();
    // Above the stretch that keeps the rows at the top.
    m_rows->insertWidget(m_rows->count() - 1, row);
    m_plots.append(plot);
    return plot;
}

void VenueWaterfalls::removeRow(WaterfallPlot *plot)
{
    if (m_plots.removeOne(plot))
        delete plot->parentWidget();
}

void VenueWaterfalls::showWindow(const QList<Stretch> &rows, qint64 from, qint64 to)
{
    for (const Stretch &row : rows) {
        WaterfallPlot *plot = row.plot;
        const bool any = row.store && !row.store->isEmpty();
        plot->parentWidget()->setVisible(any);
        if (!any)
            continue;
        const bool autoReplot = plot->autoReplot();
        plot->setAutoReplot(false);
        if (row.last > row.first)
            plot->setData(*row.store, row.first, row.last);
        else
            plot->clearData();
        plot->setAxisScale(QwtPlot::yLeft, double(from), double(to));
        plot->setAutoReplot(autoReplot);
    }
    const int count = int(shown().size());
    setMinimumHeight(qBound(1, count, 3) * (k_rowHeight + 2) + 4);
    for (WaterfallPlot *plot : shown())
        plot->replot();
}

QList<WaterfallPlot *> VenueWaterfalls::shown() const
{
    QList<WaterfallPlot *> plots;
    for (WaterfallPlot *plot : m_plots) {
        if (!plot->parentWidget()->isHidden())
            plots << plot;
    }
    return plots;
}
