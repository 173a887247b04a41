#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QwtPlot;

// Redraws a set of plots at most once per interval: a request within the interval after the
// last redraw is served once the interval is over, and requests in between share it.
class ReplotPacer : public QObject
{
    Q_OBJECT

public:
    ReplotPacer(QList<QwtPlot *> plots, int minIntervalMs, QObject *parent = nullptr);

    void request();
    // Redraws now (a pending redraw is served by this one).
    void now();
    bool isPending() const { return m_timer.isActive(); }

private:
    QList<QPointer<QwtPlot>> m_plots;
    const int m_minIntervalMs;
    QTimer m_timer;
    QElapsedTimer m_last;
};
