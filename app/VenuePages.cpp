#include "VenuePages.h"

#include "ScanSession.h"
#include "VenueSources.h"
#include "pages/TabPage.h"
#include "pages/TavTabWidget.h"
#include "pages/VenuePage.h"
#include "venue/SensorTableModel.h"
#include "venue/VenueClient.h"

#include <QAction>

VenuePages::VenuePages(VenueSources *venue, ScanSession *session, TavTabWidget *tabs,
                       QObject *parent)
    : QObject(parent)
    , m_venue(venue)
    , m_session(session)
    , m_tabs(tabs)
{
    m_action = new QAction(tr("Venue Page"), this);
    m_action->setToolTip(tr("Every source of the band on one screen and one time axis"));
    connect(m_action, &QAction::triggered, this, [this] { show(frontBand()); });
    connect(m_venue, &VenueSources::pageAdded, this,
            [this](TabPage *page, const QString &name, int band) {
                if (VenuePage *venuePage = pageOf(band))
                    venuePage->addSource(name, page);
            });
    connect(m_venue->client(), &VenueClient::sensorUpdated, this, &VenuePages::showFollowers);
    // The analyzer here restarts a moment after its band switch.
    m_followCheck.setSingleShot(true);
    m_followCheck.setInterval(ScanSession::k_bandSwitchRestartMs + 250);
    connect(&m_followCheck, &QTimer::timeout, this, &VenuePages::showFollowers);
}

QString VenuePages::localName()
{
    return tr("This computer");
}

VenuePage *VenuePages::pageOf(int band) const
{
    return m_pages.value(band).data();
}

int VenuePages::frontBand() const
{
    if (const TabPage *front = m_tabs->current())
        return front->history().freqInterval.contains(915.0) ? 900 : 2400;
    if (const auto *venuePage = qobject_cast<VenuePage *>(m_tabs->currentWidget()))
        return venuePage->band();
    return 2400;
}

VenuePage *VenuePages::show(int band)
{
    VenuePage *page = pageOf(band);
    if (!page) {
        page = new VenuePage(band, m_tabs);
        m_pages.insert(band, page);
        connect(page, &VenuePage::bandSwitchRequested, this, &VenuePages::switchBand);
        addSources(page);
        const int index = m_tabs->addTab(page, tr("Venue %1").arg(page->bandName()));
        m_tabs->setTabToolTip(index, tr("Every source of %1").arg(page->bandName()));
    }
    m_tabs->setCurrentWidget(page);
    showFollowers();
    return page;
}

void VenuePages::addSources(VenuePage *page)
{
    if (TabPage *local = m_session->livePage(page->band() == 900 ? 1 : 0))
        page->addSource(localName(), local);
    for (const auto &[name, sensorPage] : m_venue->pagesOfBand(page->band()))
        page->addSource(name, sensorPage);
}

void VenuePages::switchBand(int band)
{
    m_switchedTo = band;
    if (m_venue->model()->rowCount() > 0)
        m_venue->client()->setBand(QString(), band);
    m_session->moveScanTo(band == 900 ? 1 : 0);
    show(band);
    m_followCheck.start();
}

void VenuePages::showFollowers()
{
    VenuePage *page = pageOf(m_switchedTo);
    if (!page)
        return;
    QStringList followed;
    QStringList waiting;
    const SensorTableModel *model = m_venue->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const SensorInfo &info = model->sensorAt(row);
        if (!info.isOnline())
            continue;
        (info.status.band == m_switchedTo ? followed : waiting) << info.displayName();
    }
    if (m_session->isScanning()) {
        const int band = m_session->lastBand() == 1 ? 900 : 2400;
        (band == m_switchedTo ? followed : waiting) << localName();
    }
    QString text
        = tr("On %1: %2")
              .arg(page->bandName(), followed.isEmpty() ? tr("none yet") : followed.join(", "));
    if (!waiting.isEmpty())
        text += tr("; not yet: %1").arg(waiting.join(", "));
    page->setFollowNote(text);
}
