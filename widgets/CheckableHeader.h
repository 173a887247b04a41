#pragma once

#include <QHeaderView>

// A header for item views with a tri-state check box in its first section. A click on the box
// toggles it between checked and unchecked (a partially checked box becomes checked) and
// announces the new value, so that a list can tick or untick all its rows at once; the owner
// mirrors the rows' states into it with setState() and can disable it.
class CheckableHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit CheckableHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

    Qt::CheckState state() const { return m_state; }
    bool isCheckboxEnabled() const { return m_enabled; }

    // Where the box sits, in header coordinates.
    static const QRect k_checkboxRect;

public slots:
    void setState(Qt::CheckState state);
    void setCheckboxDisable(bool disable);

signals:
    void selectAllToggled(bool checked);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    Qt::CheckState m_state = Qt::Checked;
    bool m_enabled = true;
};
