#pragma once

#include <QWidget>

class QLabel;
class RangeSlider;
struct PageActions;

// The row under a page's plots: Stop and Scan (a live page only), the time bar that selects
// the stretch of history shown, the time elapsed from the first sweep to the newest one shown,
// and the newest one's wall-clock time.
class PageTimeBar : public QWidget
{
    Q_OBJECT

public:
    PageTimeBar(const PageActions &actions, bool playback, QWidget *parent);

    RangeSlider *slider() const { return m_slider; }
    // No sweep yet: no time elapsed, the clock now.
    void showNone();
    // `first` and `newest` in ms since the epoch.
    void show(qint64 first, qint64 newest);
    QLabel *elapsedLabel() const { return m_elapsed; }
    // A line beside the time bar about the page's source ("North stand is offline, ..."),
    // hidden when empty.
    void setNote(const QString &text);
    // Stop and Scan belong to the analyzer on this computer: a page fed by another source
    // hides them.
    void hideScanButtons();
    QString note() const;

    // "hh:mm:ss" of an elapsed time; the hours wrap after 24.
    static QString elapsedText(qint64 elapsedMs);

private:
    RangeSlider *const m_slider;
    QWidget *m_stop = nullptr;
    QWidget *m_record = nullptr;
    QLabel *const m_elapsed;
    QLabel *const m_clock;
    QLabel *const m_note;
};
