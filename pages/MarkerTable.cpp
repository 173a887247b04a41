#include "MarkerTable.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <cmath>

namespace {

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

MarkerTable::MarkerTable(QWidget *parent)
    : QTableWidget(0, ColumnCount, parent)
{
    setHorizontalHeaderLabels({QString(), tr("MHz"), tr("Max"), tr("Avg"), tr("Now"),
                               tr("\u0394 MHz"), tr("\u0394 dB"), tr("\u0394 Ref")});
    const QStringList tips{tr("Marker"),
                           tr("Frequency of the marker's step, MHz"),
                           tr("Max Hold over the window in view, dBm"),
                           tr("Average over the window in view, dBm"),
                           tr("Newest sweep in view, dBm"),
                           tr("Frequency from marker 1, MHz"),
                           tr("Max Hold difference to marker 1, dB"),
                           tr("The reference's trace now, less the reference, dB")};
    for (int column = 0; column < ColumnCount; ++column)
        horizontalHeaderItem(column)->setToolTip(tips.at(column));
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setAccessibleName(tr("Markers"));
    connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
        if (m_updating)
            return;
        const QList<QTableWidgetItem *> chosen = selectedItems();
        if (!chosen.isEmpty())
            emit selectRequested(numberAt(chosen.first()->row()));
    });
    fitColumns(this, widestTexts());
    fitHeight();
}

void MarkerTable::fitColumns(QTableWidget *table, const QStringList &widest)
{
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(1);
    // The style's padding: 4 pixels each side of a header, about as much around a cell.
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem *title = table->horizontalHeaderItem(column);
        const int heading
            = header->fontMetrics().horizontalAdvance(title ? title->text() : QString()) + 10;
        const int text = table->fontMetrics().horizontalAdvance(widest.value(column)) + 8;
        header->resizeSection(column, qMax(heading, text));
    }
}

QStringList MarkerTable::widestTexts()
{
    return {QStringLiteral("4"),      QStringLiteral("2500.000"), QStringLiteral("-100"),
            QStringLiteral("-100.0"), QStringLiteral("-100"),     QStringLiteral("+100.000"),
            QStringLiteral("-100"),   QStringLiteral("+100.0")};
}

QString MarkerTable::levelText(double dbm)
{
    if (!(dbm > SpectrumTraces::k_noLevel))
        return QStringLiteral("\u2013");
    return dbm == std::floor(dbm) ? QString::number(int(dbm)) : QString::number(dbm, 'f', 1);
}

QString MarkerTable::differenceText(double db)
{
    const bool whole = db == std::floor(db);
    const QString magnitude
        = whole ? QString::number(std::abs(int(db))) : QString::number(std::abs(db), 'f', 1);
    if (magnitude == QLatin1String("0") || magnitude == QLatin1String("0.0"))
        return magnitude;
    return (db < 0 ? QStringLiteral("-") : QStringLiteral("+")) + magnitude;
}

void MarkerTable::showReadouts(const QList<MarkerSet::Readout> &readouts, int selected,
                               bool reference, SpectrumTraces::Kind referenceKind)
{
    m_updating = true;
    setRowCount(readouts.size());
    m_numbers.clear();
    bool deltas = false;
    for (int row = 0; row < readouts.size(); ++row) {
        const MarkerSet::Readout &r = readouts.at(row);
        m_numbers.append(r.number);
        deltas = deltas || r.hasDelta;
        const QString dash = QStringLiteral("\u2013");
        QString deltaMhz = dash;
        if (r.hasDelta) {
            deltaMhz = FrequencyAxis::megahertzText(r.deltaHertz);
            if (r.deltaHertz > 0)
                deltaMhz.prepend(QLatin1Char('+'));
        }
        const QStringList texts{
            QString::number(r.number), FrequencyAxis::megahertzText(r.hertz),
            r.hasLevels ? levelText(r.maxHold) : dash,
            // A mean: always to the tenth, "-87.0" beside "-86.9".
            r.hasLevels ? QString::number(r.average, 'f', 1) : dash,
            r.hasLevels ? levelText(r.newest) : dash, deltaMhz,
            r.hasDelta && r.hasLevels ? differenceText(r.deltaDb) : dash,
            r.hasReference ? differenceText(std::round(r.referenceDelta * 10.0) / 10.0) : dash};
        for (int column = 0; column < ColumnCount; ++column) {
            QTableWidgetItem *current = item(row, column);
            if (!current)
                setItem(row, column, cell(texts.at(column)));
            else if (current->text() != texts.at(column))
                current->setText(texts.at(column));
        }
        item(row, Number)->setTextAlignment(Qt::AlignCenter);
        item(row, ReferenceDelta)
            ->setToolTip(
                r.hasReference
                    ? tr("Reference %1 dBm").arg(levelText(std::round(r.reference * 10.0) / 10.0))
                    : QString());
    }
    setColumnHidden(DeltaMhz, !deltas);
    setColumnHidden(DeltaDb, !deltas);
    setColumnHidden(ReferenceDelta, !reference);
    horizontalHeaderItem(ReferenceDelta)
        ->setToolTip(referenceKind == SpectrumTraces::Kind::Average
                         ? tr("Average now, less the reference, dB")
                         : tr("Max Hold now, less the reference, dB"));
    const int row = m_numbers.indexOf(selected);
    if (row >= 0)
        selectRow(row);
    else
        clearSelection();
    m_updating = false;
    fitColumns(this, widestTexts());
    fitHeight();
}

int MarkerTable::numberAt(int row) const
{
    return m_numbers.value(row, 0);
}

void MarkerTable::fitHeight()
{
    setFixedHeight(sizeHint().height());
}

QSize MarkerTable::sizeHint() const
{
    const int rows = qMax(rowCount(), 1);
    const int height = horizontalHeader()->sizeHint().height()
        + rows * verticalHeader()->defaultSectionSize() + 2 * frameWidth()
        + (horizontalScrollBar()->isVisible() ? horizontalScrollBar()->sizeHint().height() : 0);
    return QSize(QTableWidget::sizeHint().width(), height);
}

QSize MarkerTable::minimumSizeHint() const
{
    return QSize(QTableWidget::minimumSizeHint().width(), sizeHint().height());
}

void MarkerTable::showEvent(QShowEvent *event)
{
    fitColumns(this, widestTexts());
    fitHeight();
    QTableWidget::showEvent(event);
}

void MarkerTable::keyPressEvent(QKeyEvent *event)
{
    const int stride = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        emit stepRequested(-stride);
        return;
    case Qt::Key_Right:
        emit stepRequested(stride);
        return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        emit removeRequested();
        return;
    default:
        QTableWidget::keyPressEvent(event);
    }
}
