#include "WifiModel.h"

#include "data/Constants.h"

WifiModel::WifiModel(QObject *parent)
    : QAbstractItemModel(parent)
{ }

WifiScan WifiModel::update(const WifiScan &list, bool checkNew)
{
    QVector<bool> wasActive;
    wasActive.reserve(m_rows.size());
    for (Row &row : m_rows) {
        wasActive.append(row.active);
        row.active = false;
    }

    WifiScan result;
    for (const WifiApInfo &ap : list) {
        int r = m_rowByBssid.value(ap.bssid, -1);
        if (r >= 0) {
            Row &row = m_rows[r];
            row.active = true;
            row.ap.rssi = ap.rssi;
            emit dataChanged(index(r, RssiColumn), index(r, RssiColumn), {Qt::DisplayRole});
            if (m_filterEnabled) {
                const Qt::CheckState state = belowThreshold(row) ? Qt::Unchecked : Qt::Checked;
                // Announced only when it changes: every scan would otherwise redraw the
                // outlines once per access point.
                if (state != row.checkState) {
                    row.checkState = state;
                    emitCheckStateChanged(r, r);
                }
            }
        } else {
            r = m_rows.size();
            Row row;
            row.ap = ap;
            row.active = true;
            if (m_filterEnabled && belowThreshold(row))
                row.checkState = Qt::Unchecked;
            else
                row.checkState = checkNew ? Qt::Checked : Qt::Unchecked;
            beginInsertRows(QModelIndex(), r, r);
            m_rowByBssid.insert(ap.bssid, r);
            m_rows.append(row);
            endInsertRows();
        }
        if (m_rows.at(r).checkState == Qt::Checked)
            result.append(m_rows.at(r).ap);
    }

    // Rows that went out of the air or came back change their greying and their place in a
    // sorted view.
    for (int r = 0; r < wasActive.size(); ++r) {
        if (wasActive.at(r) != m_rows.at(r).active)
            emit dataChanged(index(r, NameColumn), index(r, ChannelColumn));
    }
    return result;
}

void WifiModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_rowByBssid.clear();
    endResetModel();
}

WifiScan WifiModel::onFilterEnableChanged(bool enable)
{
    m_filterEnabled = enable;
    WifiScan result;
    for (Row &row : m_rows) {
        if (enable && belowThreshold(row)) {
            row.checkState = Qt::Unchecked;
        } else {
            // Switching the filter off ticks every row again.
            row.checkState = Qt::Checked;
            if (row.active)
                result.append(row.ap);
        }
    }
    emitCheckStateChanged(0, m_rows.size() - 1);
    return result;
}

WifiScan WifiModel::onFilterValueChanged(int value)
{
    m_filterThreshold = value;
    WifiScan result;
    for (Row &row : m_rows) {
        if (m_filterEnabled)
            row.checkState = belowThreshold(row) ? Qt::Unchecked : Qt::Checked;
        if (row.active && row.checkState == Qt::Checked)
            result.append(row.ap);
    }
    if (m_filterEnabled)
        emitCheckStateChanged(0, m_rows.size() - 1);
    return result;
}

WifiScan WifiModel::checkAll(bool check)
{
    WifiScan result;
    for (Row &row : m_rows) {
        row.checkState = check ? Qt::Checked : Qt::Unchecked;
        // Access points out of the air are never drawn, ticked or not.
        if (check && row.active)
            result.append(row.ap);
    }
    emitCheckStateChanged(0, m_rows.size() - 1);
    return result;
}

WifiScan WifiModel::checkedNetworks() const
{
    WifiScan result;
    for (const Row &row : m_rows) {
        if (row.active && row.checkState == Qt::Checked)
            result.append(row.ap);
    }
    return result;
}

QModelIndex WifiModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= m_rows.size() || column < 0 || column >= ColumnCount)
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex WifiModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int WifiModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int WifiModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

bool WifiModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid();
}

QVariant WifiModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const Row &row = m_rows.at(index.row());
    switch (index.column()) {
    case CheckColumn:
        if (role == Qt::CheckStateRole)
            return int(row.checkState);
        if (role == Qt::ToolTipRole)
            return row.ap.bssid;
        break;
    case NameColumn:
        if (role == Qt::DisplayRole)
            return row.ap.ssid;
        if (role == Qt::ForegroundRole)
            return row.active ? row.ap.color : row.ap.color.darker(200);
        break;
    case RssiColumn:
        if (role == Qt::DisplayRole)
            return row.ap.rssi;
        break;
    case ChannelColumn:
        if (role == Qt::DisplayRole)
            return Constants::k_wifiFreqChannel.value(double(row.ap.frequency), 0);
        break;
    }
    return QVariant();
}

QVariant WifiModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case NameColumn:
        return tr("Name");
    case RssiColumn:
        return tr("Rssi");
    case ChannelColumn:
        return tr("Channel");
    }
    return QVariant();
}

bool WifiModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    // While the filter is on it alone decides what is ticked.
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() != CheckColumn
        || role != Qt::CheckStateRole || m_filterEnabled)
        return false;
    m_rows[index.row()].checkState = value.toInt() == Qt::Checked ? Qt::Checked : Qt::Unchecked;
    emitCheckStateChanged(index.row(), index.row());
    return true;
}

Qt::ItemFlags WifiModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return Qt::NoItemFlags;
    if (index.column() == CheckColumn)
        return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
    // Access points out of the air are drawn disabled.
    if (m_rows.at(index.row()).active)
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return Qt::ItemNeverHasChildren;
}

void WifiModel::emitCheckStateChanged(int firstRow, int lastRow)
{
    if (firstRow > lastRow)
        return;
    // Over the whole row: a check-state change moves the row in a view sorted by any column.
    emit dataChanged(index(firstRow, CheckColumn), index(lastRow, ChannelColumn),
                     {Qt::CheckStateRole});
}
