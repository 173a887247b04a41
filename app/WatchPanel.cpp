#include "WatchPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString k_on = QStringLiteral("Watch/On");
const QString k_stretch = QStringLiteral("Watch/StretchSeconds");
const QString k_threshold = QStringLiteral("Watch/ThresholdDbm");
const QString k_limit = QStringLiteral("Watch/LimitPercent");
const QString k_beep = QStringLiteral("Watch/Beep");

enum Column { NameColumn, FrequencyColumn, BusyColumn };
constexpr int k_keyRole = Qt::UserRole;
constexpr int k_removableRole = Qt::UserRole + 1;
constexpr int k_percentRole = Qt::UserRole + 2;

QSpinBox *spinBox(QWidget *parent, int minimum, int maximum, int value, const QString &suffix,
                  const QString &toolTip)
{
    auto *box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setValue(qBound(minimum, value, maximum));
    box->setSuffix(suffix);
    box->setToolTip(toolTip);
    return box;
}

} // namespace

WatchPanel::WatchPanel(QWidget *parent)
    : QWidget(parent)
{
    const QSettings stored;
    m_on = new QCheckBox(tr("Watch the chosen ranges"), this);
    m_on->setChecked(stored.value(k_on, false).toBool());
    m_on->setToolTip(tr("Raise an alert when a chosen VEXA ID's range or a dragged range gets "
                        "busy while scanning"));
    m_stretch = spinBox(this, 1, 120, stored.value(k_stretch, 5).toInt(), tr(" s"),
                        tr("The stretch of the last seconds over which the busy share counts"));
    m_threshold = spinBox(this, -120, 0, stored.value(k_threshold, -80).toInt(), tr(" dBm"),
                          tr("A frequency counts as busy in a sweep at or above this level"));
    m_limit = spinBox(this, 1, 100, stored.value(k_limit, 20).toInt(), tr(" %"),
                      tr("An alert is raised when the busy share exceeds this"));
    m_beep = new QCheckBox(tr("Beep"), this);
    m_beep->setChecked(stored.value(k_beep, false).toBool());
    m_beep->setToolTip(tr("Beep when an alert is raised"));

    m_ranges = new QTreeWidget(this);
    m_ranges->setRootIsDecorated(false);
    m_ranges->setHeaderLabels({tr("Range"), tr("Frequencies"), tr("Busy")});
    m_ranges->header()->setStretchLastSection(false);
    m_ranges->header()->setSectionResizeMode(NameColumn, QHeaderView::ResizeToContents);
    m_ranges->header()->setSectionResizeMode(FrequencyColumn, QHeaderView::Stretch);
    m_ranges->header()->setSectionResizeMode(BusyColumn, QHeaderView::ResizeToContents);
    m_remove = new QPushButton(tr("Remove"), this);
    m_remove->setToolTip(tr("Stop watching the dragged range selected"));
    m_remove->setEnabled(false);
    auto *hint = new QLabel(tr("Choose VEXA IDs in their panel, or hold Shift and drag across "
                               "a spectrogram to watch a range of your own."),
                            this);
    hint->setWordWrap(true);

    auto *settings = new QGridLayout;
    settings->addWidget(m_on, 0, 0, 1, 4);
    settings->addWidget(new QLabel(tr("Stretch"), this), 1, 0);
    settings->addWidget(m_stretch, 1, 1);
    settings->addWidget(new QLabel(tr("Busy \u2265"), this), 1, 2);
    settings->addWidget(m_threshold, 1, 3);
    settings->addWidget(new QLabel(tr("Limit"), this), 2, 0);
    settings->addWidget(m_limit, 2, 1);
    settings->addWidget(m_beep, 2, 2, 1, 2);
    settings->setColumnStretch(1, 1);
    settings->setColumnStretch(3, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addWidget(m_ranges, 1);
    layout->addWidget(m_remove, 0, Qt::AlignRight);
    layout->addWidget(hint);

    connect(m_on, &QCheckBox::toggled, this, [this](bool on) {
        save();
        emit switched(on);
    });
    const auto changed = [this] {
        save();
        emit settingsChanged();
    };
    for (QSpinBox *box : {m_stretch, m_threshold, m_limit})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, changed);
    connect(m_beep, &QCheckBox::toggled, this, [this] { save(); });
    connect(m_ranges, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        m_remove->setEnabled(item && item->data(NameColumn, k_removableRole).toBool());
    });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        const QTreeWidgetItem *item = m_ranges->currentItem();
        if (item && item->data(NameColumn, k_removableRole).toBool())
            emit removeRequested(item->data(NameColumn, k_keyRole).toString());
    });
}

void WatchPanel::save() const
{
    QSettings stored;
    stored.setValue(k_on, m_on->isChecked());
    stored.setValue(k_stretch, m_stretch->value());
    stored.setValue(k_threshold, m_threshold->value());
    stored.setValue(k_limit, m_limit->value());
    stored.setValue(k_beep, m_beep->isChecked());
}

bool WatchPanel::isOn() const
{
    return m_on->isChecked();
}

bool WatchPanel::beeps() const
{
    return m_beep->isChecked();
}

AirWatch::Settings WatchPanel::settings() const
{
    AirWatch::Settings settings;
    settings.stretchMs = qint64(m_stretch->value()) * 1000;
    settings.thresholdDbm = m_threshold->value();
    settings.limit = m_limit->value() / 100.0;
    return settings;
}

QTreeWidgetItem *WatchPanel::itemOf(const QString &key) const
{
    for (int i = 0; i < m_ranges->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_ranges->topLevelItem(i);
        if (item->data(NameColumn, k_keyRole).toString() == key)
            return item;
    }
    return nullptr;
}

void WatchPanel::addRange(const QString &key, const QString &name, const QString &frequencies,
                          bool removable)
{
    QTreeWidgetItem *item = itemOf(key);
    if (!item)
        item = new QTreeWidgetItem(m_ranges);
    item->setText(NameColumn, name);
    item->setText(FrequencyColumn, frequencies);
    item->setText(BusyColumn, QString());
    item->setData(NameColumn, k_keyRole, key);
    item->setData(NameColumn, k_removableRole, removable);
    item->setData(NameColumn, k_percentRole, -1);
}

void WatchPanel::removeRange(const QString &key)
{
    delete itemOf(key);
}

QStringList WatchPanel::keys() const
{
    QStringList keys;
    for (int i = 0; i < m_ranges->topLevelItemCount(); ++i)
        keys << m_ranges->topLevelItem(i)->data(NameColumn, k_keyRole).toString();
    return keys;
}

void WatchPanel::showShare(const QString &key, double share, bool alerting)
{
    QTreeWidgetItem *item = itemOf(key);
    if (!item)
        return;
    // Only a change the user can see is drawn: this runs for every sweep.
    const int percent = qRound(share * 100.0) + (alerting ? 1000 : 0);
    if (item->data(NameColumn, k_percentRole).toInt() == percent)
        return;
    item->setData(NameColumn, k_percentRole, percent);
    item->setText(BusyColumn,
                  alerting ? tr("%1 % \u26a0").arg(qRound(share * 100.0))
                           : tr("%1 %").arg(qRound(share * 100.0)));
    item->setForeground(BusyColumn, alerting ? QBrush(QColor(255, 96, 96)) : QBrush());
}
