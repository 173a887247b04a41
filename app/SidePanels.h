#pragma once

#include <QList>
#include <QObject>
#include <functional>

class QMainWindow;
class TabPage;
namespace Ui {
class MainWindow;
}

// The docks beside the pages: the Wi-Fi list (for the 2.4 GHz band) and the VEXA ID panel, and
// the actions that show them. The panel's band and its ranking follow the page in front and the
// stretch it shows; the VEXA IDs chosen in the panel reach every page.
class SidePanels : public QObject
{
    Q_OBJECT

public:
    using Pages = std::function<QList<TabPage *>()>;
    using Front = std::function<TabPage *()>;

    SidePanels(QMainWindow *window, Ui::MainWindow *ui, Pages pages, Front front);

    // Another page came to the front.
    void followFront();
    // The panel's ranking of the stretch the page in front shows, when it recommends.
    void updateRecommendation();
    // The VEXA IDs shown on the live pages, for a page that opens later.
    QList<int> selectedVexaIds() const;
    void showVexaIds(const QList<int> &ids);

private:
    void showWifiList(bool on);
    void showVexaIdPanel(bool on);

    QMainWindow *const m_window;
    Ui::MainWindow *const m_ui;
    const Pages m_pages;
    const Front m_front;
};
