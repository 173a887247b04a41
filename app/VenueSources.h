#pragma once

#include "VenueSettings.h"

#include <QHash>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <functional>

class PasswordStore;
class QAction;
class QDockWidget;
class QHBoxLayout;
class QLabel;
class QMainWindow;
class QPushButton;
class QTableView;
class SensorTableModel;
class TabPage;
class VenueClient;
struct PageActions;
struct SensorInfo;
struct SweepBatch;

// The window's remote sources: the venue's broker it connects to ("Venue…" or "-venue URL"),
// the Sensors dock that lists what the broker knows, and a live page for each sensor and band.
// A sensor's page gets the sensor's sweeps in the order of their numbers, each once (a backlog
// after an outage, or a replay of what the window missed, fills its place); it journals them
// as a local live page does, its history names the sensor as the scan's location, and it says
// on the page when its sensor stops.
class VenueSources : public QObject
{
    Q_OBJECT

public:
    struct Hooks
    {
        // Puts a new page into a tab of the window, wired like every band page.
        std::function<void(TabPage *page, const QString &title)> addPage;
        std::function<PageActions()> actions;
        // A line for the status bar.
        std::function<void(const QString &text)> status;
    };

    VenueSources(QMainWindow *window, Hooks hooks);
    ~VenueSources() override;

    VenueClient *client() const { return m_client; }
    SensorTableModel *model() const { return m_model; }
    QDockWidget *dock() const { return m_dock; }
    QTableView *table() const { return m_table; }
    // The dock's buttons that switch every sensor to a band: 2400 or 900.
    QPushButton *bandButton(int band) const { return band == 900 ? m_all900 : m_all2400; }
    // "Venue…": the dialog of the broker's address, certificate authorities and user.
    QAction *venueAction() const { return m_venueAction; }
    // A button for `action` in the dock, beside the band buttons.
    void addDockButton(QAction *action);
    // Where passwords are kept (tests give one of their own).
    void setPasswordStore(PasswordStore *store);

    // Connects to the broker at `url` ("-venue"): with the remembered user and password when
    // `url` is the remembered venue's.
    void connectToUrl(const QString &url);
    void connectTo(const VenueSettings &settings, const QString &password);
    // A sensor's page of a band (900 or 2400), or none.
    TabPage *pageOf(const QString &sensorId, int band) const;
    QList<TabPage *> pages() const;
    // The sensors' pages of a band, each with its sensor's name.
    QList<QPair<QString, TabPage *>> pagesOfBand(int band) const;
    // The last problem the venue reported (also shown in the dock).
    QString lastProblem() const;

Q_SIGNALS:
    // A sensor's page of a band was made.
    void pageAdded(TabPage *page, const QString &sensorName, int band);

private:
    void showDialog();
    void onSensorUpdated(const SensorInfo &info);
    void onSweeps(const QString &sensorId, const SweepBatch &batch);
    TabPage *ensurePage(const QString &sensorId, int band);
    void showOnPages(const SensorInfo &info);
    void bringToFront(int row);
    // Asks every sensor on the broker to scan `band`; the Band column shows who followed.
    void switchAll(int band);

    QMainWindow *const m_window;
    const Hooks m_hooks;
    VenueClient *const m_client;
    SensorTableModel *const m_model;
    QDockWidget *m_dock = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_problem = nullptr;
    QPushButton *m_all2400 = nullptr;
    QPushButton *m_all900 = nullptr;
    QHBoxLayout *m_bandRow = nullptr;
    QAction *m_venueAction = nullptr;
    PasswordStore *m_passwords = nullptr;
    QHash<QPair<QString, int>, QPointer<TabPage>> m_pages;
    QHash<QPair<QString, int>, QString> m_names;
};
