#include "VexaIdModel.h"

const VexaIdModel::Table VexaIdModel::k_data900MHz{
    {9150, 9250, 9350}, {9100, 9200, 9300}, {9110, 9210, 9310}, {9120, QVariant(), QVariant()},
    {9130, 9230, 9330},
};
const QVector<QVariant> VexaIdModel::k_vHeader900MHz{"Adaptive", "Full", "Low", "Mid", "High"};
const QVector<QVariant> VexaIdModel::k_hHeader900MHz{1, 2, 4};

const VexaIdModel::Table VexaIdModel::k_data2400MHz{
    {24150, 24250, 24350},           {24100, 24200, 24300}, {24110, 24210, 24310},
    {24120, QVariant(), QVariant()}, {24130, 24230, 24330}, {24140, 24240, 24340},
};
const QVector<QVariant> VexaIdModel::k_vHeader2400MHz{"Adaptive", "Full", "Low",
                                                      "Mid",      "High", "Max"};
const QVector<QVariant> VexaIdModel::k_hHeader2400MHz{1, 2, 5};

VexaIdModel::VexaIdModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

const VexaIdModel::Table &VexaIdModel::table() const
{
    return m_band == Band900MHz ? k_data900MHz : k_data2400MHz;
}

void VexaIdModel::setBand(Band band)
{
    if (band == m_band)
        return;
    beginResetModel();
    m_band = band;
    endResetModel();
}

int VexaIdModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : table().size();
}

int VexaIdModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || table().isEmpty())
        return 0;
    return table().first().size();
}

QVariant VexaIdModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == Qt::DisplayRole)
        return table().at(index.row()).value(index.column());
    return QVariant();
}

QVariant VexaIdModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    const bool is900 = m_band == Band900MHz;
    if (orientation == Qt::Horizontal)
        return (is900 ? k_hHeader900MHz : k_hHeader2400MHz).value(section);
    return (is900 ? k_vHeader900MHz : k_vHeader2400MHz).value(section);
}
