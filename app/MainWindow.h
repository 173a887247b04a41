#pragma once

#include "LaunchSetup.h"
#include "comms/DeviceComms.h"
#include "data/ProjectInfoData.h"
#include "data/RfSpectrumHistory.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class AnalysisHost;
class DebugWindow;
class FirmwareOffer;
class FwUpdateDialog;
class HandOffServer;
class HelpMenu;
class JournalMark;
class ManualView;
struct PageActions;
class ProjectInfoDialog;
class QFile;
class RecordingActions;
class ScanSession;
class ShowWatch;
class SidePanels;
class SimulatedAnalyzer;
class TabPage;
class TavTabWidget;
class UserPrompts;
class VenuePages;
class VenueSources;

namespace Ui {
class MainWindow;
}

// The application's main window. It owns the session with the analyzer, the two live band pages
// (2.4 GHz at index 0, 900 MHz at index 1) and the recording tabs after them, the Wi-Fi list
// and VEXA ID docks and the project dialog, and wires them; the rules of scanning are the scan
// session's. It also holds start-up: command-line options, window geometry, the recovery of
// scans a previous run left unsaved, and the hand-off of a second start's command line.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static const QString k_appVersion;
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow *getUi() const { return ui.get(); }
    TavTabWidget *tabWidget() const;
    // The band page at a tab index, or none.
    TabPage *page(int index) const;
    ProjectInfoDialog *projectInfoDialog() const { return m_projectInfoDialog; }
    FwUpdateDialog *fwUpdateDialog() const;
    // The newest debug console, or none.
    DebugWindow *debugWindow() const;
    ProjectInfoData projectInfo() const { return m_projectInfo; }
    DeviceComms *deviceComms() { return &m_deviceComms; }
    ScanSession *scanSession() const { return m_session; }
    ShowWatch *showWatch() const { return m_watch; }
    VenueSources *venueSources() const { return m_venue; }
    VenuePages *venuePages() const { return m_venuePages; }
    // Makes the user manual's window (a web view unless replaced).
    void setManualViewFactory(std::function<ManualView *()> factory);
    // Replaces the dialogs that put questions to the user (tests answer them).
    void setUserPrompts(std::unique_ptr<UserPrompts> prompts);
    // The simulated analyzer started by "-simulate", or none.
    SimulatedAnalyzer *simulator() const { return m_launch->simulator(); }
    // The serial port named by "-port" or served by the simulated analyzer; Connect then uses
    // it without searching.
    QString portOverride() const { return m_launch->portOverride(); }

    // Applies a command line; the first entry (the program path) is skipped. fileOpened, when
    // given, is set when a file path that exists was found, whether or not it could be opened.
    void parseArgs(const QStringList &args, bool *fileOpened);
    // A second start's command line, handed over: applied as parseArgs() does, except that
    // it never changes the mode.
    void onHandOff(QStringList args);

    bool debugMode() const { return m_launch->debugMode(); }
    bool qcMode() const { return m_launch->qcMode(); }
    int rbwOverride() const { return m_launch->overrides().rbw; }
    int amplOffset() const { return m_launch->overrides().ampl; }
    double fstepOverride() const { return m_launch->overrides().fstep; }
    // A band's scan parameters with the command-line replacements.
    ScanParams scanParamsWithOverrides(ScanParams params) const
    {
        return m_launch->overrides().apply(std::move(params));
    }
    // The window's actions that band pages show.
    PageActions pageActions() const;

    // Saves a page's history as a recording, asking where; true once it is written.
    bool savePage(TabPage *page);
    // Offers the scans a previous run left unsaved; returns how many were recovered.
    int offerRecovery();

public Q_SLOTS:
    bool openFile(QFile &file);
    void saveWindowGeometry();
    void setProjectInfoToHist();

Q_SIGNALS:
    // A recording was read and accepted; its page is opened by the recording tabs.
    void recordingOpened(const QString &filePath);

protected:
    // Closing the window quits the program (whatever other windows are open), once every
    // unsaved scan is saved or discarded.
    void closeEvent(QCloseEvent *event) override;

private Q_SLOTS:
    void startupActions();
    void onDcConnectedChanged(bool connected);
    void on_actionSave_triggered();
    void on_actionOpen_triggered();
    void on_actionToggle_View_triggered();
    void on_actionProject_Info_triggered();
    void on_tabWidget_tabCloseRequested(int index);
    void on_tabWidget_currentChanged(int index);

private:
    void buildPages();
    // A band page into a new tab, titled and tool-tipped.
    void addPage(TabPage *page, const QString &title);
    void updateToggleViewText();
    void buildToolBar();
    void buildStatusBar();
    void buildSession();
    // A recording page for a history, in a new tab (disabled while scanning, else in front).
    TabPage *addRecordingPage(const RfSpectrumHistory &history, const QString &title);
    QList<TabPage *> pages() const;

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<UserPrompts> m_prompts;
    // Declared before the controller, so the controller's last disconnect still reaches it.
    std::unique_ptr<LaunchSetup> m_launch;
    DeviceComms m_deviceComms;
    ProjectInfoDialog *m_projectInfoDialog = nullptr;
    FirmwareOffer *m_firmware = nullptr;
    HelpMenu *m_help = nullptr;
    SidePanels *m_panels = nullptr;
    ScanSession *m_session = nullptr;
    ShowWatch *m_watch = nullptr;
    VenueSources *m_venue = nullptr;
    VenuePages *m_venuePages = nullptr;
    std::unique_ptr<RecordingActions> m_recordings;
    AnalysisHost *m_analysis = nullptr;

    HandOffServer *m_handOff = nullptr;
    ProjectInfoData m_projectInfo;
    JournalMark *m_journalMark = nullptr;
};
