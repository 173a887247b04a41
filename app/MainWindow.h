#pragma once

#include "comms/DeviceComms.h"
#include "data/ProjectInfoData.h"
#include "data/ScanParams.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

class DebugWindow;
class FwUpdateDialog;
class ManualView;
class ProjectInfoDialog;
class QFile;
class QLabel;
class QLocalServer;
class QLocalSocket;
class SimulatedAnalyzer;
class TabPage;
class TavTabWidget;
class UserPrompts;

namespace Ui {
class MainWindow;
}

// The application's main window. It owns the session with the analyzer, the two live band pages
// (2.4 GHz at index 0, 900 MHz at index 1) and the recording tabs after them, the Wi-Fi list
// and VEXA ID docks and the project dialog; it turns the session's state into enabled actions,
// routes every sweep to the page in front and restarts the scan when the user switches bands.
// It also holds start-up: command-line options, window geometry, and the local server through
// which a second start hands over its command line.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static const QString k_appVersion;
    // The firmware versions of the images the program carries.
    static const QString k_radioFwString;
    static const QString k_hostFwString;
    // Pause between stopping the scan of one band and starting the other's after a tab switch.
    static constexpr int k_bandSwitchRestartMs = 750;
    // While scanning, a pause in the sweeps this long is reported in the status bar.
    static constexpr int k_noDataReportMs = 5000;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow *getUi() const { return ui.get(); }
    TavTabWidget *tabWidget() const;
    // The band page at a tab index, or none.
    TabPage *page(int index) const;
    ProjectInfoDialog *projectInfoDialog() const { return m_projectInfoDialog; }
    FwUpdateDialog *fwUpdateDialog() const { return m_fwUpdateDialog; }
    // Where a debug console of that frame size goes: right of the window, on the screen.
    QPoint consolePosition(const QSize &consoleFrame) const;
    // The newest debug console, or none.
    DebugWindow *debugWindow() const;
    ProjectInfoData projectInfo() const { return m_projectInfo; }
    DeviceComms *deviceComms() { return &m_deviceComms; }
    // The address of the maker's web site and of the manual in the resources.
    static const QUrl k_webSite;
    static const QUrl k_manualUrl;

    // Makes the user manual's window (a web view unless replaced).
    using ManualViewFactory = std::function<ManualView *()>;
    void setManualViewFactory(ManualViewFactory factory)
    {
        m_manualViewFactory = std::move(factory);
    }
    // Replaces the dialogs that put questions to the user (tests answer them).
    void setUserPrompts(std::unique_ptr<UserPrompts> prompts);
    // The simulated analyzer started by "-simulate", or none.
    SimulatedAnalyzer *simulator() const { return m_simulator.get(); }
    // The serial port named by "-port" or served by the simulated analyzer; Connect then uses
    // it without searching.
    QString portOverride() const { return m_portOverride; }

    // Applies a command line; the first entry (the program path) is skipped. fileOpened, when
    // given, is set when a file path that exists was found, whether or not it could be opened.
    void parseArgs(const QStringList &args, bool *fileOpened);

    void setDebugMode();
    void setQcMode();

    bool debugMode() const { return m_debugMode; }
    bool qcMode() const { return m_qcMode; }
    int rbwOverride() const { return m_rbwOverride; }
    int amplOffset() const { return m_amplOffset; }
    double fstepOverride() const { return m_fstepOverride; }

    // A band's scan parameters with the command-line replacements: "RBW" from -rbw when it is
    // 32 or more, "FStep" from -fstep when it is above 0.
    ScanParams scanParamsWithOverrides(ScanParams params) const;

    // The geometry used when none was saved: centred in the available area, full width,
    // 0.66 of its height.
    static QRect defaultGeometry(const QRect &available);

    // A sample plus an offset, kept inside the signed 8-bit range.
    static qint8 offsetAmplitude(qint8 value, int offset);

public Q_SLOTS:
    bool openFile(QFile &file);
    void saveWindowGeometry();
    void setProjectInfoToHist();
    void onVexaIdSelection(QList<int> ids);

