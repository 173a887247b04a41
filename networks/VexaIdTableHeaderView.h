#pragma once

#include <QHeaderView>

// A header of the VEXA ID grid. The mouse over a header is over no cell, so moving over it
// reports the invalid index: the grid then drops its hover preview.
class VexaIdTableHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    VexaIdTableHeaderView(Qt::Orientation orientation, QWidget *parent = nullptr);

Q_SIGNALS:
    void hoverIndexChanged(const QModelIndex &index);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
};
