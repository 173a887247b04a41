#include "ReplotPacer.h"

#include <qwt_plot.h>

ReplotPacer::ReplotPacer(QList<QwtPlot *> plots, int minIntervalMs, QObject *parent)
    : QObject(parent)
    , m_minIntervalMs(minIntervalMs)
{
    for (QwtPlot *plot : plots)
        m_plots.append(plot);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReplotPacer::now);
}

void ReplotPacer::request()
{
    if (m_timer.isActive())
        return;
    const qint64 since = m_last.isValid() ? m_last.elapsed() : m_minIntervalMs;
    if (since >= m_minIntervalMs)
        now();
    else
        m_timer.start(int(m_minIntervalMs - since));
}

void ReplotPacer::now()
{
    m_timer.stop();
    m_last.restart();
    for (const QPointer<QwtPlot> &plot : qAsConst(m_plots)) {
        if (plot)
            plot->replot();
    }
}
