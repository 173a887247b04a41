#pragma once

#include <QTabBar>
#include <QTabWidget>

// The main window's tab widget: its tab bar spans the whole width and shares it evenly between
// the tabs, up to 250 pixels each.
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

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TavTabBar *m_tabBar;
};
