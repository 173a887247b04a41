#include "SidePanels.h"
#include "ui_MainWindow.h"

#include "data/VexaIdAdvisor.h"
#include "networks/VexaIdOverlay.h"
#include "networks/VexaIdPanel.h"
#include "pages/TabPage2400.h"
#include "widgets/RangeSlider.h"

SidePanels::SidePanels(QMainWindow *window, Ui::MainWindow *ui, Pages pages, Front front)
    : QObject(window)
    , m_window(window)
    , m_ui(ui)
    , m_pages(std::move(pages))
    , m_front(std::move(front))
{
    m_ui->dockWidgetWifiList->hide();
    m_ui->dockWidgetVexaIds->hide();
    m_window->tabifyDockWidget(m_ui->dockWidgetWifiList, m_ui->dockWidgetVexaIds);
    VexaIdPanel *panel = m_ui->dockWidgetContentsVexaIds;
    connect(panel, &VexaIdPanel::vexaIdSelected, this, [this](int id) {
        for (TabPage *page : m_pages())
            page->vexaIdOverlay()->showVexaId(id);
    });
    connect(panel, &VexaIdPanel::vexaIdDeselected, this, [this](int id) {
        for (TabPage *page : m_pages())
            page->vexaIdOverlay()->hideVexaId(id);
    });
    connect(panel, &VexaIdPanel::rankingRequested, this, &SidePanels::updateRecommendation);
    connect(m_ui->actionToggle_Wifi_List, &QAction::toggled, this, &SidePanels::showWifiList);
    connect(m_ui->actionVarsa_VexaIds, &QAction::toggled, this, &SidePanels::showVexaIdPanel);
}

void SidePanels::followFront()
{
    const TabPage *front = m_front();
    if (!front)
        return;
    const bool band2400 = qobject_cast<const TabPage2400 *>(front) != nullptr;
    if (band2400)
        m_ui->dockWidgetWifiList->setVisible(m_ui->actionToggle_Wifi_List->isChecked());
    m_ui->dockWidgetContentsVexaIds->setBand(band2400 ? VexaIdModel::Band2400MHz
                                                      : VexaIdModel::Band900MHz);
    updateRecommendation();
}

void SidePanels::updateRecommendation()
{
    VexaIdPanel *panel = m_ui->dockWidgetContentsVexaIds;
    const TabPage *front = m_front();
    if (!panel->recommending() || !front)
        return;
    const RangeSlider *window = front->timeBar();
    panel->setRanking(VexaIdAdvisor::rank(front->history(), int(window->lowerValue()),
                                          int(window->upperValue()), panel->advisorOptions()));
}

QList<int> SidePanels::selectedVexaIds() const
{
    QList<int> ids;
    for (TabPage *page : m_pages()) {
        if (!page->isPlayback())
            ids += page->vexaIdOverlay()->selectedIds();
    }
    return ids;
}

void SidePanels::showVexaIds(const QList<int> &ids)
{
    for (TabPage *page : m_pages())
        page->vexaIdOverlay()->showVexaIds(ids);
}

void SidePanels::showWifiList(bool on)
{
    if (!qobject_cast<const TabPage2400 *>(m_front()))
        return;
    m_ui->dockWidgetWifiList->setVisible(on);
    if (on)
        m_ui->dockWidgetWifiList->raise();
}

void SidePanels::showVexaIdPanel(bool on)
{
    m_ui->dockWidgetVexaIds->setVisible(on);
    if (on)
        m_ui->dockWidgetVexaIds->raise();
}
