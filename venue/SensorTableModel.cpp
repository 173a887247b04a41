#include "SensorTableModel.h"

#include <QColor>
#include <QDateTime>
#include <QLocale>

int SensorTableModel::rowOf(const QString &id) const
{
    for (int row = 0; row < m_sensors.size(); ++row) {
        if (m_sensors.at(row).status.id == id)
            return row;
    }
    return -1;
}

void SensorTableModel::update(const SensorInfo &info)
{
    const int row = rowOf(info.status.id);
    if (row < 0) {
        beginInsertRows(QModelIndex(), m_sensors.size(), m_sensors.size());
        m_sensors.append(info);
        endInsertRows();
        return;
    }
    m_sensors[row] = info;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

int SensorTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_sensors.size();
}

int SensorTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SensorTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case Name:
        return tr("Sensor");
    case Band:
        return tr("Band");
    case State:
        return tr("State");
    case Rate:
        return tr("Sweeps/s");
    case Backlog:
        return tr("Backlog");
    case LastHeard:
        return tr("Last heard");
    case Clock:
        return tr("Clock");
    default:
        return QVariant();
    }
}

QVariant SensorTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_sensors.size())
        return QVariant();
    const SensorInfo &info = m_sensors.at(index.row());
    const SensorStatus &status = info.status;
    if (role == Qt::ForegroundRole) {
        if (!info.isOnline())
            return QColor(Qt::gray);
        if (index.column() == Clock && !info.clockWarning().isEmpty())
            return QColor(255, 140, 66);
        return QVariant();
    }
    if (role == Qt::ToolTipRole) {
        if (index.column() == Clock)
            return info.clockWarning();
        if (index.column() == Name)
            return status.id;
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole && (index.column() == Rate || index.column() == Backlog))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    const QLocale locale;
    switch (index.column()) {
    case Name:
        return info.displayName();
    case Band:
        return status.band == 900 ? tr("900 MHz") : status.band == 2400 ? tr("2.4 GHz") : QString();
    case State:
        return status.state;
    case Rate:
        return info.isOnline() ? locale.toString(info.sweepsPerSecond, 'f', 1) : QString();
    case Backlog:
        return locale.toString(status.backlog);
    case LastHeard:
        return info.lastHeardMs > 0
            ? QDateTime::fromMSecsSinceEpoch(info.lastHeardMs).toString(QStringLiteral("HH:mm:ss"))
            : QString();
    case Clock:
        if (!info.clockKnown)
            return QString();
        return !info.clockWarning().isEmpty()
            ? info.clockWarning()
            // Within 50 ms reads as 0.0, never as "-0.0".
            : tr("%1 s").arg(locale.toString(
                qAbs(info.clockOffsetMs) < 50 ? 0.0 : info.clockOffsetMs / 1000.0, 'f', 1));
    default:
        return QVariant();
    }
}
