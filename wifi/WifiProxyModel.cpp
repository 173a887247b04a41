#include "WifiProxyModel.h"

#include "WifiModel.h"

WifiProxyModel::WifiProxyModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{ }

bool WifiProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QAbstractItemModel *model = left.model();
    switch (left.column()) {
    case WifiModel::CheckColumn:
        return left.data(Qt::CheckStateRole).toUInt() < right.data(Qt::CheckStateRole).toUInt();
    case WifiModel::ChannelColumn:
        return left.data().toUInt() < right.data().toUInt();
    default:
        break;
    }

    const bool leftEnabled = model->flags(left) & Qt::ItemIsEnabled;
    const bool rightEnabled = model->flags(right) & Qt::ItemIsEnabled;
    if (leftEnabled != rightEnabled)
        return !leftEnabled;

    const uint leftCheck
        = left.siblingAtColumn(WifiModel::CheckColumn).data(Qt::CheckStateRole).toUInt();
    const uint rightCheck
        = right.siblingAtColumn(WifiModel::CheckColumn).data(Qt::CheckStateRole).toUInt();
    if (leftCheck != rightCheck)
        return leftCheck < rightCheck;

    if (left.column() == WifiModel::NameColumn)
        return left.data().toString() < right.data().toString();
    return left.data().toInt() < right.data().toInt();
}
