#pragma once

#include <QTabBar>
#include <QTabWidget>

class TabPage;

// The main window's tab widget of band pages: its tab bar spans the whole width and shares it
// evenly between the tabs, up to 250 pixels each.
class TavTabWidget : public QTabWidget
{
    Q_OBJECT

public:
    class TavTabBar : public QTabBar
    {
    public:
        explicit TavTabBar(QWidget *parent = nullptr)
            : QTabBar(parent)
        { }

        int maxTabWidth = 250;

    protected:
        QSize tabSizeHint(int index) const override;
    };

    explicit TavTabWidget(QWidget *parent = nullptr);

    TavTabBar *tavTabBar() const { return m_tabBar; }

    // The band page at a tab index, or none.
    TabPage *page(int index) const;
    // The page in front, or none.
    TabPage *current() const { return page(currentIndex()); }
    QList<TabPage *> pages() const;
    // Adds a page in a new tab, titled and tool-tipped; returns its index.
    int addPage(TabPage *page, const QString &title);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TavTabBar *m_tabBar;
};
