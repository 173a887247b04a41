#pragma once

#include "data/MarkerSet.h"

#include <QTableWidget>

// The markers' read-outs under the spectrogram, one compact row per marker: number,
// frequency, the Max Hold, Average and newest-sweep levels, for markers 2 to 4 the distance to
// marker 1 (frequency and Max Hold) and, with a reference, how far the trace lies above it (the
// reference's own level in the cell's tool tip). Columns without content are hidden and none is
// wider than its figures, so that the whole table fits the page at the window's minimum size.
// Choosing a row selects its marker; Left and Right step it, Delete removes it.
class MarkerTable : public QTableWidget
{
    Q_OBJECT

public:
    enum Column {
        Number,
        Frequency,
        MaxHold,
        Average,
        Newest,
        DeltaMhz,
        DeltaDb,
        ReferenceDelta,
        ColumnCount
    };

    explicit MarkerTable(QWidget *parent = nullptr);

    // `reference`: whether a reference is set, and of which trace.
    void showReadouts(const QList<MarkerSet::Readout> &readouts, int selected, bool reference,
                      SpectrumTraces::Kind referenceKind);
    // The marker shown in a row; 0 for none.
    int numberAt(int row) const;

    // A level in dBm as the tables write it: whole dBm as they are, others with one decimal;
    // a dash where there is none.
    static QString levelText(double dbm);
    // A difference with its sign ("+3", "-0.5", "0").
    static QString differenceText(double db);
    // Fixes each column's width to hold its header and the widest text it is given (one per
    // column), so that columns do not shift as the figures change and none is wider than it
    // needs (the table then fits a page as narrow as the window allows).
    static void fitColumns(QTableWidget *table, const QStringList &widest);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void selectRequested(int number);
    void stepRequested(int steps);
    void removeRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // The style is known by then: the columns are fitted to its fonts.
    void showEvent(QShowEvent *event) override;

private:
    static QStringList widestTexts();
    void fitHeight();
    QList<int> m_numbers;
    bool m_updating = false;
};
