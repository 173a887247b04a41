#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "AnalysisHost.h"
#include "AppLog.h"
#include "FileLocations.h"
#include "FirmwareOffer.h"
#include "HandOffServer.h"
#include "HelpMenu.h"
#include "JournalRecovery.h"
#include "LaunchOptions.h"
#include "ProjectInfoDialog.h"
#include "RecordingActions.h"
#include "ScanSession.h"
#include "ShowWatch.h"
#include "SidePanels.h"
#include "TavApp.h"
#include "WindowGeometry.h"
#include "data/AppVersion.h"
#include "data/RecordingFile.h"
#include "firmware/FwUpdateDialog.h"
#include "pages/TabPage2400.h"
#include "pages/TabPage900.h"
#include "pages/TavTabWidget.h"
#include "sim/SimulatedAnalyzer.h"
#include "widgets/DebugWindow.h"
#include "widgets/ToolBarFocus.h"
#include "widgets/UserPrompts.h"
#include "wifi/NativeWifi.h"
#include "wifi/WifiList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

const QString MainWindow::k_appVersion = AppVersion::text();

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , m_prompts(std::make_unique<UserPrompts>())
    , m_deviceComms(this)
{
    ui->setupUi(this);
    setWindowTitle(tr("Quorvex"));
    WindowGeometry::restore(*this);
    m_panels = new SidePanels(
        this, ui.get(), [this] { return pages(); },
        [this] { return page(ui->tabWidget->currentIndex()); });
    buildToolBar();
    buildStatusBar();

    m_deviceComms.setMessageSink([this](const QString &title, const QString &text) {
        m_prompts->critical(nullptr, title, text);
    });
    buildSession();
    buildPages();
    // After the session, which sets its actions first on a connection.
    connect(&m_deviceComms, &DeviceComms::connectedChanged, this,
            &MainWindow::onDcConnectedChanged);
    statusBar()->showMessage(tr("Ready to connect"));

    connect(&m_deviceComms, &DeviceComms::scanningChanged, ui->actionUpdate_Firmware,
            &QAction::setDisabled);
    m_watch = new ShowWatch(*this, [this] { return m_prompts.get(); });

    m_projectInfoDialog = new ProjectInfoDialog(this);
    connect(m_projectInfoDialog, &QDialog::accepted, this, &MainWindow::setProjectInfoToHist);

    m_handOff = new HandOffServer(this);
    connect(m_handOff, &HandOffServer::argumentsReceived, this, &MainWindow::onHandOff);

    if (auto *app = qobject_cast<TavApp *>(QCoreApplication::instance()))
        connect(app, &TavApp::fileOpenRequested, this, &MainWindow::openFile);
    // At quit the communication thread ends (after a last disconnect) before the geometry is
    // written.
    connect(qApp, &QCoreApplication::aboutToQuit, &m_deviceComms,
            &DeviceComms::terminateCommsThread);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::saveWindowGeometry);

    QTimer::singleShot(0, this, &MainWindow::startupActions);
}

MainWindow::~MainWindow()
{
    // The pages go with the window's children, after the form and the controller: nothing
    // they do while going may reach this window's slots.
    ui->tabWidget->disconnect(this);
    ui->tabWidget->disconnect(m_session);
    ui->tabWidget->disconnect(m_watch);
    // The controller's last disconnect goes to the simulated analyzer, so it ends first.
    m_deviceComms.terminateCommsThread();
    if (m_simulator)
        NativeWifi::clearSimulatedAir();
}

void MainWindow::setUserPrompts(std::unique_ptr<UserPrompts> prompts)
{
    m_prompts = prompts ? std::move(prompts) : std::make_unique<UserPrompts>();
    if (m_session)
        m_session->setPrompts(m_prompts.get());
    if (m_recordings)
        m_recordings->setPrompts(m_prompts.get());
    if (m_analysis)
        m_analysis->setPrompts(m_prompts.get());
}

void MainWindow::saveWindowGeometry()
{
    WindowGeometry::save(*this);
}

