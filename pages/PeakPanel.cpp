#include "PeakPanel.h"

#include "PeakTable.h"
#include "data/PeakSearch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString k_prominenceKey = QStringLiteral("Peaks/MinProminenceDb");

} // namespace

PeakPanel::PeakPanel(QWidget *parent)
    : QWidget(parent)
{
    m_table = new PeakTable(this);
    m_prominence = new QSpinBox(this);
    m_prominence->setRange(0, 40);
    m_prominence->setSuffix(tr(" dB"));
    m_prominence->setValue(
        QSettings().value(k_prominenceKey, int(PeakSearch::k_defaultProminenceDb)).toInt());
    m_prominence->setToolTip(tr("How far a peak must rise above the dips that part it from "
                                "higher ones to count as a peak: ripples on a wide signal "
                                "rise less"));
    auto *label = new QLabel(tr("Prominence \u2265"), this);
    label->setBuddy(m_prominence);
    label->setToolTip(m_prominence->toolTip());

    auto *setting = new QHBoxLayout;
    setting->setContentsMargins(0, 0, 0, 0);
    setting->addWidget(label);
    setting->addWidget(m_prominence, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(setting);
    layout->addWidget(m_table, 1);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setAccessibleName(tr("Peaks"));

    connect(m_prominence, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int db) {
        QSettings().setValue(k_prominenceKey, db);
        emit prominenceChanged();
    });
}

double PeakPanel::minProminence() const
{
    return m_prominence->value();
}
