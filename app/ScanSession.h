#pragma once

#include "data/RfSpectrumScan.h"
#include "data/ScanParams.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class DeviceComms;
class QAction;
class QTabWidget;
class TabPage;
class UserPrompts;

// The rules of scanning, between the analyzer session and the band pages: Scan and Stop, the
// scan that follows a switch between the live band tabs, sweeps routed to the live page of the band
// scanned (and dropped when they belong to a stopped scan or another band), the report of an
// analyzer that sends nothing, which actions the session's state allows, and the questions before
// unsaved sweeps go. The live 2.4 GHz page is tab 0, the 900 MHz page tab 1, recordings follow.
class ScanSession : public QObject
{
    Q_OBJECT

public:
    // Pause between stopping the scan of one band and starting the other's after a tab switch.
    static constexpr int k_bandSwitchRestartMs = 750;
    // While scanning, a pause in the sweeps this long is reported in the status bar.
    static constexpr int k_noDataReportMs = 5000;

    // The window's actions whose state follows the session.
    struct Actions
    {
        QAction *scan;
        QAction *stop;
        QAction *connect;
        QAction *disconnect;
        QAction *open;
    };
    // Saves a page's history as a recording, asking where; true once it is written.
    using Saver = std::function<bool(TabPage *page)>;
    // A band's scan parameters with the command line's replacements.
    using ParamsFilter = std::function<ScanParams(ScanParams)>;

    ScanSession(DeviceComms &comms, QTabWidget &tabs, const Actions &actions,
                QObject *parent = nullptr);

    void setPrompts(UserPrompts *prompts) { m_prompts = prompts; }
    void setSaver(Saver saver) { m_saver = std::move(saver); }
    void setParamsFilter(ParamsFilter filter) { m_paramsFilter = std::move(filter); }
    // QC mode: Stop asks nothing, and unsaved live sweeps go without a question.
    void setQcMode(bool on) { m_qcMode = on; }
    // Added to every sweep of the 2.4 GHz band, kept inside the signed 8-bit range.
    void setAmplOffset(int offset) { m_amplOffset = offset; }
    // While a firmware update runs, Connect stays disabled.
    void setConnectAllowed(bool allowed);

    // Connects to the analyzer: at `port` when one is named, else at the one port that
    // describes itself as the analyzer, else at a port the user chooses (every port in debug
    // mode, which also skips the version reads).
    // With `quietWhenNone`, only a port that describes itself as the analyzer is taken, and
    // finding none is said in the status bar, not in a box (a window that shows a venue's
    // sensors may have no analyzer of its own).
    void connectAnalyzer(const QString &port, bool debug, bool quietWhenNone = false);

    // The live band page of tab 0 or 1.
    TabPage *livePage(int index) const;
    // The tab of the band scanned last (0 until a 900 MHz scan ran).
    int lastBand() const { return m_lastBand; }
    // Whether the analyzer scans, or is about to again after a band switch.
    bool isScanning() const;

    // Before the unsaved sweeps of `pages` go: asks Save, Discard or Cancel for each (`why`
    // says what is about to happen); in QC mode a live page's go without a question. False
    // when the user cancelled, or a save was cancelled or failed: then nothing goes.
    bool releaseUnsaved(const QList<TabPage *> &pages, const QString &why);

    static qint8 offsetAmplitude(qint8 value, int offset);

    // While the window asks before quitting, the sweeps that arrive are held back from the
    // pages, so that what is saved or discarded is what the question named. Cancel releases
    // them to their page in order; quitting drops them, and every later one.
    void holdSweeps() { m_gate = Gate::Held; }
    void releaseHeldSweeps();
    void dropHeldSweeps();
    // The window is closing: releaseUnsaved() with the sweeps held while the questions are
    // open. True when the program may quit (and no sweep reaches a page any more).
    bool releaseForQuit(const QList<TabPage *> &pages, const QString &why);

public Q_SLOTS:
    void scan();
    void stop();
    // The tab in front changed: a running scan moves to the band now in front.
    void onTabChanged(int index);
    // Moves a running scan to the band of live tab `index` (0 or 1) whatever is in front;
    // false when nothing scans.
    bool moveScanTo(int index);
    void onSweep(qint64 timestamp, RfSpectrumScan scan);

Q_SIGNALS:
    // A passing state for the status bar; empty clears it.
    void statusMessage(const QString &text);
    // Scan cleared the live pages and is about to set up the analyzer.
    void scanStarting();
    // Scan has asked the analyzer to sweep.
    void scanStarted();

private:
    void onConnectedChanged(bool connected);
    void onScanningChanged(bool scanning);
    void onBusyChanged(bool busy);
    // Ends the running scan; sweeps still on their way from it are dropped.
    void requestStopScanning();
    // The scan of the band in front after a band switch (none for a recording tab).
    void restartAfterBandSwitch();
    void checkForMissingSweeps();
    void routeSweep(qint64 timestamp, RfSpectrumScan scan);
    void sweepsArrived();
    void setRecordingTabsEnabled(bool enabled);
    ScanParams paramsOf(int band) const;

    DeviceComms &m_comms;
    QTabWidget &m_tabs;
    const Actions m_actions;
    UserPrompts *m_prompts = nullptr;
    Saver m_saver;
    ParamsFilter m_paramsFilter;
    bool m_qcMode = false;
    int m_amplOffset = 0;
    bool m_connectAllowed = true;
    int m_lastBand = 0;
    // Set when a scan is asked to stop, cleared when the next scan runs: a sweep the analyzer
    // delivers meanwhile belongs to the stopped scan.
    bool m_stopRequested = false;
    QTimer m_bandSwitchTimer;
    // The live tab a scan was moved to while another page was in front; -1 when none.
    int m_movedTo = -1;
    QTimer m_noDataTimer;
    QElapsedTimer m_sinceLastSweep;
    bool m_noDataShown = false;
    // Where the sweeps go: to the pages, held back while a question is open, or nowhere
    // once the window is quitting.
    enum class Gate { Open, Held, Closed } m_gate = Gate::Open;
    QList<QPair<qint64, RfSpectrumScan>> m_held;
};
