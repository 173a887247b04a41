#pragma once

#include "data/VexaIdAdvisor.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVariant>
#include <QVector>

// The VEXA IDs of one band as a grid: rows are plan types, columns numbers of universes.
// Empty cells hold no value. With an advisor's ranking set, each scored cell also carries its
// plan's busy share (ShareRole, 0 to 1, tinting the cell) and its score as tool tip.
class VexaIdModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Band { Band900MHz = 0, Band2400MHz = 1 };
    Q_ENUM(Band)
    enum Role { ShareRole = Qt::UserRole + 1 };

    using Table = QVector<QVector<QVariant>>;
    static const Table k_data900MHz;
    static const QVector<QVariant> k_vHeader900MHz;
    static const QVector<QVariant> k_hHeader900MHz;
    static const Table k_data2400MHz;
    static const QVector<QVariant> k_vHeader2400MHz;
    static const QVector<QVariant> k_hHeader2400MHz;

    explicit VexaIdModel(QObject *parent = nullptr);

    Band band() const { return m_band; }
    void setBand(Band band);
    void setScores(const QList<VexaIdAdvisor::Score> &scores);
    void clearScores();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const Table &table() const;

    Band m_band = Band2400MHz;
    QHash<int, VexaIdAdvisor::Score> m_scores;
};
