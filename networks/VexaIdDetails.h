#pragma once

#include <QWidget>

class QLabel;

// The details of one VEXA ID under the grid: ID, universes, frequency range, type and ranges.
class VexaIdDetails : public QWidget
{
    Q_OBJECT

public:
    explicit VexaIdDetails(QWidget *parent = nullptr);

    int vexaId() const { return m_vexaId; }
    QString vexaIdText() const;
    QString universesText() const;
    QString frequencyRangeText() const;
    QString typeText() const;
    QString indoorRangeText() const;
    QString outdoorRangeText() const;

public Q_SLOTS:
    void setVexaId(int vexaId);

private:
    int m_vexaId = 0;
    QLabel *m_title = nullptr;
    QLabel *m_vexaIdLabel = nullptr;
    QLabel *m_universesLabel = nullptr;
    QLabel *m_frequencyRangeLabel = nullptr;
    QLabel *m_typeLabel = nullptr;
    QLabel *m_indoorRangeLabel = nullptr;
    QLabel *m_outdoorRangeLabel = nullptr;
};
