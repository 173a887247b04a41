#pragma once

#include <QLabel>
#include <QSet>
#include <functional>

class TabPage;
class TavTabWidget;
class UserPrompts;

// The status bar's mark of the pages whose unsaved work no journal keeps at the moment: while
// a journal cannot be written, the scan is not safe from a crash, and the mark names the
// pages (the reason in its tool tip). The user is told once for each cause.
class JournalMark : public QLabel
{
    Q_OBJECT

public:
    // The prompts of the moment (tests replace them).
    using Prompts = std::function<UserPrompts *()>;

    JournalMark(TavTabWidget *pages, Prompts prompts, QWidget *parent);

    // Follows a page's journal until the page goes.
    void watch(TabPage *page);
    void update();

private:
    TavTabWidget *const m_pages;
    const Prompts m_prompts;
    QSet<QString> m_told;
};
