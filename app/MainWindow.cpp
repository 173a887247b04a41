#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "About.h"
#include "AppLog.h"
#include "FileLocations.h"
#include "ProjectInfoDialog.h"
#include "SingleInstance.h"
#include "SnapshotFile.h"
#include "TavApp.h"
#include "UserPrompts.h"
#include "WebManualView.h"
#include "data/Constants.h"
#include "data/RecordingFile.h"
#include "data/VexaIdAdvisor.h"
#include "firmware/FwUpdateDialog.h"
#include "networks/VexaIdOverlay.h"
#include "networks/VexaIdPanel.h"
#include "pages/TabPage2400.h"
#include "pages/TabPage900.h"
#include "pages/TavTabWidget.h"
#include "sim/SimulatedAnalyzer.h"
#include "widgets/DebugWindow.h"
#include "widgets/RangeSlider.h"
#include "wifi/NativeWifi.h"
#include "wifi/WifiList.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

const QString MainWindow::k_appVersion = QStringLiteral("1.0.0.9.0.281");
const QString MainWindow::k_radioFwString = QStringLiteral("1.0.0.9.0.0");
const QString MainWindow::k_hostFwString = QStringLiteral("1.0.0.9.0.69");
const QUrl MainWindow::k_webSite(QStringLiteral("https://tavorin.example"));
const QUrl MainWindow::k_manualUrl(QStringLiteral("qrc:/manual/index.html"));

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , m_prompts(std::make_unique<UserPrompts>())
    , m_deviceComms(this)
    , m_manualViewFactory([] { return new WebManualView; })
{
    ui->setupUi(this);
    setWindowTitle(tr("Quorvex"));
    restoreWindowGeometry();
    buildDocks();
    buildToolBar();
    buildStatusBar();

    m_deviceComms.setMessageSink([this](const QString &title, const QString &text) {
        m_prompts->critical(nullptr, title, text);
    });
    connect(&m_deviceComms, &DeviceComms::busyChanged, this, &MainWindow::onDcBusyChanged);
    connect(&m_deviceComms, &DeviceComms::connectedChanged, this,
            &MainWindow::onDcConnectedChanged);
    connect(&m_deviceComms, &DeviceComms::scanningChanged, this, &MainWindow::onDcScanningChanged);
    connect(&m_deviceComms, &DeviceComms::rfsaGetInfoStrDone, this,
            &MainWindow::onRfsaGetInfoStrDone);
    connect(&m_deviceComms, &DeviceComms::rfsaGetSpecNoInitDone, this,
            &MainWindow::onDcNewSpecScanAvailable);

    buildPages();
    statusBar()->showMessage(tr("Ready to connect"));
    page(0)->setEnabled(false);
    page(1)->setEnabled(false);
    ui->actionDisconnect->setEnabled(false);
    ui->actionStop->setEnabled(false);

    // The firmware update, offered when the analyzer reports other versions than those of the
    // images carried, and when its radio answers only as a bootloader.
    m_fwUpdateDialog = new FwUpdateDialog(&m_deviceComms, this);
    m_fwUpdateDialog->setModal(true);
    m_fwUpdateDialog->setMessageSink(
        [this](bool failure, const QString &title, const QString &text) {
            if (failure)
                m_prompts->critical(m_fwUpdateDialog, title, text);
            else
                m_prompts->information(m_fwUpdateDialog, title, text);
        });
    connect(&m_deviceComms, &DeviceComms::scanningChanged, ui->actionUpdate_Firmware,
            &QAction::setDisabled);
    connect(&m_deviceComms, &DeviceComms::shouldTryBootload, this, &MainWindow::startBootloader);

    m_projectInfoDialog = new ProjectInfoDialog(this);
    connect(m_projectInfoDialog, &QDialog::accepted, this, &MainWindow::setProjectInfoToHist);

    m_bandSwitchTimer.setSingleShot(true);
    m_bandSwitchTimer.setInterval(k_bandSwitchRestartMs);
    connect(&m_bandSwitchTimer, &QTimer::timeout, this, &MainWindow::restartScanAfterBandSwitch);
    m_noDataTimer.setInterval(250);
    connect(&m_noDataTimer, &QTimer::timeout, this, &MainWindow::checkForMissingSweeps);

    m_localServer = new QLocalServer(this);
    SingleInstance::listen(*m_localServer);
    connect(m_localServer, &QLocalServer::newConnection, this, &MainWindow::onNewLocalConnection);

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
    m_bandSwitchTimer.stop();
    // The controller's last disconnect goes to the simulated analyzer, so it ends first.
    m_deviceComms.terminateCommsThread();
    if (m_simulator)
        NativeWifi::clearSimulatedAir();
}

