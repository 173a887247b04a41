#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "AnalysisHost.h"
#include "DebugConsoles.h"
#include "FileLocations.h"
#include "FirmwareOffer.h"
#include "HandOffServer.h"
#include "HelpMenu.h"
#include "JournalMark.h"
#include "JournalRecovery.h"
#include "LaunchOptions.h"
#include "LaunchSetup.h"
#include "ProjectInfoDialog.h"
#include "RecordingActions.h"
#include "ScanSession.h"
#include "ShowWatch.h"
#include "SidePanels.h"
#include "TavApp.h"
#include "VenuePages.h"
#include "VenueSources.h"
#include "WindowGeometry.h"
#include "data/AppVersion.h"
#include "data/RecordingFile.h"
#include "firmware/FwUpdateDialog.h"
#include "networks/VexaIdOverlay.h"
#include "pages/PageActions.h"
#include "pages/TabPage2400.h"
#include "pages/TabPage900.h"
#include "pages/TavTabWidget.h"
#include "widgets/ToolBarFocus.h"
#include "widgets/UserPrompts.h"
#include "wifi/WifiList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

const QString MainWindow::k_appVersion = AppVersion::text();

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , m_prompts(std::make_unique<UserPrompts>())
    , m_deviceComms(this)
{
    ui->setupUi(this);
    setWindowTitle(tr("Quorvex"));
    m_launch = std::make_unique<LaunchSetup>(
        this, m_deviceComms,
        LaunchSetup::Hooks{[this] { return m_prompts.get(); },
                           [this] {
                               for (TabPage *p : pages())
                                   p->setQcMode();
                               m_session->setQcMode(true);
                           },
                           [this](int offset) { m_session->setAmplOffset(offset); },
                           [this](const QString &url) { m_venue->connectToUrl(url); }});
    WindowGeometry::restore(*this);
    m_panels = new SidePanels(
        this, ui.get(), [this] { return pages(); }, [this] { return tabWidget()->current(); });
    buildToolBar();
    buildStatusBar();

    m_deviceComms.setMessageSink([this](const QString &title, const QString &text) {
        m_prompts->critical(nullptr, title, text);
    });
    buildSession();
    buildPages();
    m_venue
        = new VenueSources(this,
                           {[this](TabPage *page, const QString &title) { addPage(page, title); },
                            [this] { return pageActions(); },
                            [this](const QString &text) { statusBar()->showMessage(text); }});
    m_venuePages = new VenuePages(m_venue, m_session, tabWidget(), this);
    ui->toolBar->insertAction(ui->actionOpen, m_venue->venueAction());
    m_venue->addDockButton(m_venuePages->action());
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
        if (page == this->tabWidget()->current())
            m_panels->updateRecommendation();
    });
    page->vexaIdOverlay()->showVexaIds(m_panels->selectedVexaIds());
    m_journalMark->watch(page);
    m_analysis->attach(page);
    connect(page, &TabPage::reportRequested, this, [this, page] {
        m_recordings->report(page, [this](const QString &text) { statusBar()->showMessage(text); });
    });
    tabWidget()->addPage(page, title);
}

void MainWindow::buildPages()
{
    TavTabWidget *tabs = tabWidget();
    addPage(new TabPage2400(pageActions(), tabs), tr("2.4 GHz"));
    addPage(new TabPage900(pageActions(), tabs), tr("900 MHz"));
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
    connect(ui->actionConnect, &QAction::triggered, m_session,
            [this] { m_session->connectAnalyzer(portOverride(), debugMode()); });
    connect(ui->actionDisconnect, &QAction::triggered, &m_deviceComms,
            &DeviceComms::disconnectFromDevice);
    connect(ui->actionRecord, &QAction::triggered, m_session, &ScanSession::scan);
    connect(ui->actionStop, &QAction::triggered, m_session, &ScanSession::stop);
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
    return tabWidget()->page(index);
}

QList<TabPage *> MainWindow::pages() const
{
    return tabWidget()->pages();
}

