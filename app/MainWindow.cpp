#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "AppLog.h"
#include "SingleInstance.h"
#include "TavApp.h"
#include "data/RecordingFile.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QToolButton>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
    setWindowTitle(tr("Quorvex"));
    restoreWindowGeometry();
    buildToolBar();

    m_localServer = new QLocalServer(this);
    SingleInstance::listen(*m_localServer);
    connect(m_localServer, &QLocalServer::newConnection, this, &MainWindow::onNewLocalConnection);

    if (auto *app = qobject_cast<TavApp *>(QCoreApplication::instance()))
        connect(app, &TavApp::fileOpenRequested, this, &MainWindow::openFile);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::saveWindowGeometry);

    QTimer::singleShot(0, this, &MainWindow::startupActions);
}

MainWindow::~MainWindow() = default;

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

void MainWindow::setDebugMode()
{
    m_debugMode = true;
}

void MainWindow::setQcMode()
{
    m_qcMode = true;
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

void MainWindow::on_actionQuit_triggered()
{
    QCoreApplication::exit(0);
}
