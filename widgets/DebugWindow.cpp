#include "DebugWindow.h"
#include "ui_DebugWindow.h"

#include "comms/DeviceComms.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QTextStream>
#include <QTime>

DebugWindow::DebugWindow(QWidget *parent, const QStringList &ports)
    : QWidget(parent)
    , ui(std::make_unique<Ui::DebugWindow>())
    , m_fileChooser([](QWidget *parent) {
        return QFileDialog::getSaveFileName(parent, tr("Save Log"), QString(),
                                            tr("Log Files:") + QStringLiteral(" *.log *.txt"));
    })
    , m_errorSink([](QWidget *parent, const QString &text) {
        QMessageBox::critical(parent, tr("Error"), text, QMessageBox::Ok);
    })
{
    ui->setupUi(this);
    // "Consolas" is not everywhere; the hint makes the fallback a monospace font.
    QFont font = ui->logText->font();
    font.setStyleHint(QFont::Monospace);
    ui->logText->setFont(font);
    ui->logText->setMaximumBlockCount(k_maxLogLines);
    ui->cbSerialPort->addItems(ports);
    ui->cbSerialPort->setCurrentIndex(-1);

    // Whether the user keeps to the end of the log is read from what the user does.
    QObject::connect(ui->logText->verticalScrollBar(), &QScrollBar::actionTriggered, this,
                     [this] { QTimer::singleShot(0, this, &DebugWindow::onLogScrolled); });
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(k_logFlushMs);
    QObject::connect(&m_flushTimer, &QTimer::timeout, this, &DebugWindow::flushLog);
}

DebugWindow::~DebugWindow() = default;

void DebugWindow::placeBeside(const QWidget *window)
{
    resize(500, window->height());
    // The position given is that of the frame, as the window's own.
    const QSize frame = frameGeometry().size();
    QPoint at(window->x() + window->width() + 5, window->y());
    if (const QScreen *screen = window->screen()) {
        const QRect available = screen->availableGeometry();
        at.setX(qBound(available.left(), at.x(), available.right() - frame.width() + 1));
        at.setY(qBound(available.top(), at.y(), available.bottom() - frame.height() + 1));
    }
    move(at);
}

void DebugWindow::attachTo(DeviceComms *comms)
{
    QObject::connect(comms, &DeviceComms::log, this, &DebugWindow::log);
    QObject::connect(this, &DebugWindow::serialPortChanged, comms, &DeviceComms::setPortName);
    QObject::connect(this, &DebugWindow::connect, comms, &DeviceComms::rfsaConnect);
    QObject::connect(this, &DebugWindow::disconnect, comms, &DeviceComms::rfsaDisconnect);
    QObject::connect(this, &DebugWindow::getDevVerClicked, comms, &DeviceComms::rfsaGetDeviceVer);
    QObject::connect(this, &DebugWindow::getFwVerClicked, comms, &DeviceComms::rfsaGetFwVer);
    QObject::connect(this, &DebugWindow::getRfParamsClicked, comms, &DeviceComms::rfsaGetRfParams);
    QObject::connect(this, &DebugWindow::getLastErrorClicked, comms,
                     &DeviceComms::rfsaGetLastError);
    QObject::connect(this, &DebugWindow::syncClicked, comms, &DeviceComms::rfsaSync);
    QObject::connect(this, &DebugWindow::hostBLClicked, comms, &DeviceComms::rfsaHostBL);
    QObject::connect(this, &DebugWindow::setFBand, comms, &DeviceComms::rfsaSetFBand);
    QObject::connect(this, &DebugWindow::setFStart, comms, &DeviceComms::rfsaSetFStart);
    QObject::connect(this, &DebugWindow::setFStop, comms, &DeviceComms::rfsaSetFStop);
    QObject::connect(this, &DebugWindow::setSpanIndex, comms, &DeviceComms::rfsaSetSpanIndex);
    QObject::connect(this, &DebugWindow::setFStep, comms, &DeviceComms::rfsaSetFStep);
    // The resolution-bandwidth register takes the low byte.
    QObject::connect(this, &DebugWindow::setRBW, comms,
                     [comms](quint16 rbw) { comms->rfsaSetRBW(quint8(rbw)); });
    QObject::connect(this, &DebugWindow::setStepCount, comms, &DeviceComms::rfsaSetStepCount);
    QObject::connect(this, &DebugWindow::setSpan, comms, &DeviceComms::rfsaSetSpan);
    QObject::connect(this, &DebugWindow::getSpecNoInit, comms, &DeviceComms::rfsaGetSpecNoInit);
    QObject::connect(this, &DebugWindow::getCalibration, comms, &DeviceComms::rfsaGetCalibration);
}