void MainWindow::addPage(TabPage *page, const QString &title)
{
    // The recommendation follows the window in view of the page in front.
    connect(page, &TabPage::visibleWindowChanged, this, [this, page] {
        if (page == this->page(ui->tabWidget->currentIndex()))
            m_panels->updateRecommendation();
    });
    // A journal that cannot be written leaves the scan unprotected: a mark in the status bar
    // says so while it lasts, and the user is told once for each cause.
    connect(page, &TabPage::journalFailed, this, [this, page](const QString &reason) {
        updateJournalMark();
        if (m_journalProblemsTold.contains(reason))
            return;
        m_journalProblemsTold.insert(reason);
        m_prompts->warning(this, tr("Unsaved scan at risk"),
                           tr("The %1 scan cannot be kept safe from a crash: %2. Scanning goes "
                              "on; Quorvex tries again every minute. Save it to keep it.")
                               .arg(page->bandName(), reason));
    });
    connect(page, &TabPage::journalResumed, this, &MainWindow::updateJournalMark);
    connect(page, &QObject::destroyed, this, &MainWindow::updateJournalMark, Qt::QueuedConnection);
    m_analysis->attach(page);
    connect(page, &TabPage::reportRequested, this, [this, page] {
        m_recordings->report(page, [this](const QString &text) { statusBar()->showMessage(text); });
    });
    const int index = ui->tabWidget->addTab(page, title);
    ui->tabWidget->setTabToolTip(index, title);
}

void MainWindow::updateJournalMark()
{
    QStringList at;
    QString reason;
    for (TabPage *p : pages()) {
        if (p->journalKeeper()->isBroken()) {
            at.append(ui->tabWidget->tabText(ui->tabWidget->indexOf(p)));
            reason = p->journalKeeper()->problem();
        }
    }
    m_journalMark->setVisible(!at.isEmpty());
    m_journalMark->setText(tr("Not protected from a crash: %1").arg(at.join(QStringLiteral(", "))));
    m_journalMark->setToolTip(reason);
}

void MainWindow::buildPages()
{
    TavTabWidget *tabs = tabWidget();
    addPage(new TabPage2400(this, tabs), tr("2.4 GHz"));
    addPage(new TabPage900(this, tabs), tr("900 MHz"));
    for (int index : {0, 1}) {
        tabs->tabBar()->setTabButton(index, QTabBar::LeftSide, nullptr);
        tabs->tabBar()->setTabButton(index, QTabBar::RightSide, nullptr);
    }
}

void MainWindow::buildSession()
{
    m_recordings
        = std::make_unique<RecordingActions>(this, [this] { return m_projectInfo.projectName; });
    m_recordings->setPrompts(m_prompts.get());
    m_analysis = new AnalysisHost(ui->tabWidget, ui->dockWidgetContentsVexaIds, ui->toolBar, this);
    m_analysis->setPrompts(m_prompts.get());
    m_session = new ScanSession(
        m_deviceComms, *ui->tabWidget,
        {ui->actionRecord, ui->actionStop, ui->actionConnect, ui->actionDisconnect, ui->actionOpen},
        this);
    m_session->setPrompts(m_prompts.get());
    m_session->setSaver([this](TabPage *page) { return savePage(page); });
    m_session->setParamsFilter(
        [this](ScanParams params) { return scanParamsWithOverrides(std::move(params)); });
    connect(&m_deviceComms, &DeviceComms::rfsaGetSpecNoInitDone, m_session, &ScanSession::onSweep);
    connect(m_session, &ScanSession::statusMessage, this,
            [this](const QString &text) { statusBar()->showMessage(text); });
    connect(m_session, &ScanSession::scanStarting, this, &MainWindow::setProjectInfoToHist);
    connect(m_session, &ScanSession::scanStarted, this, [this] {
        if (m_projectInfo.projectName.isEmpty())
            ui->actionProject_Info->trigger();
    });
    // Nothing else may use the port while an update writes the analyzer.
    connect(fwUpdateDialog(), &FwUpdateDialog::updatingChanged, m_session,
            [this](bool updating) { m_session->setConnectAllowed(!updating); });
}

