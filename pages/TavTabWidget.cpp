#include "TavTabWidget.h"

#include "TabPage.h"

#include "PagesLog.h"

#include <QResizeEvent>

QSize TavTabWidget::TavTabBar::tabSizeHint(int index) const
{
    QSize hint = QTabBar::tabSizeHint(index);
    int width = qMin(maxTabWidth, this->width() / qMax(count(), 1));
    // The two live band tabs have no close button and leave room for the bar's frame.
    if (index == 0 || index == 1)
        width -= 2;
    hint.setWidth(width);
    return hint;
}

TavTabWidget::TavTabWidget(QWidget *parent)
    : QTabWidget(parent)
    , m_tabBar(new TavTabBar(this))
{
    m_tabBar->setDocumentMode(true);
    m_tabBar->setElideMode(Qt::ElideMiddle);
    setTabBar(m_tabBar);
}

void TavTabWidget::resizeEvent(QResizeEvent *event)
{
    m_tabBar->setFixedWidth(width());
    QTabWidget::resizeEvent(event);
    qCDebug(lcPages) << "TabBar:" << m_tabBar->minimumSize();
}

TabPage *TavTabWidget::page(int index) const
{
    return qobject_cast<TabPage *>(widget(index));
}

QList<TabPage *> TavTabWidget::pages() const
{
    QList<TabPage *> result;
    for (int i = 0; i < count(); ++i) {
        if (TabPage *p = page(i))
            result.append(p);
    }
    return result;
}

int TavTabWidget::addPage(TabPage *page, const QString &title)
{
    const int index = addTab(page, title);
    setTabToolTip(index, title);
    return index;
}
