#pragma once

#include "data/EventFinder.h"

#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class QAction;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;
class TabPage;
class UserPrompts;

// The events of the page in front, in time order: the time events the user and the watch
// placed, and beside them the events Find Events found where the air changed (time,
// frequency range, peak level, duration). Find Events searches the page's whole history, live
// or recording, with progress. Choosing a row moves the page's time bar so that the event is
// in view, brings the waterfall to the front and marks a found event on it.
class EventsPanel : public QWidget
{
    Q_OBJECT

public:
    // The waterfall is brought to the front through `toggleView` (the window's action, which
    // names the view in front), and the search's progress shown through the prompts.
    EventsPanel(QAction *toggleView, std::function<UserPrompts *()> prompts,
                QWidget *parent = nullptr);

    // The page whose events are listed (none: an empty list).
    void setPage(TabPage *page);
    TabPage *page() const { return m_page; }
    // The events found on a page by the last search, while its history is the one searched.
    QList<EventFinder::Event> foundEvents(const TabPage *page) const;

    QPushButton *findButton() const { return m_find; }
    QSpinBox *thresholdBox() const { return m_threshold; }
    QDoubleSpinBox *minSecondsBox() const { return m_minSeconds; }
    QTreeWidget *list() const { return m_list; }
    QLabel *statusLabel() const { return m_status; }

    // The title of the waterfall mark of a found event.
    static QString markTitle();
    // A found event's row: its frequency range, peak level and duration.
    static QString foundText(const EventFinder::Event &event);
    // The sweeps [first, last) of a page's history that show the span from startMs to endMs
    // with a margin, two minutes at least.
    static std::pair<int, int> windowAround(const TabPage *page, qint64 startMs, qint64 endMs);

public Q_SLOTS:
    void findEvents();
    void refresh();

private:
    struct Found
    {
        QList<EventFinder::Event> events;
        int sweeps = 0; // of the history searched
        qint64 firstSweepMs = 0;
    };
    bool isCurrent(const TabPage *page, const Found &found) const;
    void onCurrentItemChanged(QTreeWidgetItem *item);
    void reveal(qint64 startMs, qint64 endMs);
    void mark(const EventFinder::Event *event);

    QAction *m_toggleView;
    std::function<UserPrompts *()> m_prompts;
    QPointer<TabPage> m_page;
    QMetaObject::Connection m_pageConnection;
    QHash<const TabPage *, Found> m_found;
    QPushButton *m_find = nullptr;
    QSpinBox *m_threshold = nullptr;
    QDoubleSpinBox *m_minSeconds = nullptr;
    QTreeWidget *m_list = nullptr;
    QLabel *m_status = nullptr;
};
