#include "WifiList.h"

#include "WifiModel.h"
#include "WifiProxyModel.h"
#include "data/Constants.h"
#include "widgets/CheckableHeader.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>

WifiList::WifiList(QWidget *parent)
    : QWidget(parent)
    , m_model(new WifiModel(this))
    , m_proxy(new WifiProxyModel(this))
    , m_filterCheckBox(new QCheckBox(tr("Hide networks below"), this))
    , m_filterSpinBox(new QSpinBox(this))
    , m_view(new QTreeView(this))
    , m_header(new CheckableHeader(Qt::Horizontal, m_view))
{
    m_filterCheckBox->setObjectName(QStringLiteral("filterCheckBox"));
    m_filterSpinBox->setObjectName(QStringLiteral("filterSpinBox"));
    m_view->setObjectName(QStringLiteral("treeView"));

    m_filterSpinBox->setRange(Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi);
    m_filterSpinBox->setSuffix(tr(" dBm"));
    m_filterSpinBox->setValue(m_model->filterThreshold());

    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(m_filterCheckBox);
    filterRow->addWidget(m_filterSpinBox);
    filterRow->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_view);

    m_proxy->setSourceModel(m_model);
    m_view->setHeader(m_header);
    m_view->setModel(m_proxy);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setRootIsDecorated(false);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(WifiModel::RssiColumn, Qt::DescendingOrder);
    m_view->setColumnWidth(WifiModel::CheckColumn, 45);
    m_view->setColumnWidth(WifiModel::NameColumn, 175);
    m_view->setColumnWidth(WifiModel::RssiColumn, 60);
    m_view->setColumnWidth(WifiModel::ChannelColumn, 70);
    m_view->setMinimumWidth(360);

    connect(m_filterCheckBox, &QCheckBox::toggled, this, &WifiList::onFilterEnableChanged);
    connect(m_filterCheckBox, &QCheckBox::toggled, m_header, &CheckableHeader::setCheckboxDisable);
    connect(m_header, &CheckableHeader::selectAllToggled, this, &WifiList::onSelectAllToggled);
    connect(m_filterSpinBox, qOverload<int>(&QSpinBox::valueChanged), this,
            &WifiList::onFilterValueChanged);
    connect(m_model, &WifiModel::dataChanged, this, &WifiList::onModelDataChanged);
}

void WifiList::clearList()
{
    m_model->clear();
}

void WifiList::loadHistory(const RfSpectrumHistory &hist)
{
    // Consecutive samples mostly carry the same scan, and merging the same scan twice changes
    // nothing: each scan is merged once.
    for (const WifiScan &scan : hist.samples.accessPointRuns())
        m_model->update(scan, checkNew());
}

void WifiList::updateList(WifiScan results)
{
    emit newNetworksToDraw(m_model->update(results, checkNew()));
}

void WifiList::onFilterEnableChanged(bool enable)
{
    emit newNetworksToDraw(m_model->onFilterEnableChanged(enable));
}

void WifiList::onFilterValueChanged(int value)
{
    emit newNetworksToDraw(m_model->onFilterValueChanged(value));
}

void WifiList::onSelectAllToggled(bool checked)
{
    // What to draw follows from the model's check-state notification.
    m_model->checkAll(checked);
}

void WifiList::onModelDataChanged(const QModelIndex &, const QModelIndex &,
                                  const QVector<int> &roles)
{
    if (!roles.contains(Qt::CheckStateRole))
        return;
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    const auto stateOf = [this](int row) {
        return Qt::CheckState(
            m_model->index(row, WifiModel::CheckColumn).data(Qt::CheckStateRole).toInt());
    };
    Qt::CheckState state = stateOf(0);
    for (int row = 1; row < rows; ++row) {
        if (stateOf(row) != state) {
            state = Qt::PartiallyChecked;
            break;
        }
    }
    m_header->setState(state);
    emit newNetworksToDraw(m_model->checkedNetworks());
}

bool WifiList::checkNew() const
{
    return m_header->state() != Qt::Unchecked;
}