TavTabWidget *MainWindow::tabWidget() const
{
    return static_cast<TavTabWidget *>(ui->tabWidget);
}

TabPage *MainWindow::page(int index) const
{
    return qobject_cast<TabPage *>(ui->tabWidget->widget(index));
}

QList<TabPage *> MainWindow::pages() const
{
    QList<TabPage *> result;
    for (int i = 0; i < ui->tabWidget->count(); ++i) {
        if (TabPage *p = page(i))
            result.append(p);
    }
    return result;
}

void MainWindow::buildToolBar()
{
    m_help = new HelpMenu({ui->actionUser_Manual, ui->actionTavorin_Website,
                           ui->actionUpdate_Firmware, ui->actionAbout},
                          this);
    ui->toolBar->addWidget(m_help->button());
    ui->toolBar->addSeparator();
    ui->toolBar->addAction(ui->actionQuit);
    ui->toolBar->toggleViewAction()->setEnabled(false);
    ToolBarFocus::enable(ui->toolBar);
}

void MainWindow::buildStatusBar()
{
    // The firmware update, offered when the analyzer reports other versions than those of the
    // images carried, and when its radio answers only as a bootloader.
    m_firmware = new FirmwareOffer(m_deviceComms, this);
    m_firmware->setMessageSink([this](bool failure, const QString &title, const QString &text) {
        if (failure)
            m_prompts->critical(fwUpdateDialog(), title, text);
        else
            m_prompts->information(fwUpdateDialog(), title, text);
    });
    m_journalMark = new QLabel(this);
    m_journalMark->setObjectName(QStringLiteral("journalMark"));
    m_journalMark->setStyleSheet(QStringLiteral("color: #ff8c42; font-weight: bold;"));
    m_journalMark->hide();
    statusBar()->addPermanentWidget(m_journalMark);
    statusBar()->addPermanentWidget(new QLabel(QStringLiteral("A: v") + k_appVersion, this));
    statusBar()->addPermanentWidget(m_firmware->radioVersionLabel());
    statusBar()->addPermanentWidget(m_firmware->hostVersionLabel());
}

void MainWindow::startupActions()
{
    // Scans a previous run left come first; whatever the answer, start-up then carries on as
    // it would have. A recovered scan waits in its own tab for Save: a new scan clears only
    // the live pages.
    offerRecovery();
    bool fileOpened = false;
    parseArgs(QCoreApplication::arguments(), &fileOpened);
    if (!fileOpened)
        ui->actionConnect->trigger();
    ui->actionShow_Wifi->trigger();
}

int MainWindow::offerRecovery()
{
    return JournalRecovery::offer(this, *m_prompts,
                                  [this](const RfSpectrumHistory &history, const QString &title) {
                                      return addRecordingPage(history, title);
                                  });
}

void MainWindow::parseArgs(const QStringList &args, bool *fileOpened)
{
    const LaunchOptions options = LaunchOptions::parse(args);
    for (int i = 0; i < options.debugConsoles; ++i)
        setDebugMode();
    if (options.qc)
        setQcMode();
    m_rbwOverride = options.rbw.value_or(m_rbwOverride);
    m_fstepOverride = options.fstep.value_or(m_fstepOverride);
    if (options.ampl) {
        m_amplOffset = *options.ampl;
        m_session->setAmplOffset(m_amplOffset);
    }
    // The simulated analyzer's port is the one to use while it runs.
    if (options.simulate)
        startSimulator();
    if (options.port && !m_simulator)
        m_portOverride = *options.port;
    for (const QString &path : options.files) {
        QFile file(path);
        openFile(file);
        if (fileOpened)
            *fileOpened = true;
    }
}

void MainWindow::onHandOff(QStringList args)
{
    // QC mode drops unsaved scans without a question: only a start of its own sets it, never
    // a second start that hands its command line over.
    const QString qc = QStringLiteral("-qc");
    if (args.contains(qc) && !m_qcMode)
        statusBar()->showMessage(
            tr("QC mode is set only when Quorvex starts: quit it and start it with -qc"));
    args.removeAll(qc);
    parseArgs(args, nullptr);
}

