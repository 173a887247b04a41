#pragma once

#include <QToolBar>

class QMenu;
struct PageActions;

// A band page's tool bar: the window's Snapshot, Save (a recording page shows it only once it
// holds unsaved changes), the page's Report, the view toggle and the page's own Whole History,
// the traces, and one Networks menu of what shows the band's networks, so the bar fits beside
// a side panel at the window's smallest size.
class PageToolBar : public QToolBar
{
    Q_OBJECT

public:
    PageToolBar(const PageActions &actions, bool playback, QWidget *parent);

    QAction *wholeHistoryAction() const { return m_wholeHistory; }
    QMenu *networksMenu() const { return m_networksMenu; }
    // Shows Save after Snapshot, once.
    void offerSave();

Q_SIGNALS:
    void reportRequested();

private:
    QAction *const m_save;
    QAction *m_wholeHistory = nullptr;
    QMenu *m_networksMenu = nullptr;
};
