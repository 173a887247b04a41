#include "PageToolBar.h"

#include "PageActions.h"
#include "widgets/ToolBarFocus.h"

#include <QMenu>
#include <QToolButton>

PageToolBar::PageToolBar(const PageActions &actions, bool playback, QWidget *parent)
    : QToolBar(parent)
    , m_save(actions.save)
{
    ToolBarFocus::enable(this);
    addAction(actions.snapshot);
    // A recording is not saved again from its own page until it is changed.
    if (!playback)
        addAction(m_save);
    QAction *report = addAction(tr("Report"));
    report->setToolTip(tr("Write a site-survey report (PDF) of what the page shows"));
    connect(report, &QAction::triggered, this, &PageToolBar::reportRequested);
    addSeparator();
    addAction(actions.toggleView);
    // The page's own: each page shows its own stretch.
    m_wholeHistory = addAction(tr("Whole History"));
    m_wholeHistory->setCheckable(true);
    m_wholeHistory->setToolTip(tr("Show everything since the first sweep"));
    addSeparator();
    addAction(actions.maxHold);
    addAction(actions.average);
    addSeparator();
    m_networksMenu = new QMenu(this);
    m_networksMenu->addAction(actions.vexaIds);
    QAction *networks = addAction(tr("Networks"));
    networks->setMenu(m_networksMenu);
    networks->setToolTip(tr("The band's networks: VEXA IDs, and on 2.4 GHz the Wi-Fi channels, "
                            "networks and list"));
    if (auto *button = qobject_cast<QToolButton *>(widgetForAction(networks)))
        button->setPopupMode(QToolButton::InstantPopup);
}

void PageToolBar::offerSave()
{
    if (!actions().contains(m_save))
        insertAction(actions().value(1), m_save);
}
