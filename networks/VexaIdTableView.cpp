#include "VexaIdTableView.h"

#include "VexaIdTableHeaderView.h"

#include <QMouseEvent>

VexaIdTableView::VexaIdTableView(QWidget *parent)
    : QTableView(parent)
{
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    auto *horizontal = new VexaIdTableHeaderView(Qt::Horizontal, this);
    auto *vertical = new VexaIdTableHeaderView(Qt::Vertical, this);
    setHorizontalHeader(horizontal);
    setVerticalHeader(vertical);
    connect(horizontal, &VexaIdTableHeaderView::hoverIndexChanged, this,
            &VexaIdTableView::hoverIndexChanged);
    connect(vertical, &VexaIdTableHeaderView::hoverIndexChanged, this,
            &VexaIdTableView::hoverIndexChanged);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::MultiSelection);
    setCornerButtonEnabled(false);
}

void VexaIdTableView::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT hoverIndexChanged(indexAt(event->pos()));
}

void VexaIdTableView::leaveEvent(QEvent *event)
{
    // Without this, a preview would stay on the plot after the mouse left the panel quickly.
    Q_EMIT hoverIndexChanged(QModelIndex());
    QTableView::leaveEvent(event);
}