void MainWindow::buildToolBar()
{
    m_help = new HelpMenu({ui->actionUser_Manual, ui->actionTavorin_Website,
                           ui->actionUpdate_Firmware, ui->actionAbout},
                          this);
    ui->toolBar->addWidget(m_help->button());
    ui->toolBar->addSeparator();
    ui->toolBar->addAction(ui->actionQuit);
    connect(ui->actionQuit, &QAction::triggered, this, &QWidget::close);
    connect(ui->actionSnapshot, &QAction::triggered, this,
            [this] { m_recordings->snapshot(tabWidget()->current()); });
    connect(ui->actionUpdate_Firmware, &QAction::triggered, this,
            [this] { fwUpdateDialog()->open(); });
    ui->toolBar->toggleViewAction()->setEnabled(false);
    ToolBarFocus::enable(ui->toolBar);
}

void MainWindow::buildStatusBar()
{
    // The firmware update, offered when the analyzer reports other versions than those of the
    // images carried, and when its radio answers only as a bootloader.
    m_firmware = new FirmwareOffer(m_deviceComms, this);
    m_firmware->setPrompts([this] { return m_prompts.get(); });
    m_journalMark = new JournalMark(
        tabWidget(), [this] { return m_prompts.get(); }, this);
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
    if (!fileOpened && m_venue->dock()->isHidden())
        ui->actionConnect->trigger();
    else if (!fileOpened)
        m_session->connectAnalyzer(portOverride(), debugMode(), true);
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
    m_launch->apply(options);
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
    if (args.contains(qc) && !qcMode())
        statusBar()->showMessage(
            tr("QC mode is set only when Quorvex starts: quit it and start it with -qc"));
    args.removeAll(qc);
    parseArgs(args, nullptr);
}

DebugWindow *MainWindow::debugWindow() const
{
    return m_launch->debugWindow();
}

bool MainWindow::openFile(QFile &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    const bool opened = m_recordings->open(
        file, [this, &path](const RfSpectrumHistory &history, const QString &title) {
            // Its edits are journalled until they are saved.
            TabPage *page = addRecordingPage(history, title);
            page->journalKeeper()->setAmends(path, JournalKeeper::editsOf(page->history()));
        });
    if (opened)
        Q_EMIT recordingOpened(file.fileName());
    return opened;
}

TabPage *MainWindow::addRecordingPage(const RfSpectrumHistory &history, const QString &title)
{
    TavTabWidget *tabs = tabWidget();
    TabPage *recording = RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz
        ? static_cast<TabPage *>(new TabPage900(history, pageActions(), tabs))
        : static_cast<TabPage *>(new TabPage2400(history, pageActions(), tabs));
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
    savePage(tabWidget()->current());
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

void MainWindow::onDcConnectedChanged(bool connected)
{
    // A fresh connection starts scanning at once, unless a firmware update is on offer.
    if (connected && !fwUpdateDialog()->isVisible())
        m_session->scan();
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
    if (page(index) && !m_session->releaseUnsaved({page(index)}, tr("Its tab is closing.")))
        return;
    ui->tabWidget->removeTab(index);
    if (closed)
        closed->deleteLater();
}

void MainWindow::on_actionToggle_View_triggered()
{
    if (TabPage *front = tabWidget()->current())
        front->toggleView();
    updateToggleViewText();
}

// The action names the view of the page in front; every page keeps its own.
void MainWindow::updateToggleViewText()
{
    const TabPage *front = tabWidget()->current();
    ui->actionToggle_View->setText(front && front->showsWaterfall() ? tr("Waterfall View")
                                                                    : tr("Spectrogram View"));
}

void MainWindow::on_actionProject_Info_triggered()
{
    m_projectInfoDialog->setData(m_projectInfo);
    m_projectInfoDialog->show();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The scan goes on while the questions are open, but what it sends waits: a save writes
    // the history the question named, and a discarded one gets no new sweeps (nor journal).
    if (!m_session->releaseForQuit(pages(), tr("Quorvex is quitting."))) {
        event->ignore();
        return;
    }
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

PageActions MainWindow::pageActions() const
{
    return {ui->actionSnapshot,
            ui->actionSave,
            ui->actionToggle_View,
            ui->actionMax_Hold,
            ui->actionAverage,
            ui->actionVarsa_VexaIds,
            ui->actionStop,
            ui->actionRecord,
            ui->actionToggle_Channels,
            ui->actionShow_Wifi,
            ui->actionToggle_Wifi_List,
            ui->dockWidgetContentsWifiList};
}
