#include "CheckableHeader.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

const QRect CheckableHeader::k_checkboxRect(5, 5, 15, 15);

CheckableHeader::CheckableHeader(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{ }

void CheckableHeader::setState(Qt::CheckState state)
{
    m_state = state;
    // The header does not repaint when the rows change, so ask for it here; otherwise the box
    // would show a stale state until something else repaints the header.
    viewport()->update();
}

void CheckableHeader::setCheckboxDisable(bool disable)
{
    m_enabled = !disable;
    viewport()->update();
}

void CheckableHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != 0)
        return;

    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = k_checkboxRect;
    switch (m_state) {
    case Qt::Unchecked:
        option.state |= QStyle::State_Off;
        break;
    case Qt::PartiallyChecked:
        option.state |= QStyle::State_NoChange;
        break;
    case Qt::Checked:
        option.state |= QStyle::State_On;
        break;
    }
    if (!m_enabled) {
        option.state &= ~QStyle::State_Enabled;
        // Styles that draw from the palette alone need its disabled colours as well.
        option.palette.setCurrentColorGroup(QPalette::Disabled);
    }
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, this);
}

void CheckableHeader::mousePressEvent(QMouseEvent *event)
{
    if (m_enabled && k_checkboxRect.contains(event->localPos().toPoint())) {
        const bool checked = m_state != Qt::Checked;
        m_state = checked ? Qt::Checked : Qt::Unchecked;
        emit selectAllToggled(checked);
        viewport()->update();
        // The click belongs to the box: no sorting, no selection.
        return;
    }
    QHeaderView::mousePressEvent(event);
}
