#pragma once

#include <QTableView>

// The VEXA ID grid: a click toggles a cell, and the cell under the mouse is reported as it
// moves (the invalid index when the mouse is over no cell or leaves the grid).
class VexaIdTableView : public QTableView
{
    Q_OBJECT

public:
    explicit VexaIdTableView(QWidget *parent = nullptr);

Q_SIGNALS:
    void hoverIndexChanged(const QModelIndex &index);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
};
