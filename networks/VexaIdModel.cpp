#include "VexaIdModel.h"

#include <QColor>

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
    const QVariant id = table().at(index.row()).value(index.column());
    if (role == Qt::DisplayRole)
        return id;
    const auto scored = m_scores.constFind(id.toInt());
    if (!id.isValid() || scored == m_scores.cend())
        return QVariant();
    switch (role) {
    case ShareRole:
        return scored->busyShare;
    case Qt::ToolTipRole:
        return tr("%1: busy %2 % of the time, mean %3 dBm")
            .arg(scored->id)
            .arg(scored->busyShare * 100.0, 0, 'f', 1)
            .arg(scored->meanDbm, 0, 'f', 1);
    case Qt::BackgroundRole: {
        // Quiet plans green, busy ones red, dark enough for the panel's light text.
        const double share = qBound(0.0, scored->busyShare, 1.0);
        return QColor::fromHsvF((1.0 - share) / 3.0, 0.75, 0.45);
    }
    default:
        return QVariant();
    }
}

void VexaIdModel::setScores(const QList<VexaIdAdvisor::Score> &scores)
{
    m_scores.clear();
    for (const VexaIdAdvisor::Score &score : scores)
        m_scores.insert(score.id, score);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void VexaIdModel::clearScores()
{
    setScores({});
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
