#pragma once

#include "VexaIdModel.h"

#include <QPersistentModelIndex>
#include <QWidget>

class QItemSelection;
class VexaIdDetails;
class VexaIdTableView;

// The panel in which the user picks the VEXA IDs drawn on the plots: a grid of the current
// band's IDs (a click toggles one) and the details of the ID under the mouse. Hovering a cell
// previews its ID on the plots until the mouse moves on.
class VexaIdPanel : public QWidget
{
    Q_OBJECT

public:
    explicit VexaIdPanel(QWidget *parent = nullptr);

    VexaIdModel *model() const { return m_model; }
    VexaIdTableView *tableView() const { return m_tableView; }
    VexaIdDetails *details() const { return m_details; }

public Q_SLOTS:
    void setBand(VexaIdModel::Band band);

Q_SIGNALS:
    void vexaIdSelected(int vexaId);
    void vexaIdDeselected(int vexaId);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void onHoverIndexChanged(const QModelIndex &index);
    bool isSelected(const QModelIndex &index) const;

    VexaIdTableView *m_tableView = nullptr;
    VexaIdDetails *m_details = nullptr;
    VexaIdModel *m_model = nullptr;
    QPersistentModelIndex m_lastHoverIndex;
};
