#pragma once

#include "VexaIdModel.h"
#include "data/VexaIdAdvisor.h"

#include <QPersistentModelIndex>
#include <QWidget>

class QCheckBox;
class QItemSelection;
class QLabel;
class QSpinBox;
class VexaIdDetails;
class VexaIdTableView;

// The panel in which the user picks the VEXA IDs drawn on the plots: a grid of the current
// band's IDs (a click toggles one) and the details of the ID under the mouse. Hovering a cell
// previews its ID on the plots until the mouse moves on. With Recommend on, the grid shows
// each plan's busy share over the window in view (the owner hands the ranking in) and the
// best plan is selected, so it is drawn.
class VexaIdPanel : public QWidget
{
    Q_OBJECT

public:
    explicit VexaIdPanel(QWidget *parent = nullptr);

    VexaIdModel *model() const { return m_model; }
    VexaIdTableView *tableView() const { return m_tableView; }
    VexaIdDetails *details() const { return m_details; }
    QCheckBox *recommendBox() const { return m_recommend; }
    QSpinBox *universesBox() const { return m_universes; }
    QSpinBox *thresholdBox() const { return m_threshold; }
    QLabel *recommendationLabel() const { return m_recommendation; }

    bool recommending() const;
    VexaIdAdvisor::Options advisorOptions() const;
    // The plan selected because it was the best, or 0.
    int recommendedId() const { return m_recommendedId; }

public Q_SLOTS:
    void setBand(VexaIdModel::Band band);
    // The ranking for the window in view, best first (empty: nothing to rank).
    void setRanking(const QList<VexaIdAdvisor::Score> &ranking);

Q_SIGNALS:
    void vexaIdSelected(int vexaId);
    void vexaIdDeselected(int vexaId);
    // An ID was chosen (its cell selected) or given up; unlike the two above, never for the
    // preview of a hovered cell.
    void vexaIdChosen(int vexaId, bool chosen);
    // Recommend was switched on, or its options changed: a ranking is wanted.
    void rankingRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void onHoverIndexChanged(const QModelIndex &index);
    bool isSelected(const QModelIndex &index) const;
    QModelIndex indexOf(int vexaId) const;
    void onRecommendToggled(bool on);

    VexaIdTableView *m_tableView = nullptr;
    VexaIdDetails *m_details = nullptr;
    VexaIdModel *m_model = nullptr;
    QPersistentModelIndex m_lastHoverIndex;
    QCheckBox *m_recommend = nullptr;
    QSpinBox *m_universes = nullptr;
    QSpinBox *m_threshold = nullptr;
    QLabel *m_recommendation = nullptr;
    int m_recommendedId = 0;
};
