#include "VexaIdPanel.h"

#include "VexaIdCellDelegate.h"
#include "VexaIdDetails.h"
#include "VexaIdTableView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QResizeEvent>
#include <QSpinBox>
#include <QVBoxLayout>

VexaIdPanel::VexaIdPanel(QWidget *parent)
    : QWidget(parent)
{
    m_tableView = new VexaIdTableView(this);
    m_details = new VexaIdDetails(this);
    m_model = new VexaIdModel(this);
    m_tableView->setModel(m_model);
    setBand(VexaIdModel::Band2400MHz);
    connect(m_tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &VexaIdPanel::onSelectionChanged);
    connect(m_tableView, &VexaIdTableView::hoverIndexChanged, this,
            &VexaIdPanel::onHoverIndexChanged);
    m_tableView->setMinimumWidth(m_details->minimumWidth());
    m_tableView->setItemDelegate(new VexaIdCellDelegate(m_tableView));
    m_details->hide();

    // Recommend: rank the plans by how busy their frequencies were in the window in view.
    m_recommend = new QCheckBox(tr("Recommend"), this);
    m_recommend->setToolTip(tr("Rank the plans by how busy their frequencies are in the "
                               "window in view and select the quietest"));
    m_universes = new QSpinBox(this);
    m_universes->setRange(0, 8);
    m_universes->setSpecialValueText(tr("any"));
    m_universes->setToolTip(tr("Only plans that carry at least this many universes"));
    m_threshold = new QSpinBox(this);
    m_threshold->setRange(-120, 0);
    m_threshold->setValue(-80);
    m_threshold->setSuffix(tr(" dBm"));
    m_threshold->setToolTip(tr("A frequency counts as busy in a sweep at or above this level"));
    m_recommendation = new QLabel(this);
    m_recommendation->setWordWrap(true);
    m_recommendation->hide();
    auto *controls = new QGridLayout;
    controls->addWidget(m_recommend, 0, 0);
    controls->addWidget(m_recommendation, 0, 1, 1, 3);
    controls->addWidget(new QLabel(tr("Universes \u2265"), this), 1, 0);
    controls->addWidget(m_universes, 1, 1);
    controls->addWidget(new QLabel(tr("Busy \u2265"), this), 1, 2);
    controls->addWidget(m_threshold, 1, 3);
    controls->setColumnStretch(1, 1);
    controls->setColumnStretch(3, 1);
    connect(m_recommend, &QCheckBox::toggled, this, &VexaIdPanel::onRecommendToggled);
    const auto request = [this] {
        if (recommending())
            emit rankingRequested();
    };
    connect(m_universes, QOverload<int>::of(&QSpinBox::valueChanged), this, request);
    connect(m_threshold, QOverload<int>::of(&QSpinBox::valueChanged), this, request);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_tableView);
    layout->addWidget(m_details);
    m_tableView->resizeColumnsToContents();
}

bool VexaIdPanel::recommending() const
{
    return m_recommend->isChecked();
}

VexaIdAdvisor::Options VexaIdPanel::advisorOptions() const
{
    VexaIdAdvisor::Options options;
    options.thresholdDbm = m_threshold->value();
    options.minUniverses = m_universes->value();
    return options;
}

QModelIndex VexaIdPanel::indexOf(int vexaId) const
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        for (int column = 0; column < m_model->columnCount(); ++column) {
            const QModelIndex index = m_model->index(row, column);
            if (index.data().isValid() && index.data().toInt() == vexaId)
                return index;
        }
    }
    return QModelIndex();
}

void VexaIdPanel::onRecommendToggled(bool on)
{
    if (on) {
        m_recommendation->show();
        emit rankingRequested();
        return;
    }
    // The plan chosen stays selected; only the scores go.
    m_recommendedId = 0;
    m_model->clearScores();
    m_recommendation->hide();
    m_tableView->resizeRowsToContents();
}

void VexaIdPanel::setRanking(const QList<VexaIdAdvisor::Score> &ranking)
{
    if (!recommending())
        return;
    m_model->setScores(ranking);
    m_tableView->resizeRowsToContents();
    if (ranking.isEmpty()) {
        m_recommendation->setText(tr("No sweeps in view to rank."));
        return;
    }
    const VexaIdAdvisor::Score &best = ranking.first();
    m_recommendation->setText(
        tr("Best: %1, busy %2 %").arg(best.id).arg(best.busyShare * 100.0, 0, 'f', 1));
    if (best.id == m_recommendedId)
        return;
    // The best plan replaces the one recommended before.
    QItemSelectionModel *selection = m_tableView->selectionModel();
    const QModelIndex previous = indexOf(m_recommendedId);
    if (previous.isValid())
        selection->select(previous, QItemSelectionModel::Deselect);
    const QModelIndex next = indexOf(best.id);
    if (next.isValid() && !selection->isSelected(next))
        selection->select(next, QItemSelectionModel::Select);
    m_recommendedId = best.id;
}

void VexaIdPanel::setBand(VexaIdModel::Band band)
{
    if (band != m_model->band())
        m_recommendedId = 0;
    m_model->setBand(band);
}

bool VexaIdPanel::isSelected(const QModelIndex &index) const
{
    return index.isValid() && m_tableView->selectionModel()->isSelected(index);
}

void VexaIdPanel::onSelectionChanged(const QItemSelection &selected,
                                     const QItemSelection &deselected)
{
    for (const QModelIndex &index : selected.indexes()) {
        Q_EMIT vexaIdSelected(index.data().toInt());
        Q_EMIT vexaIdChosen(index.data().toInt(), true);
    }
    for (const QModelIndex &index : deselected.indexes()) {
        Q_EMIT vexaIdDeselected(index.data().toInt());
        Q_EMIT vexaIdChosen(index.data().toInt(), false);
    }
}

void VexaIdPanel::onHoverIndexChanged(const QModelIndex &index)
{
    if (index == QModelIndex(m_lastHoverIndex))
        return;

    QItemSelectionModel *selection = m_tableView->selectionModel();
    if (index.isValid() && index.data().isValid()) {
        m_details->setVexaId(index.data().toInt());
        m_details->show();
    } else if (!selection->hasSelection()) {
        m_details->hide();
    } else {
        const QModelIndex current = m_tableView->currentIndex();
        const QModelIndex shown
            = selection->isSelected(current) ? current : selection->selectedIndexes().last();
        m_details->setVexaId(shown.data().toInt());
        m_details->show();
    }

    if (!isSelected(m_lastHoverIndex))
        Q_EMIT vexaIdDeselected(m_lastHoverIndex.data().toInt());
    Q_EMIT vexaIdSelected(index.data().toInt());
    m_lastHoverIndex = index;
}

void VexaIdPanel::resizeEvent(QResizeEvent *event)
{
    const int columns = m_model->columnCount();
    if (columns > 0) {
        const QMargins margins = m_tableView->contentsMargins();
        const int width = (m_tableView->width() - m_tableView->verticalHeader()->width()
                           - margins.left() - margins.right())
            / columns;
        for (int column = 0; column < columns; ++column)
            m_tableView->setColumnWidth(column, width);
    }
    QWidget::resizeEvent(event);
}
