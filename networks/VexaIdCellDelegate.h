#pragma once

#include <QStyledItemDelegate>

// Draws a VEXA ID cell: the ID, and under it, when the advisor has scored the plan, its busy
// share in percent.
class VexaIdCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
