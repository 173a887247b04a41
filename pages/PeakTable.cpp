#include "PeakTable.h"

#include "MarkerTable.h"

#include <QHeaderView>
#include <QScrollBar>

PeakTable::PeakTable(QWidget *parent)
    : QTableWidget(0, ColumnCount, parent)
{
    setHorizontalHeaderLabels({QStringLiteral("#"), tr("MHz"), tr("Max"), tr("Busy %")});
    horizontalHeaderItem(Rank)->setToolTip(tr("Rank, strongest first"));
    horizontalHeaderItem(Frequency)->setToolTip(tr("Frequency of the peak, MHz"));
    horizontalHeaderItem(MaxHold)->setToolTip(tr("Max Hold over the window in view, dBm"));
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setAccessibleName(tr("Peaks"));
    setToolTip(tr("Click a peak to put marker 1 there"));
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (stepAt(row) >= 0)
            emit peakChosen(stepAt(row));
    });
}

void PeakTable::showPeaks(const QList<PeakSearch::Peak> &peaks, const SpectrumTraces &traces,
                          const FrequencyAxis &axis)
{
    const int rows = qMin(peaks.size(), int(k_rows));
    setRowCount(rows);
    m_steps.clear();
    horizontalHeaderItem(Busy)->setToolTip(
        tr("Share of the sweeps in view at or above %1 dBm").arg(traces.threshold()));
    for (int row = 0; row < rows; ++row) {
        const PeakSearch::Peak &peak = peaks.at(row);
        m_steps.append(peak.step);
        const QStringList texts{QString::number(row + 1), axis.megahertzText(peak.step),
                                MarkerTable::levelText(peak.level),
                                QString::number(traces.busyShare(peak.step) * 100.0, 'f', 1)};
        for (int column = 0; column < ColumnCount; ++column) {
            QTableWidgetItem *current = item(row, column);
            if (!current) {
                current = new QTableWidgetItem;
                current->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                current->setFlags(Qt::ItemIsEnabled);
                setItem(row, column, current);
            }
            if (current->text() != texts.at(column))
                current->setText(texts.at(column));
        }
    }
    fitWidth();
}

void PeakTable::fitWidth()
{
    // As wide as its columns, so that nothing is cut off beside a narrow plot.
    MarkerTable::fitColumns(this,
                            {QStringLiteral("10"), QStringLiteral("2500.000"),
                             QStringLiteral("-100"), QStringLiteral("100.0")});
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < ColumnCount; ++column)
        width += horizontalHeader()->sectionSize(column);
    setFixedWidth(width);
}

void PeakTable::showEvent(QShowEvent *event)
{
    fitWidth();
    QTableWidget::showEvent(event);
}
