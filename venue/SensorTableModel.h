#pragma once

#include "SensorInfo.h"

#include <QAbstractTableModel>
#include <QList>

// The sensors found on a venue's broker, a row each in the order they were first heard: name,
// band, state, sweeps per second, backlog, when last heard and the clock's offset. A sensor
// that went offline stays, greyed, with the time it was last heard; a clock more than a second
// off shows its warning.
class SensorTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Name, Band, State, Rate, Backlog, LastHeard, Clock, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void update(const SensorInfo &info);
    const SensorInfo &sensorAt(int row) const { return m_sensors.at(row); }
    int rowOf(const QString &id) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<SensorInfo> m_sensors;
};
