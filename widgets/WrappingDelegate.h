#pragma once

#include <QStyledItemDelegate>

class QTreeView;

// Draws a tree view's texts wrapped at their column's width, each row as tall as its wrapped
// text needs, and lays the rows out again when a column's width changes: in a narrow panel no
// text is cut off.
class WrappingDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Becomes the view's delegate (and its child).
    explicit WrappingDelegate(QTreeView *view);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QTreeView *const m_view;
};
