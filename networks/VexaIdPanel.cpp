#include "VexaIdPanel.h"

#include "VexaIdDetails.h"
#include "VexaIdTableView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QResizeEvent>
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
    m_details->hide();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tableView);
    layout->addWidget(m_details);
    m_tableView->resizeColumnsToContents();
}

void VexaIdPanel::setBand(VexaIdModel::Band band)
{
    m_model->setBand(band);
}

bool VexaIdPanel::isSelected(const QModelIndex &index) const
{
    return index.isValid() && m_tableView->selectionModel()->isSelected(index);
}

void VexaIdPanel::onSelectionChanged(const QItemSelection &selected,
                                     const QItemSelection &deselected)
{
    for (const QModelIndex &index : selected.indexes())
        Q_EMIT vexaIdSelected(index.data().toInt());
    for (const QModelIndex &index : deselected.indexes())
        Q_EMIT vexaIdDeselected(index.data().toInt());
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