void MainWindow::setUserPrompts(std::unique_ptr<UserPrompts> prompts)
{
    m_prompts = prompts ? std::move(prompts) : std::make_unique<UserPrompts>();
}

QRect MainWindow::defaultGeometry(const QRect &available)
{
    const int height = int(available.height() * 0.66);
    return QRect(available.x(), available.y() + (available.height() - height) / 2,
                 available.width(), height);
}

void MainWindow::restoreWindowGeometry()
{
    QSettings settings;
    QRect available(0, 0, 1280, 800);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    setGeometry(settings.value("WindowGeometry", defaultGeometry(available)).toRect());
    if (settings.value("WindowMaximized", false).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::saveWindowGeometry()
{
    QSettings settings;
    settings.setValue("WindowMaximized", isMaximized());
    if (!isMaximized())
        settings.setValue("WindowGeometry", geometry());
}

void MainWindow::buildDocks()
{
    ui->dockWidgetWifiList->hide();
    ui->dockWidgetVexaIds->hide();
    tabifyDockWidget(ui->dockWidgetWifiList, ui->dockWidgetVexaIds);
    VexaIdPanel *panel = ui->dockWidgetContentsVexaIds;
    connect(panel, &VexaIdPanel::vexaIdSelected, this, &MainWindow::onVexaIdSelected);
    connect(panel, &VexaIdPanel::vexaIdDeselected, this, &MainWindow::onVexaIdDeselected);
    connect(panel, &VexaIdPanel::rankingRequested, this, &MainWindow::updateRecommendation);
}

void MainWindow::addPage(TabPage *page, const QString &title)
{
    // The recommendation follows the window in view of the page in front.
    connect(page, &TabPage::visibleWindowChanged, this, [this, page] {
        if (page == this->page(ui->tabWidget->currentIndex()))
            updateRecommendation();
    });
    const int index = ui->tabWidget->addTab(page, title);
    ui->tabWidget->setTabToolTip(index, title);
}

void MainWindow::updateRecommendation()
{
    VexaIdPanel *panel = ui->dockWidgetContentsVexaIds;
    const TabPage *front = page(ui->tabWidget->currentIndex());
    if (!panel->recommending() || !front)
        return;
    const RangeSlider *window = front->timeBar();
    panel->setRanking(VexaIdAdvisor::rank(front->history(), int(window->lowerValue()),
                                          int(window->upperValue()), panel->advisorOptions()));
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
    auto *help = new QToolButton(this);
    help->setText(tr("Help") + QStringLiteral("  "));
    help->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(help);
    menu->addAction(ui->actionUser_Manual);
    menu->addAction(ui->actionTavorin_Website);
    menu->addAction(ui->actionUpdate_Firmware);
    menu->addAction(ui->actionAbout);
    help->setMenu(menu);
    ui->toolBar->addWidget(help);
    ui->toolBar->addSeparator();
    ui->toolBar->addAction(ui->actionQuit);
    ui->toolBar->toggleViewAction()->setEnabled(false);
}

void MainWindow::buildStatusBar()
{
    m_appVersionLabel = new QLabel(QStringLiteral("A: v") + k_appVersion, this);
    m_radioVersionLabel = new QLabel(QStringLiteral("R: v---"), this);
    m_hostVersionLabel = new QLabel(QStringLiteral("H: v---"), this);
    statusBar()->addPermanentWidget(m_appVersionLabel);
    statusBar()->addPermanentWidget(m_radioVersionLabel);
    statusBar()->addPermanentWidget(m_hostVersionLabel);
}

void MainWindow::startupActions()
{
    bool fileOpened = false;
    parseArgs(QCoreApplication::arguments(), &fileOpened);
    if (!fileOpened)
        ui->actionConnect->trigger();
    ui->actionShow_Wifi->trigger();
}

void MainWindow::parseArgs(const QStringList &args, bool *fileOpened)
{
    if (args.size() < 2)
        return;
    // Reads the value of an option; a missing value (option last) counts as not given.
    auto takeValue = [&args](int &i, QString *value) {
        if (i + 1 >= args.size())
            return false;
        *value = args.at(++i);
        return true;
    };
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        QString value;
        bool ok = false;
        if (arg.startsWith(QLatin1Char('-'))) {
            if (arg == QLatin1String("-debug")) {
                setDebugMode();
            } else if (arg == QLatin1String("-qc")) {
                setQcMode();
            } else if (arg == QLatin1String("-rbw")) {
                if (takeValue(i, &value)) {
                    const int rbw = value.toInt(&ok, 10);
                    if (ok)
                        m_rbwOverride = rbw;
                }
            } else if (arg == QLatin1String("-ampl")) {
                if (takeValue(i, &value)) {
                    const int offset = value.toInt(&ok, 10);
                    if (ok)
                        m_amplOffset = offset;
                }
            } else if (arg == QLatin1String("-fstep")) {
                if (takeValue(i, &value)) {
                    const double fstep = value.toDouble(&ok);
                    if (ok)
                        m_fstepOverride = fstep;
                }
            } else if (arg == QLatin1String("-port")) {
                if (takeValue(i, &value) && !m_simulator)
                    m_portOverride = value;
            } else if (arg == QLatin1String("-simulate")) {
                startSimulator();
            }
            continue;
        }
        if (QFileInfo::exists(arg)) {
            QFile file(arg);
            openFile(file);
            if (fileOpened)
                *fileOpened = true;
        }
    }
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

QPoint MainWindow::consolePosition(const QSize &consoleFrame) const
{
    // Beside the window; a window as wide as the screen (the default) would put it out of
    // sight, so it stays on the screen, over the window's right edge if need be.
    QPoint at(x() + width() + 5, y());
    if (const QScreen *screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        at.setX(qBound(available.left(), at.x(), available.right() - consoleFrame.width() + 1));
        at.setY(qBound(available.top(), at.y(), available.bottom() - consoleFrame.height() + 1));
    }
    return at;
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
    // Shown first, so that the position given is that of its frame, as the window's own.
    console->show();
    console->resize(500, height());
    console->move(consolePosition(console->frameGeometry().size()));
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
    RfSpectrumHistory history;
    RecordingFile::Band band = RecordingFile::Band::Rejected;
    RecordingFile::Integrity integrity = RecordingFile::Integrity::Whole;
    const QString problem = RecordingFile::load(file, history, &band, &integrity);
    const QString name = QDir::toNativeSeparators(file.fileName());
    if (!problem.isEmpty()) {
        m_prompts->critical(this, tr("Error"), tr("Unable to open %1: %2.").arg(name, problem));
        return false;
    }

    TavTabWidget *tabs = tabWidget();
    TabPage *recording = band == RecordingFile::Band::Band900MHz
        ? static_cast<TabPage *>(new TabPage900(history, this, tabs))
        : static_cast<TabPage *>(new TabPage2400(history, this, tabs));
    recording->vexaIdSelection(selectedVexaIds());
    addPage(recording, QFileInfo(file.fileName()).baseName());
    const int index = tabs->count() - 1;
    // While a scan runs, the recording waits in a disabled tab until Stop.
    if (m_deviceComms.scanning())
        tabs->setTabEnabled(index, false);
    else
        tabs->setCurrentIndex(index);
    if (integrity == RecordingFile::Integrity::CutShort)
        m_prompts->warning(this, tr("Recording cut short"),
                           tr("%1 ends early: it is shown with the %2 sweeps it holds.")
                               .arg(name)
                               .arg(history.samples.size()));
    Q_EMIT recordingOpened(file.fileName());
    return true;
}

QList<int> MainWindow::selectedVexaIds() const
{
    QList<int> ids = page(1)->vexaIdOverlay()->selectedIds();
    ids += page(0)->vexaIdOverlay()->selectedIds();
    return ids;
}

QString MainWindow::bandOfFront() const
{
    return qobject_cast<TabPage900 *>(page(ui->tabWidget->currentIndex()))
        ? QStringLiteral("900MHz")
        : QStringLiteral("2400MHz");
}

QString MainWindow::defaultFileName() const
{
    const TabPage *front = page(ui->tabWidget->currentIndex());
    if (!m_projectInfo.projectName.isEmpty() && front)
        return front->history().projectInfo.projectName;
    return QCoreApplication::applicationName();
}

void MainWindow::on_actionSave_triggered()
{
    TabPage *front = page(ui->tabWidget->currentIndex());
    if (!front)
        return;
    const RfSpectrumHistory history = front->hist();
    const QUrl url
        = m_prompts->saveFileUrl(this, tr("Save Recording"),
                                 FileLocations::defaultPath(FileLocations::Kind::Recording,
                                                            defaultFileName(), bandOfFront()),
                                 tr("Tarn Data File:") + QStringLiteral(" *.tarn"));
    if (url.isEmpty() || !url.isLocalFile())
        return;
    const QString path = FileLocations::withSuffix(url.toLocalFile(), QStringLiteral(".tarn"));
    QString error;
    if (!RecordingFile::save(path, history, &error)) {
        m_prompts->critical(this, tr("Error"),
                            tr("The recording was not saved. Unable to write %1: %2")
                                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    FileLocations::remember(FileLocations::Kind::Recording, path);
}

void MainWindow::on_actionOpen_triggered()
{
    const QUrl url = m_prompts->openFileUrl(this, tr("Open Recording"),
                                            FileLocations::folder(FileLocations::Kind::Recording),
                                            tr("Tarn Data File:") + QStringLiteral(" *.tarn"));
    // A cancelled dialog opens nothing and says nothing.
    if (url.isEmpty() || !url.isLocalFile())
        return;
    QFile file(url.toLocalFile());
    if (openFile(file))
        FileLocations::remember(FileLocations::Kind::Recording, file.fileName());
}

void MainWindow::on_actionSnapshot_triggered()
{
    TabPage *front = page(ui->tabWidget->currentIndex());
    if (!front)
        return;
    const QPixmap snapshot = front->takeSnapshot();
    const QUrl url = m_prompts->saveFileUrl(
        this, tr("Save Snapshot"),
        FileLocations::defaultPath(FileLocations::Kind::Snapshot, defaultFileName(), bandOfFront()),
        tr("Image Files:") + QStringLiteral(" *.png"));
    if (url.isEmpty() || !url.isLocalFile())
        return;
    const QString path = FileLocations::withSuffix(url.toLocalFile(), QStringLiteral(".png"));
    QString error;
    if (!SnapshotFile::save(snapshot, path, &error)) {
        // The folder that refused the file is not offered again.
        m_prompts->critical(this, tr("Error"),
                            tr("The snapshot was not saved. Unable to write %1: %2")
                                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    FileLocations::remember(FileLocations::Kind::Snapshot, path);
}

void MainWindow::onNewLocalConnection()
{
    m_pendingArgs.clear();
    QLocalSocket *socket = m_localServer->nextPendingConnection();
    m_localSocket = socket;
    if (!socket)
        return;
    connect(socket, &QLocalSocket::readyRead, this, &MainWindow::onLocalSocketReadyRead);
    connect(socket, &QLocalSocket::disconnected, this, &MainWindow::onLocalSocketDisconnected);
    // Bytes (or the whole hand-off) may have arrived before the signals were connected.
    onLocalSocketReadyRead();
    if (socket->state() == QLocalSocket::UnconnectedState)
        onLocalSocketDisconnected();
}

void MainWindow::onLocalSocketReadyRead()
{
    if (!m_localSocket)
        return;
    SingleInstance::readArgs(*m_localSocket, m_pendingArgs);
}

void MainWindow::onLocalSocketDisconnected()
{
    QLocalSocket *socket = qobject_cast<QLocalSocket *>(sender());
    if (!socket)
        socket = m_localSocket;
    if (!socket)
        return;
    // Only the newest connection feeds pendingArgs; an older one that ends is just released.
    if (socket == m_localSocket) {
        onLocalSocketReadyRead();
        const QStringList args = m_pendingArgs;
        m_pendingArgs.clear();
        m_localSocket = nullptr;
        parseArgs(args, nullptr);
    }
    socket->disconnect(this);
    socket->deleteLater();
}

void MainWindow::on_actionConnect_triggered()
{
    QString port = m_portOverride;
    if (port.isEmpty()) {
        const DeviceComms::PortList ports = m_deviceComms.ports();
        QStringList all;
        for (const auto &entry : ports)
            all.append(entry.first);
        QStringList candidates = m_debugMode
            ? all
            : DeviceComms::filteredPorts(ports, QString::fromLatin1(DeviceComms::k_productName));
        if (candidates.isEmpty())
            candidates = all;
        if (candidates.isEmpty()) {
            m_prompts->critical(nullptr, tr("Error"), tr("Unable to find any Quorvex device!"));
            return;
        }
        if (candidates.size() == 1) {
            port = candidates.first();
        } else if (!m_prompts->chooseItem(this, tr("Connect to device"), tr("Serial Port"), all,
                                          &port)) {
            return;
        }
    }
    m_deviceComms.setPortName(port);
    m_deviceComms.connectToDevice(m_debugMode);
}

void MainWindow::on_actionDisconnect_triggered()
{
    m_deviceComms.disconnectFromDevice();
}

void MainWindow::onDcBusyChanged(bool busy)
{
    if (m_noDataShown)
        return;
    if (busy)
        statusBar()->showMessage(tr("Busy"));
    else
        statusBar()->clearMessage();
}

void MainWindow::onDcConnectedChanged(bool connected)
{
    ui->actionConnect->setEnabled(!connected);
    ui->actionDisconnect->setEnabled(connected);
    // The pages follow the connection; a live tab that a band switch disabled is reachable
    // again either way.
    for (int index : {0, 1}) {
        ui->tabWidget->tabBar()->setTabEnabled(index, true);
        page(index)->setEnabled(connected);
    }
    if (!connected) {
        // A scan that a lost link ended leaves the recordings as Stop would.
        ui->actionOpen->setEnabled(true);
        for (int i = 2; i < ui->tabWidget->count(); ++i)
            ui->tabWidget->setTabEnabled(i, true);
        m_bandSwitchTimer.stop();
        m_radioVersionLabel->setText(QStringLiteral("R: v---"));
        m_hostVersionLabel->setText(QStringLiteral("H: v---"));
        return;
    }
    // A fresh connection starts scanning at once, unless a firmware update is on offer.
    if (!m_fwUpdateDialog->isVisible())
        ui->actionRecord->trigger();
}

void MainWindow::onDcScanningChanged(bool scanning)
{
    ui->actionStop->setEnabled(scanning);
    ui->actionRecord->setEnabled(!scanning);
    // The scan now running sends its own sweeps from here on.
    if (scanning) {
        m_scanStopRequested = false;
        m_sinceLastSweep.start();
        m_noDataTimer.start();
    } else {
        m_noDataTimer.stop();
        sweepsArrived();
    }
}

void MainWindow::checkForMissingSweeps()
{
    if (!m_deviceComms.scanning() || !m_sinceLastSweep.isValid())
        return;
    const qint64 silentMs = m_sinceLastSweep.elapsed();
    if (silentMs < k_noDataReportMs)
        return;
    m_noDataShown = true;
    statusBar()->showMessage(tr("No data from the analyzer for %1 s").arg(silentMs / 1000));
}

void MainWindow::sweepsArrived()
{
    m_sinceLastSweep.start();
    if (!m_noDataShown)
        return;
    m_noDataShown = false;
    onDcBusyChanged(m_deviceComms.busy());
}

qint8 MainWindow::offsetAmplitude(qint8 value, int offset)
{
    return qint8(qBound(-128, int(value) + offset, 127));
}

void MainWindow::onDcNewSpecScanAvailable(qint64 timestamp, RfSpectrumScan scan)
{
    // What a stopped scan still delivers belongs to neither the run it ended nor the next.
    if (m_scanStopRequested) {
        qCDebug(lcApp) << "Dropped a sweep of the stopped scan," << scan.size() << "samples";
        return;
    }
    ui->tabWidget->setTabEnabled(0, true);
    ui->tabWidget->setTabEnabled(1, true);
    const int index = ui->tabWidget->currentIndex();
    if (index == 0 && m_amplOffset != 0) {
        for (qint8 &value : scan)
            value = offsetAmplitude(value, m_amplOffset);
    }
    if ((index == 0 && scan.size() != Constants::k_samplesPerScan2400)
        || (index == 1 && scan.size() != Constants::k_samplesPerScan900))
        return;
    sweepsArrived();
    if (TabPage *front = page(index))
        front->onNewSpecScan(timestamp, scan);
}

void MainWindow::requestStopScanning()
{
    m_scanStopRequested = true;
    m_deviceComms.requestStopScanning();
}

void MainWindow::on_actionRecord_triggered()
{
    ui->actionDisconnect->setEnabled(false);
    ui->actionOpen->setEnabled(false);
    if (m_deviceComms.scanning())
        return;
    // Scan starts the band in front itself; a restart still pending from a band switch would
    // start a second one.
    m_bandSwitchTimer.stop();
    page(0)->clearHist();
    page(1)->clearHist();
    setProjectInfoToHist();

    const int index = ui->tabWidget->currentIndex();
    const ScanParams params = index == 0 ? Constants::k_2400ScanParams
        : index == 1                     ? Constants::k_900ScanParams
                                         : ScanParams();
    m_deviceComms.sendRfSetupAndScan(scanParamsWithOverrides(params));
    for (int i = 2; i < ui->tabWidget->count(); ++i)
        ui->tabWidget->setTabEnabled(i, false);
    if (m_projectInfo.projectName.isEmpty())
        ui->actionProject_Info->trigger();
}

void MainWindow::on_actionStop_triggered()
{
    m_bandSwitchTimer.stop();
    if (m_deviceComms.scanning())
        requestStopScanning();
    ui->actionDisconnect->setEnabled(true);
    ui->actionOpen->setEnabled(true);
    for (int i = 0; i < ui->tabWidget->count(); ++i)
        ui->tabWidget->setTabEnabled(i, true);
    if (m_qcMode)
        return;
    if (m_prompts->question(this, tr("Recording stopped"),
                            tr("Do you want to save the recording?")))
        ui->actionSave->trigger();
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
    const bool band2400 = qobject_cast<TabPage2400 *>(front) != nullptr;
    if (band2400)
        ui->dockWidgetWifiList->setVisible(ui->actionToggle_Wifi_List->isChecked());
    ui->dockWidgetContentsVexaIds->setBand(band2400 ? VexaIdModel::Band2400MHz
                                                    : VexaIdModel::Band900MHz);
    updateRecommendation();

    // A restart still pending from a switch a moment ago counts as a running scan: it is
    // moved on to the band now in front.
    if (m_deviceComms.scanning() || m_bandSwitchTimer.isActive()) {
        if (m_deviceComms.scanning())
            requestStopScanning();
        // Only a live page has a gap to fill; a recording keeps what it holds.
        if (index == 0 || index == 1)
            front->fillMissingHist();
        m_bandSwitchTimer.start();
    }
    if (m_deviceComms.scanning() && (index == 0 || index == 1))
        ui->tabWidget->setTabEnabled(index ^ 1, false);
    m_projectInfo = front->history().projectInfo;
}

void MainWindow::restartScanAfterBandSwitch()
{
    const int index = ui->tabWidget->currentIndex();
    if (index == 0)
        m_deviceComms.sendRfSetupAndScan(scanParamsWithOverrides(Constants::k_2400ScanParams));
    else if (index == 1)
        m_deviceComms.sendRfSetupAndScan(scanParamsWithOverrides(Constants::k_900ScanParams));
}

void MainWindow::on_tabWidget_tabCloseRequested(int index)
{
    // Only recording tabs have a close button; their page goes with the tab.
    QWidget *closed = ui->tabWidget->widget(index);
    ui->tabWidget->removeTab(index);
    if (closed)
        closed->deleteLater();
}

void MainWindow::on_actionToggle_View_triggered()
{
    if (TabPage *front = page(ui->tabWidget->currentIndex()))
        front->toggleView();
    ui->actionToggle_View->setText(ui->actionToggle_View->text() == tr("Waterfall View")
                                       ? tr("Spectrogram View")
                                       : tr("Waterfall View"));
}

void MainWindow::on_actionToggle_Wifi_List_toggled(bool on)
{
    if (!qobject_cast<TabPage2400 *>(page(ui->tabWidget->currentIndex())))
        return;
    ui->dockWidgetWifiList->setVisible(on);
    if (on)
        ui->dockWidgetWifiList->raise();
}

void MainWindow::on_actionVarsa_VexaIds_toggled(bool on)
{
    ui->dockWidgetVexaIds->setVisible(on);
    if (on)
        ui->dockWidgetVexaIds->raise();
}

void MainWindow::on_actionProject_Info_triggered()
{
    m_projectInfoDialog->setData(m_projectInfo);
    m_projectInfoDialog->show();
}

void MainWindow::on_actionAbout_triggered()
{
    // A window of its own each time, several at once if asked for.
    auto *about = new About(nullptr);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void MainWindow::on_actionUser_Manual_triggered()
{
    ManualView *view = m_manualViewFactory();
    view->setAttribute(Qt::WA_DeleteOnClose);
    QRect available(0, 0, 1280, 800);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    QRect frame(0, 0, 1024, 600);
    frame.moveCenter(available.center());
    view->setGeometry(frame);
    const QString title
        = QCoreApplication::applicationName() + QStringLiteral(" - ") + tr("User Manual");
    connect(view, &ManualView::loadStarted, view,
            [view, title] { view->setWindowTitle(title + QStringLiteral(" - 0%")); });
    connect(view, &ManualView::loadProgress, view, [view, title](int progress) {
        view->setWindowTitle(title + QStringLiteral(" - ") + QString::number(progress)
                             + QLatin1Char('%'));
    });
    connect(view, &ManualView::loadFinished, view, [view, title] { view->setWindowTitle(title); });
    view->load(k_manualUrl);
    view->show();
}

void MainWindow::on_actionTavorin_Website_triggered()
{
    QDesktopServices::openUrl(k_webSite);
}

void MainWindow::onVexaIdSelected(int id)
{
    for (TabPage *p : pages())
        p->vexaIdSelected(id);
}

void MainWindow::onVexaIdDeselected(int id)
{
    for (TabPage *p : pages())
        p->vexaIdDeselected(id);
}

void MainWindow::onVexaIdSelection(QList<int> ids)
{
    for (TabPage *p : pages())
        p->vexaIdSelection(ids);
}

void MainWindow::onRfsaGetInfoStrDone(quint8 cpu, quint8 str, const QString &data)
{
    if (str == 0 && cpu == 0) {
        m_radioVersionLabel->setText(QStringLiteral("R: v") + data);
        m_fwUpdateDialog->setUpdRadio(data != k_radioFwString);
    } else if (str == 0 && cpu == 1) {
        m_hostVersionLabel->setText(QStringLiteral("H: v") + data);
        m_fwUpdateDialog->setUpdHost(data != k_hostFwString);
    }
    // Offered once both versions are known and one differs from the image carried.
    const bool known = !m_radioVersionLabel->text().contains(QLatin1String("---"))
        && !m_hostVersionLabel->text().contains(QLatin1String("---"));
    if (known && (m_fwUpdateDialog->updRadio() || m_fwUpdateDialog->updHost())
        && !m_fwUpdateDialog->isVisible())
        m_fwUpdateDialog->open();
}

void MainWindow::on_actionUpdate_Firmware_triggered()
{
    m_fwUpdateDialog->open();
}

void MainWindow::startBootloader()
{
    // The radio answers only as its ROM bootloader: the update writes its firmware anew.
    m_deviceComms.disconnectFromDevice();
    m_fwUpdateDialog->setUpdRadio(true);
    m_fwUpdateDialog->setRadioInBootloader(true);
    m_fwUpdateDialog->open();
}

void MainWindow::on_actionQuit_triggered()
{
    QCoreApplication::exit(0);
}
