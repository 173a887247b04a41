#include "ToolBarFocus.h"

#include <QChildEvent>
#include <QToolBar>
#include <QToolButton>

ToolBarFocus::ToolBarFocus(QToolBar *toolBar)
    : QObject(toolBar)
{
    toolBar->installEventFilter(this);
}

void ToolBarFocus::enable(QToolBar *toolBar)
{
    if (toolBar->findChild<ToolBarFocus *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new ToolBarFocus(toolBar);
    const QList<QToolButton *> buttons
        = toolBar->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
    for (QToolButton *button : buttons)
        makeReachable(button);
}

// A button the tool bar creates for an action is told "no focus" right after it is built, so
// it is taken when it is polished, before it is first shown.
bool ToolBarFocus::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildPolished)
        makeReachable(static_cast<QChildEvent *>(event)->child());
    return QObject::eventFilter(watched, event);
}

void ToolBarFocus::makeReachable(QObject *child)
{
    auto *button = qobject_cast<QToolButton *>(child);
    // The tool bar's own extension button ("more") stays as the framework has it.
    if (button && button->objectName() != QLatin1String("qt_toolbar_ext_button"))
        button->setFocusPolicy(Qt::TabFocus);
}
