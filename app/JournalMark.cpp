#include "JournalMark.h"

#include "pages/TabPage.h"
#include "pages/TavTabWidget.h"
#include "widgets/UserPrompts.h"

JournalMark::JournalMark(TavTabWidget *pages, Prompts prompts, QWidget *parent)
    : QLabel(parent)
    , m_pages(pages)
    , m_prompts(std::move(prompts))
{
    setObjectName(QStringLiteral("journalMark"));
    setStyleSheet(QStringLiteral("color: #ff8c42; font-weight: bold;"));
    hide();
}

void JournalMark::watch(TabPage *page)
{
    connect(page, &TabPage::journalFailed, this, [this, page](const QString &reason) {
        update();
        if (m_told.contains(reason))
            return;
        m_told.insert(reason);
        m_prompts()->warning(window(), tr("Unsaved scan at risk"),
                             tr("The %1 scan cannot be kept safe from a crash: %2. Scanning "
                                "goes on; Quorvex tries again every minute. Save it to keep it.")
                                 .arg(page->bandName(), reason));
    });
    connect(page, &TabPage::journalResumed, this, &JournalMark::update);
    connect(page, &QObject::destroyed, this, &JournalMark::update, Qt::QueuedConnection);
}

void JournalMark::update()
{
    QStringList at;
    QString reason;
    for (TabPage *page : m_pages->pages()) {
        if (page->journalKeeper()->isBroken()) {
            at.append(m_pages->tabText(m_pages->indexOf(page)));
            reason = page->journalKeeper()->problem();
        }
    }
    setVisible(!at.isEmpty());
    setText(tr("Not protected from a crash: %1").arg(at.join(QStringLiteral(", "))));
    setToolTip(reason);
}