Q_SIGNALS:
    // A recording was read and accepted; its page is opened by the recording tabs.
    void recordingOpened(const QString &filePath);

private Q_SLOTS:
    void startupActions();
    void on_actionConnect_triggered();
    void on_actionDisconnect_triggered();
    void onDcBusyChanged(bool busy);
    void onDcConnectedChanged(bool connected);
    void onDcScanningChanged(bool scanning);
    void onRfsaGetInfoStrDone(quint8 cpu, quint8 str, const QString &data);
    void onDcNewSpecScanAvailable(qint64 timestamp, RfSpectrumScan scan);
    void onVexaIdSelected(int id);
    void onVexaIdDeselected(int id);
    void on_actionRecord_triggered();
    void on_actionStop_triggered();
    void on_actionSave_triggered();
    void on_actionOpen_triggered();
    void on_actionSnapshot_triggered();
    void on_actionToggle_View_triggered();
    void on_actionToggle_Wifi_List_toggled(bool on);
    void on_actionVarsa_VexaIds_toggled(bool on);
    void on_actionProject_Info_triggered();
    void on_actionAbout_triggered();
    void on_actionUser_Manual_triggered();
    void on_actionTavorin_Website_triggered();
    void on_actionUpdate_Firmware_triggered();
    void startBootloader();
    void on_tabWidget_tabCloseRequested(int index);
    void on_tabWidget_currentChanged(int index);
    void onNewLocalConnection();
    void onLocalSocketReadyRead();
    void onLocalSocketDisconnected();
    void on_actionQuit_triggered();

private:
    void restoreWindowGeometry();
    void buildDocks();
    void buildPages();
    // A band page into a new tab, titled and tool-tipped.
    void addPage(TabPage *page, const QString &title);
    // The VEXA ID panel's ranking for the window in view of the page in front.
    void updateRecommendation();
    void buildToolBar();
    void buildStatusBar();
    void startSimulator();
    // Ends the running scan; sweeps still on their way from it are dropped.
    void requestStopScanning();
    // The scan of the band in front after a band switch (none for a recording tab).
    void restartScanAfterBandSwitch();
    // Reports in the status bar how long the running scan has delivered no sweep, once that is
    // k_noDataReportMs or more; the session's own message comes back with the sweeps.
    void checkForMissingSweeps();
    void sweepsArrived();
    QList<TabPage *> pages() const;
    // The default file name's project and band parts for the page in front.
    QString defaultFileName() const;
    QString bandOfFront() const;
    // The VEXA IDs shown on the live pages, for a page that opens later.
    QList<int> selectedVexaIds() const;

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<UserPrompts> m_prompts;
    // Declared before the controller, so the controller's last disconnect still reaches it.
    std::unique_ptr<SimulatedAnalyzer> m_simulator;
    DeviceComms m_deviceComms;
    QString m_portOverride;
    QLabel *m_appVersionLabel = nullptr;
    QLabel *m_radioVersionLabel = nullptr;
    QLabel *m_hostVersionLabel = nullptr;
    ProjectInfoDialog *m_projectInfoDialog = nullptr;
    FwUpdateDialog *m_fwUpdateDialog = nullptr;
    QPointer<DebugWindow> m_debugWindow;
    ManualViewFactory m_manualViewFactory;
    // Set when a scan is asked to stop, cleared when the next scan runs: a sweep the analyzer
    // delivers meanwhile belongs to the stopped scan.
    bool m_scanStopRequested = false;
    QTimer m_bandSwitchTimer;
    QTimer m_noDataTimer;
    QElapsedTimer m_sinceLastSweep;
    bool m_noDataShown = false;

    bool m_debugMode = false;
    bool m_qcMode = false;
    int m_rbwOverride = -1;
    int m_amplOffset = 0;
    double m_fstepOverride = -1.0;
    QLocalServer *m_localServer = nullptr;
    QPointer<QLocalSocket> m_localSocket;
    QStringList m_pendingArgs;
    ProjectInfoData m_projectInfo;
};
