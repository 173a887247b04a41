#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "AppLog.h"
#include "SingleInstance.h"
#include "TavApp.h"
#include "UserPrompts.h"
#include "data/RecordingFile.h"
#include "sim/SimulatedAnalyzer.h"
#include "wifi/NativeWifi.h"

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

const QString MainWindow::k_appVersion = QStringLiteral("1.0.0.9.0.281");

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , m_prompts(std::make_unique<UserPrompts>())
    , m_deviceComms(this)
{
    ui->setupUi(this);
    setWindowTitle(tr("Quorvex"));
    restoreWindowGeometry();
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
    statusBar()->showMessage(tr("Ready to connect"));
    ui->actionDisconnect->setEnabled(false);
    ui->actionStop->setEnabled(false);

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
    auto simulator = std::make_unique<SimulatedAnalyzer>();
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

void MainWindow::setDebugMode()
{
    m_debugMode = true;
    DeviceComms::printPortsInfo();
}

void MainWindow::setQcMode()
{
    m_qcMode = true;
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
    if (!file.open(QIODevice::ReadOnly))
        return false;
    RfSpectrumHistory history;
    const RecordingFile::Band band = RecordingFile::read(file, history);
    file.close();
    if (band == RecordingFile::Band::Rejected)
        return false;
    Q_EMIT recordingOpened(file.fileName());
    return true;
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
    while (m_localSocket->canReadLine())
        m_pendingArgs.append(SingleInstance::decodeLine(m_localSocket->readLine()));
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
    if (busy)
        statusBar()->showMessage(tr("Busy"));
    else
        statusBar()->clearMessage();
}

void MainWindow::onDcConnectedChanged(bool connected)
{
    ui->actionConnect->setEnabled(!connected);
    ui->actionDisconnect->setEnabled(connected);
    if (!connected) {
        m_radioVersionLabel->setText(QStringLiteral("R: v---"));
        m_hostVersionLabel->setText(QStringLiteral("H: v---"));
    }
}

void MainWindow::onDcScanningChanged(bool scanning)
{
    ui->actionStop->setEnabled(scanning);
    ui->actionRecord->setEnabled(!scanning);
}

void MainWindow::onRfsaGetInfoStrDone(quint8 cpu, quint8 str, const QString &data)
{
    if (str != 0)
        return;
    if (cpu == 0)
        m_radioVersionLabel->setText(QStringLiteral("R: v") + data);
    else if (cpu == 1)
        m_hostVersionLabel->setText(QStringLiteral("H: v") + data);
}

void MainWindow::on_actionQuit_triggered()
{
    QCoreApplication::exit(0);
}
