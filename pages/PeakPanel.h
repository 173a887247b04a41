#pragma once

#include <QWidget>

class PeakTable;
class QSpinBox;

// The Peaks panel beside the spectrogram: the peak table under the least prominence a peak
// must have to be listed (and to be visited by Peak and Next Peak), which the user sets here
// and the program remembers.
class PeakPanel : public QWidget
{
    Q_OBJECT

public:
    explicit PeakPanel(QWidget *parent = nullptr);

    PeakTable *table() const { return m_table; }
    QSpinBox *prominenceBox() const { return m_prominence; }
    double minProminence() const;

Q_SIGNALS:
    void prominenceChanged();

private:
    PeakTable *m_table = nullptr;
    QSpinBox *m_prominence = nullptr;
};
