#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QAction;
class ScanSession;
class TabPage;
class TavTabWidget;
class VenuePage;
class VenueSources;

// The window's venue pages, one per band: each shows every source of its band (the analyzer
// on this computer and the venue's sensors), and gains the sensors' pages as they appear.
// Switching the band from a venue page switches every source: the sensors through the
// broker, the analyzer here through its session; the page of the new band then says which
// sources followed.
class VenuePages : public QObject
{
    Q_OBJECT

public:
    VenuePages(VenueSources *venue, ScanSession *session, TavTabWidget *tabs, QObject *parent);

    // "Venue Page": the venue page of the band in front.
    QAction *action() const { return m_action; }
    VenuePage *pageOf(int band) const;
    // Opens the venue page of a band (900 or 2400), or brings it to the front.
    VenuePage *show(int band);
    // Asks every source to scan `band` and shows its venue page.
    void switchBand(int band);
    // The name of the analyzer on this computer among the sources.
    static QString localName();

private:
    void addSources(VenuePage *page);
    // The band the front page shows, 2400 when it shows none.
    int frontBand() const;
    void showFollowers();

    VenueSources *const m_venue;
    ScanSession *const m_session;
    TavTabWidget *const m_tabs;
    QAction *m_action = nullptr;
    QHash<int, QPointer<VenuePage>> m_pages;
    // The band every source was last asked to scan; 0 before any switch.
    int m_switchedTo = 0;
    QTimer m_followCheck;
};
