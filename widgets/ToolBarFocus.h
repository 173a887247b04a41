#pragma once

#include <QObject>

class QToolBar;

// Makes every button of a tool bar reachable by Tab, those it holds now and those added later
// (the framework gives tool-bar buttons no focus, so without a mouse their actions could only
// be reached through shortcuts, which most of them lack). Lives as a child of the tool bar.
class ToolBarFocus : public QObject
{
    Q_OBJECT

public:
    static void enable(QToolBar *toolBar);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit ToolBarFocus(QToolBar *toolBar);
    static void makeReachable(QObject *child);
};
