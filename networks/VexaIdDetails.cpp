#include "VexaIdDetails.h"

#include "data/Constants.h"

#include <QFormLayout>
#include <QLabel>

VexaIdDetails::VexaIdDetails(QWidget *parent)
    : QWidget(parent)
{
    setMinimumWidth(325);
    auto *layout = new QFormLayout(this);
    m_title = new QLabel(tr("VEXA ID Details"), this);
    m_title->setAlignment(Qt::AlignHCenter);
    m_title->setStyleSheet(QStringLiteral("* { background-color: #32414B }"));
    layout->addRow(m_title);

    auto addRow = [this, layout](const QString &caption) {
        auto *value = new QLabel(this);
        layout->addRow(caption + QLatin1Char(':'), value);
        return value;
    };
    m_vexaIdLabel = addRow(tr("VEXA ID"));
    m_universesLabel = addRow(tr("Universes"));
    m_frequencyRangeLabel = addRow(tr("Frequency Range"));
    m_typeLabel = addRow(tr("Type"));
    m_indoorRangeLabel = addRow(tr("Indoor Range"));
    m_outdoorRangeLabel = addRow(tr("Outdoor Range"));
}

void VexaIdDetails::setVexaId(int vexaId)
{
    m_vexaId = vexaId;
    const VexaIdDesc desc = Constants::k_vexaIdMap.value(vexaId);
    m_vexaIdLabel->setText(QString::number(vexaId));
    m_universesLabel->setText(QString::number(desc.universes));
    m_frequencyRangeLabel->setText(QString::number(desc.lowerEdge(), 'g', 6) + QStringLiteral(" - ")
                                   + QString::number(desc.upperEdge(), 'g', 6)
                                   + QStringLiteral(" MHz"));
    m_typeLabel->setText(desc.type);
    m_indoorRangeLabel->setText(
        QStringLiteral("%1 ft / %2 m").arg(desc.indoorRangeFt).arg(desc.indoorRangeM));
    m_outdoorRangeLabel->setText(
        QStringLiteral("%1 ft / %2 m").arg(desc.outdoorRangeFt).arg(desc.outdoorRangeM));
}

QString VexaIdDetails::vexaIdText() const
{
    return m_vexaIdLabel->text();
}

QString VexaIdDetails::universesText() const
{
    return m_universesLabel->text();
}

QString VexaIdDetails::frequencyRangeText() const
{
    return m_frequencyRangeLabel->text();
}

QString VexaIdDetails::typeText() const
{
    return m_typeLabel->text();
}

QString VexaIdDetails::indoorRangeText() const
{
    return m_indoorRangeLabel->text();
}

QString VexaIdDetails::outdoorRangeText() const
{
    return m_outdoorRangeLabel->text();
}
