#include "VexaIdCellDelegate.h"

#include "VexaIdModel.h"

#include <QApplication>
#include <QPainter>

void VexaIdCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    const QVariant share = index.data(VexaIdModel::ShareRole);
    if (!share.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell's background and selection as usual, then the two lines of text.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString id = opt.text;
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    painter->save();
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
    const QRect upper(opt.rect.left(), opt.rect.top(), opt.rect.width(), opt.rect.height() / 2);
    const QRect lower(opt.rect.left(), upper.bottom() + 1, opt.rect.width(),
                      opt.rect.height() - upper.height());
    painter->drawText(upper, Qt::AlignHCenter | Qt::AlignBottom, id);
    QFont small = opt.font;
    small.setPointSizeF(small.pointSizeF() * 0.85);
    painter->setFont(small);
    painter->drawText(lower, Qt::AlignHCenter | Qt::AlignTop,
                      QStringLiteral("%1 %").arg(share.toDouble() * 100.0, 0, 'f', 1));
    painter->restore();
}

QSize VexaIdCellDelegate::sizeHint(const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QSize hint = QStyledItemDelegate::sizeHint(option, index);
    if (index.data(VexaIdModel::ShareRole).isValid())
        hint.setHeight(hint.height() * 2 - option.fontMetrics.descent());
    return hint;
}