void MainWindow::startSimulator()
{
    if (m_simulator)
        return;
    // QUORVEX_SIM_RADIO_VERSION makes the simulated radio report (and hold in its flash)
    // another firmware version, so that the update can be tried.
    SimulatedAnalyzerSettings settings;
    const QString radioVersion = qEnvironmentVariable("QUORVEX_SIM_RADIO_VERSION");
    if (!radioVersion.isEmpty())
        settings.radioInfo = radioVersion;
    auto simulator = std::make_unique<SimulatedAnalyzer>(settings);
    if (!simulator->start()) {
        m_prompts->critical(
            this, tr("Error"),
            tr("Unable to start the simulated analyzer: %1").arg(simulator->errorString()));
        return;
    }
    m_simulator = std::move(simulator);
    m_portOverride = m_simulator->portName();
    // The computer's Wi-Fi then hears the access points of the simulated site.
    NativeWifi::setSimulatedAir(m_simulator->air());
    qCInfo(lcApp).noquote() << "Simulated analyzer on" << m_portOverride;
}

DebugWindow *MainWindow::debugWindow() const
{
    return m_debugWindow.data();
}

void MainWindow::setDebugMode()
{
    m_debugMode = true;

    // A console of its own beside the window; a repeated "-debug" opens a further one.
    QStringList ports;
    for (const auto &port : m_deviceComms.ports())
        ports.append(port.first);
    auto *console = new DebugWindow(this, ports);
    console->setWindowFlags(Qt::Window);
    console->show();
    console->placeBeside(this);
    console->setFileChooser([this](QWidget *parent) {
        const QUrl url = m_prompts->saveFileUrl(parent, tr("Save Log"),
                                                QDir::homePath() + QStringLiteral("/quorvex.log"),
                                                tr("Log Files:") + QStringLiteral(" *.log *.txt"));
        return url.isLocalFile() ? url.toLocalFile() : QString();
    });
    console->setErrorSink([this](QWidget *parent, const QString &text) {
        m_prompts->critical(parent, tr("Error"), text);
    });
    m_debugWindow = console;

    console->attachTo(&m_deviceComms);

    DeviceComms::printPortsInfo();
}

void MainWindow::setQcMode()
{
    m_qcMode = true;
    for (TabPage *p : pages())
        p->setQcMode();
    m_deviceComms.setNoCommError(true);
    m_session->setQcMode(true);
}

ScanParams MainWindow::scanParamsWithOverrides(ScanParams params) const
{
    if (m_rbwOverride >= 32)
        params.insert("RBW", m_rbwOverride);
    if (m_fstepOverride > 0.0)
        params.insert("FStep", m_fstepOverride);
    return params;
}

bool MainWindow::openFile(QFile &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    const bool opened = m_recordings->open(
        file, [this, &path](const RfSpectrumHistory &history, const QString &title) {
            // Its edits are journalled until they are saved.
            addRecordingPage(history, title)->setRecordingFile(path);
        });
    if (opened)
        Q_EMIT recordingOpened(file.fileName());
    return opened;
}

TabPage *MainWindow::addRecordingPage(const RfSpectrumHistory &history, const QString &title)
{
    TavTabWidget *tabs = tabWidget();
    TabPage *recording = RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz
        ? static_cast<TabPage *>(new TabPage900(history, this, tabs))
        : static_cast<TabPage *>(new TabPage2400(history, this, tabs));
    recording->vexaIdSelection(m_panels->selectedVexaIds());
    addPage(recording, title);
    const int index = tabs->count() - 1;
    // While a scan runs, the recording waits in a disabled tab until Stop.
    if (m_deviceComms.scanning())
        tabs->setTabEnabled(index, false);
    else
        tabs->setCurrentIndex(index);
    return recording;
}

