#pragma once

#include "data/FrequencyAxis.h"
#include "data/PeakSearch.h"
#include "data/SpectrumTraces.h"

#include <QTableWidget>

// The strongest peaks of the Max Hold over the window in view: frequency, level and the share
// of sweeps at or above the busy threshold there. A click on a row asks for marker 1 there.
class PeakTable : public QTableWidget
{
    Q_OBJECT

public:
    static constexpr int k_rows = 10;
    enum Column { Rank, Frequency, MaxHold, Busy, ColumnCount };

    explicit PeakTable(QWidget *parent = nullptr);

    // The first k_rows of the peaks, strongest first.
    void showPeaks(const QList<PeakSearch::Peak> &peaks, const SpectrumTraces &traces,
                   const FrequencyAxis &axis);
    int stepAt(int row) const { return m_steps.value(row, -1); }

Q_SIGNALS:
    void peakChosen(int step);

protected:
    // The style is known by then: the columns are fitted to its fonts.
    void showEvent(QShowEvent *event) override;

private:
    void fitWidth();
    QList<int> m_steps;
};
