#pragma once

#include "data/AirWatch.h"

#include <QWidget>

class QCheckBox;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

// The watch's panel: the switch, the user's settings (stretch, busy threshold, limit, beep),
// remembered across runs, and the ranges watched with the busy share of each. The chosen
// VEXA IDs are listed as they come and go; a range dragged on a spectrogram can be removed
// here.
class WatchPanel : public QWidget
{
    Q_OBJECT

public:
    explicit WatchPanel(QWidget *parent = nullptr);

    bool isOn() const;
    bool beeps() const;
    AirWatch::Settings settings() const;

    // A watched range: `removable` for a dragged one.
    void addRange(const QString &key, const QString &name, const QString &frequencies,
                  bool removable);
    void removeRange(const QString &key);
    // The range's busy share as it stands, and whether it raised an alert.
    void showShare(const QString &key, double share, bool alerting);
    QStringList keys() const;

    QCheckBox *onBox() const { return m_on; }
    QSpinBox *stretchBox() const { return m_stretch; }
    QSpinBox *thresholdBox() const { return m_threshold; }
    QSpinBox *limitBox() const { return m_limit; }
    QCheckBox *beepBox() const { return m_beep; }
    QTreeWidget *rangeList() const { return m_ranges; }
    QPushButton *removeButton() const { return m_remove; }

Q_SIGNALS:
    void switched(bool on);
    void settingsChanged();
    void removeRequested(const QString &key);

private:
    QTreeWidgetItem *itemOf(const QString &key) const;
    void save() const;

    QCheckBox *m_on = nullptr;
    QSpinBox *m_stretch = nullptr;
    QSpinBox *m_threshold = nullptr;
    QSpinBox *m_limit = nullptr;
    QCheckBox *m_beep = nullptr;
    QTreeWidget *m_ranges = nullptr;
    QPushButton *m_remove = nullptr;
};