QStringList DebugWindow::allPorts()
{
    return DeviceComms::allPorts();
}

void DebugWindow::log(QString msg)
{
    m_pending.append(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ')
                     + msg);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void DebugWindow::flushLog()
{
    m_flushTimer.stop();
    if (m_pending.isEmpty())
        return;
    // Lines beyond what the view keeps would only be laid out to be dropped again.
    if (m_pending.size() > k_maxLogLines)
        m_pending.erase(m_pending.begin(), m_pending.end() - k_maxLogLines);
    ui->logText->appendPlainText(m_pending.join(QLatin1Char('\n')));
    m_pending.clear();
    // The view follows the newest line unless the user scrolled back to read. (Comparing the
    // scroll bar with its end here fails: the view lays out lazily, and the lines dropped at
    // the top move it.)
    if (m_followLog) {
        ui->logText->moveCursor(QTextCursor::End);
        ui->logText->ensureCursorVisible();
    }
}

void DebugWindow::onLogScrolled()
{
    const QScrollBar *bar = ui->logText->verticalScrollBar();
    m_followLog = bar->sliderPosition() >= bar->maximum();
}

QString DebugWindow::logContents()
{
    flushLog();
    return ui->logText->toPlainText();
}

bool DebugWindow::saveLog(const QString &path, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream out(&file);
        out.setCodec("UTF-8");
        out << logContents() << '\n';
        out.flush();
        if (out.status() == QTextStream::Ok && file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

void DebugWindow::on_cbSerialPort_textActivated(const QString &port)
{
    emit serialPortChanged(port);
}

void DebugWindow::on_pbConnect_clicked()
{
    emit connect();
}

void DebugWindow::on_pbDisconnect_clicked()
{
    emit disconnect();
}

void DebugWindow::on_pbGetDevVer_clicked()
{
    emit getDevVerClicked();
}

void DebugWindow::on_pbGetFwVer_clicked()
{
    emit getFwVerClicked();
}

void DebugWindow::on_pbGet900RfParams_clicked()
{
    emit getRfParamsClicked(RfsaSerialComms::FBand_900MHz);
}

void DebugWindow::on_pbGet24RfParams_clicked()
{
    emit getRfParamsClicked(RfsaSerialComms::FBand_2400MHz);
}

void DebugWindow::on_pbGetLastError_clicked()
{
    emit getLastErrorClicked();
}

void DebugWindow::on_pbSync_clicked()
{
    emit syncClicked();
}

void DebugWindow::on_pbHostBL_clicked()
{
    emit hostBLClicked();
}

void DebugWindow::on_pbGetSpectrum_clicked()
{
    emit getSpecNoInit();
}

void DebugWindow::on_rbBand900_toggled(bool checked)
{
    if (checked)
        emit setFBand(RfsaSerialComms::SetFBand_900MHz);
}

void DebugWindow::on_rbFBand24_toggled(bool checked)
{
    if (checked)
        emit setFBand(RfsaSerialComms::SetFBand_2400MHz);
}

void DebugWindow::on_pbSetFStart_clicked()
{
    emit setFStart(ui->dsbSetFStart->value());
}

void DebugWindow::on_pbSetFStop_clicked()
{
    emit setFStop(ui->dsbSetFStop->value());
}

void DebugWindow::on_pbSetSpanIndex_clicked()
{
    emit setSpanIndex(quint8(ui->sbSetSpanIndex->value()));
}

void DebugWindow::on_pbSetFStep_clicked()
{
    emit setFStep(ui->dsbSetFStep->value());
}

void DebugWindow::on_pbSetRbw_clicked()
{
    emit setRBW(quint16(ui->sbSetRbw->value()));
}

void DebugWindow::on_pbSetStepCount_clicked()
{
    emit setStepCount(quint16(ui->sbSetStepCount->value()));
}

void DebugWindow::on_pbSeSpan_clicked()
{
    emit setSpan(quint16(ui->sbSetSpan->value()));
}

void DebugWindow::on_pbClearLog_clicked()
{
    m_pending.clear();
    ui->logText->clear();
    m_followLog = true;
}

void DebugWindow::on_pbSaveLog_clicked()
{
    const QString path = m_fileChooser(this);
    if (path.isEmpty())
        return;
    QString error;
    if (!saveLog(path, &error))
        m_errorSink(this,
                    tr("The log was not saved. Unable to write %1: %2")
                        .arg(QDir::toNativeSeparators(path), error));
}

void DebugWindow::on_pbGetCalibration_clicked()
{
    emit getCalibration();
}
