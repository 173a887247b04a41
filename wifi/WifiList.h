#pragma once

#include "data/RfSpectrumHistory.h"
#include "data/WifiApInfo.h"

#include <QWidget>

class CheckableHeader;
class QCheckBox;
class QSpinBox;
class QTreeView;
class WifiModel;
class WifiProxyModel;

// The panel listing every access point heard since it was last cleared. The user ticks the
// access points to draw, one by one or all at once in the header, or lets a level threshold
// tick them; whenever the set to draw changes it is announced by newNetworksToDraw().
class WifiList : public QWidget
{
    Q_OBJECT

public:
    explicit WifiList(QWidget *parent = nullptr);

    WifiModel *model() const { return m_model; }
    WifiProxyModel *proxyModel() const { return m_proxy; }
    QTreeView *view() const { return m_view; }
    CheckableHeader *header() const { return m_header; }
    QCheckBox *filterCheckBox() const { return m_filterCheckBox; }
    QSpinBox *filterSpinBox() const { return m_filterSpinBox; }

signals:
    void newNetworksToDraw(WifiScan networks);

public slots:
    void clearList();
    void loadHistory(const RfSpectrumHistory &hist);
    void updateList(WifiScan results);
    void onFilterEnableChanged(bool enable);
    void onFilterValueChanged(int value);
    void onSelectAllToggled(bool checked);
    void onModelDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                            const QVector<int> &roles);

private:
    bool checkNew() const;

    WifiModel *m_model;
    WifiProxyModel *m_proxy;
    QCheckBox *m_filterCheckBox;
    QSpinBox *m_filterSpinBox;
    QTreeView *m_view;
    CheckableHeader *m_header;
};
