#pragma once

#include "data/FrequencyAxis.h"

#include <QList>
#include <QScrollArea>

class QColor;
class QVBoxLayout;
class SampleStore;
class WaterfallPlot;

// The slim waterfalls of the venue page: a row per source, its name in its colour beside a
// waterfall a few lines high, every row on the same stretch of time (newest at the top) and the
// same frequencies, each at the same place in every row (no row has a scale of its own). Up
// to three rows show without scrolling.
class VenueWaterfalls : public QScrollArea
{
    Q_OBJECT

public:
    // The height of a row's waterfall, pixels.
    static constexpr int k_rowHeight = 76;

    VenueWaterfalls(const FrequencyAxis &axis, int steps, QWidget *parent);

    // A new row, hidden until its source has sweeps; the waterfall goes with removeRow().
    WaterfallPlot *addRow(const QString &name, const QColor &colour);
    void removeRow(WaterfallPlot *plot);

    // What each row shows: sweeps [first, last) of its source's store (a row of an empty store
    // is hidden).
    struct Stretch
    {
        WaterfallPlot *plot = nullptr;
        const SampleStore *store = nullptr;
        int first = 0;
        int last = 0;
    };
    // Every row on the window from `from` to `to` (ms since the epoch).
    void showWindow(const QList<Stretch> &rows, qint64 from, qint64 to);
    // The rows shown, top to bottom.
    QList<WaterfallPlot *> shown() const;

private:
    const FrequencyAxis m_axis;
    const int m_steps;
    QVBoxLayout *m_rows = nullptr;
    QList<WaterfallPlot *> m_plots;
};
