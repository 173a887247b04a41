#include "WrappingDelegate.h"

#include <QHeaderView>
#include <QTreeView>

WrappingDelegate::WrappingDelegate(QTreeView *view)
    : QStyledItemDelegate(view)
    , m_view(view)
{
    view->setWordWrap(true);
    view->setUniformRowHeights(false);
    view->setItemDelegate(this);
    // The heights follow the widths; once the resize is over, the rows are laid out anew.
    connect(view->header(), &QHeaderView::sectionResized, view, &QTreeView::doItemsLayout,
            Qt::QueuedConnection);
}

QSize WrappingDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The style wraps at the width of the rectangle it is given: the column's.
    QStyleOptionViewItem wrapped(option);
    wrapped.rect = QRect(0, 0, m_view->columnWidth(index.column()), 1);
    wrapped.features |= QStyleOptionViewItem::WrapText;
    return QStyledItemDelegate::sizeHint(wrapped, index);
}
