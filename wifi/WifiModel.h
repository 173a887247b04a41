#pragma once

#include "data/WifiApInfo.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QVector>

// Every access point heard since the list was last cleared, one row per BSSID in the order first
// heard: whether it was in the latest scan (active) and whether it is chosen for drawing
// (checked). Optionally only the access points at or above a level threshold are checked.
// Columns: check box (tool tip: BSSID), name, RSSI, channel. Rows never move or disappear
// except by clear().
class WifiModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { CheckColumn, NameColumn, RssiColumn, ChannelColumn, ColumnCount };

    explicit WifiModel(QObject *parent = nullptr);

    // Merges one scan. Access points heard again keep their first name, frequency and colour
    // but take the new level; the others stay listed, inactive. New access points arrive
    // checked when `checkNew` is true (and the filter does not exclude them). Returns the
    // access points of this scan that are to be drawn.
    WifiScan update(const WifiScan &list, bool checkNew);
    void clear();

    WifiScan onFilterEnableChanged(bool enable);
    WifiScan onFilterValueChanged(int value);
    WifiScan checkAll(bool check);
    // The access points to draw: active and checked, in row order.
    WifiScan checkedNetworks() const;

    bool filterEnabled() const { return m_filterEnabled; }
    int filterThreshold() const { return m_filterThreshold; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Row
    {
        WifiApInfo ap;
        Qt::CheckState checkState = Qt::Unchecked;
        bool active = false;
    };

    bool belowThreshold(const Row &row) const { return row.ap.rssi < m_filterThreshold; }
    void emitCheckStateChanged(int firstRow, int lastRow);

    bool m_filterEnabled = false;
    int m_filterThreshold = -80;
    QHash<QString, int> m_rowByBssid;
    QVector<Row> m_rows;
};
