#pragma once

#include "data/AirWatch.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>

class EventsPanel;
class MainWindow;
class QDockWidget;
class QLabel;
class QwtPlotZoneItem;
class TabPage;
class UserPrompts;
class WatchPanel;

// The show watch of the main window. While scanning, it watches the frequency ranges of the
// VEXA IDs chosen in their panel and the ranges dragged (with Shift) across a live page's
// spectrogram; a range that gets busy raises an alert: a banner over the pages naming the
// range and its busy share, a mark on the band's tab, a beep if the user wants one, and a time
// event with the banner's text in the band's history; the alert clears with an event of its
// own. It also holds the events panel of the page in front. Its two panels are docks of the
// window, opened from the main tool bar.
class ShowWatch : public QObject
{
    Q_OBJECT

public:
    ShowWatch(MainWindow &window, std::function<UserPrompts *()> prompts);
    ~ShowWatch() override;

    WatchPanel *watchPanel() const { return m_watchPanel; }
    EventsPanel *eventsPanel() const { return m_eventsPanel; }
    QDockWidget *watchDock() const { return m_watchDock; }
    QDockWidget *eventsDock() const { return m_eventsDock; }
    QLabel *banner() const { return m_banner; }
    // Beeps for a raised alert (the desktop's bell unless replaced).
    void setBeeper(std::function<void()> beeper) { m_beeper = std::move(beeper); }

    // The texts of the time events an alert places.
    static QString raisedText(const QString &name, double share);
    static QString clearedText(const QString &name, double share);
    static QString unwatchedText(const QString &name);
    // A range as named at a source: "24240 at North stand"; the range alone for the analyzer
    // here (`where` empty).
    static QString placeName(const QString &range, const QString &where);

public Q_SLOTS:
    // The newest sweep of a live page is counted.
    void onSweepAdded(TabPage *page);
    // Watches (or stops watching) a VEXA ID's range on the live page of its band.
    void setVexaIdWatched(int vexaId, bool watched);
    // Watches a range dragged on a live page's spectrogram.
    void addDraggedRange(TabPage *page, double lowerMHz, double upperMHz);
    void removeRange(const QString &key);
    // A sensor's live page of a band (900 or 2400): every range of the band is watched there
    // too, and its alerts name the sensor.
    void addSource(TabPage *page, const QString &where, int bandMhz);

private:
    struct Band;
    struct Range
    {
        Band *band = nullptr;
        QString name;
        QwtPlotZoneItem *zone = nullptr; // a dragged range's shape on the spectrogram
        double lowerMHz = 0.0;
        double upperMHz = 0.0;
    };

    void buildDocks(MainWindow &window);
    void buildBanner(MainWindow &window);
    Band *bandOf(const TabPage *page) const;
    // Every source that watches the range: the live pages of its band.
    QList<Band *> watching(const Range &range) const;
    void addRange(Band *band, const QString &key, const QString &name, double lowerMHz,
                  double upperMHz, bool removable);
    // An alert of `key` raised or cleared: its event, the banner, the tab.
    void report(Band *band, const AirWatch::Change &change);
    void placeEvent(Band *band, qint64 msecs, const QString &text);
    // Every alert ends (the watch is switched off); with `unwatched` each leaves an event.
    void endAlerts(bool unwatched);
    void applySettings();
    void updateAlertSigns();

    MainWindow &m_window;
    std::vector<std::unique_ptr<Band>> m_bands;
    QHash<QString, Range> m_ranges;
    int m_dragged = 0;
    WatchPanel *m_watchPanel = nullptr;
    EventsPanel *m_eventsPanel = nullptr;
    QDockWidget *m_watchDock = nullptr;
    QDockWidget *m_eventsDock = nullptr;
    QLabel *m_banner = nullptr;
    std::function<void()> m_beeper;
};
