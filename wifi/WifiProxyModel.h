#pragma once

#include <QSortFilterProxyModel>

// Sorts the Wi-Fi list. By name or level, access points out of the air come before those on
// the air and unticked before ticked ones, then the values compare; so a descending sort by
// level lists the active, ticked, strongest access points first.
class WifiProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit WifiProxyModel(QObject *parent = nullptr);

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
};