void MainWindow::on_actionSave_triggered()
{
    savePage(page(ui->tabWidget->currentIndex()));
}

bool MainWindow::savePage(TabPage *page)
{
    return m_recordings->save(page);
}

void MainWindow::on_actionOpen_triggered()
{
    QFile file(m_recordings->askOpen());
    if (!file.fileName().isEmpty() && openFile(file))
        FileLocations::remember(FileLocations::Kind::Recording, file.fileName());
}

void MainWindow::on_actionSnapshot_triggered()
{
    m_recordings->snapshot(page(ui->tabWidget->currentIndex()));
}

void MainWindow::on_actionConnect_triggered()
{
    m_session->connectAnalyzer(m_portOverride, m_debugMode);
}

void MainWindow::on_actionDisconnect_triggered()
{
    m_deviceComms.disconnectFromDevice();
}

void MainWindow::onDcConnectedChanged(bool connected)
{
    // A fresh connection starts scanning at once, unless a firmware update is on offer.
    if (connected && !fwUpdateDialog()->isVisible())
        m_session->scan();
}

void MainWindow::on_actionRecord_triggered()
{
    m_session->scan();
}

void MainWindow::on_actionStop_triggered()
{
    m_session->stop();
}

void MainWindow::setProjectInfoToHist()
{
    m_projectInfo = m_projectInfoDialog->savedData();
    page(0)->setProjectInfo(m_projectInfo);
    page(1)->setProjectInfo(m_projectInfo);
}

void MainWindow::on_tabWidget_currentChanged(int index)
{
    TabPage *front = page(index);
    if (!front)
        return;
    m_panels->followFront();
    updateToggleViewText();
    m_session->onTabChanged(index);
    m_projectInfo = front->history().projectInfo;
}

void MainWindow::on_tabWidget_tabCloseRequested(int index)
{
    // Only recording tabs have a close button; their page goes with the tab, and a recovered
    // scan not saved yet asks first.
    QWidget *closed = ui->tabWidget->widget(index);
    if (!m_session->releaseUnsaved({page(index)}, tr("Its tab is closing.")))
        return;
    ui->tabWidget->removeTab(index);
    if (closed)
        closed->deleteLater();
}

void MainWindow::on_actionToggle_View_triggered()
{
    if (TabPage *front = page(ui->tabWidget->currentIndex()))
        front->toggleView();
    updateToggleViewText();
}

// The action names the view of the page in front; every page keeps its own.
void MainWindow::updateToggleViewText()
{
    const TabPage *front = page(ui->tabWidget->currentIndex());
    ui->actionToggle_View->setText(front && front->showsWaterfall() ? tr("Waterfall View")
                                                                    : tr("Spectrogram View"));
}

void MainWindow::on_actionProject_Info_triggered()
{
    m_projectInfoDialog->setData(m_projectInfo);
    m_projectInfoDialog->show();
}

void MainWindow::onVexaIdSelection(QList<int> ids)
{
    m_panels->showVexaIds(ids);
}

void MainWindow::on_actionUpdate_Firmware_triggered()
{
    fwUpdateDialog()->open();
}

void MainWindow::on_actionQuit_triggered()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The scan goes on while the questions are open, but what it sends waits: a save writes
    // the history the question named, and a discarded one gets no new sweeps (nor journal).
    m_session->holdSweeps();
    if (!m_session->releaseUnsaved(pages(), tr("Quorvex is quitting."))) {
        m_session->releaseHeldSweeps();
        event->ignore();
        return;
    }
    m_session->dropHeldSweeps();
    event->accept();
    // Other windows (About, the manual, a debug console) do not keep the program running:
    // they close too, and the last window closed ends it.
    for (QWidget *other : QApplication::topLevelWidgets()) {
        if (other != this && other->isVisible())
            other->close();
    }
}

FwUpdateDialog *MainWindow::fwUpdateDialog() const
{
    return m_firmware->dialog();
}

void MainWindow::setManualViewFactory(std::function<ManualView *()> factory)
{
    m_help->setManualViewFactory(std::move(factory));
}
