#include "VexaIdTableHeaderView.h"

#include <QMouseEvent>

VexaIdTableHeaderView::VexaIdTableHeaderView(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
    setMouseTracking(true);
    setSectionsClickable(true);
}

void VexaIdTableHeaderView::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT hoverIndexChanged(indexAt(event->pos()));
}
