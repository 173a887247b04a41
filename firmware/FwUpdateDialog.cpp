#include "FwUpdateDialog.h"
#include "ui_FwUpdateDialog.h"

#include "FirmwareLog.h"
#include "RadioImage.h"
#include "comms/DeviceComms.h"

#include <QCloseEvent>
#include <QFile>
#include <QMenu>
#include <QMetaEnum>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initFirmwareResources()
{
    static bool done = false;
    if (!done) {
        done = true;
        Q_INIT_RESOURCE(firmwares);
    }
}

const QString FwUpdateDialog::k_radioImage = QStringLiteral(":/firmwares/7342_quorvex_radio.bin");
const QString FwUpdateDialog::k_hostImage = QStringLiteral(":/firmwares/7342_quorvex_host.dfu");

FwUpdateDialog::FwUpdateDialog(DeviceComms *deviceComms, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::FwUpdateDialog>())
    , m_deviceComms(deviceComms)
    , m_dfuUtil(new QProcess(this))
    , m_hostStageTimer(new QTimer(this))
{
    initFirmwareResources();
    ui->setupUi(this);
    ui->tbCancel->setDefaultAction(ui->actionCancel);
    ui->tbStart->setDefaultAction(ui->actionStart);
    auto *extra = new QMenu(ui->tbExtra);
    extra->addAction(ui->actionForce_Radio);
    extra->addAction(ui->actionForce_Host);
    ui->tbExtra->setMenu(extra);

    DeviceComms *comms = m_deviceComms;
    connect(comms, &DeviceComms::rfsaResetToBootloaderDone, this, [this, comms] {
        if (m_stage != Stage::Radio)
            return;
        m_radioInBootloader = true;
        QTimer::singleShot(100, comms, &DeviceComms::rblAutoBaud);
    });
    connect(comms, &DeviceComms::rblAutoBaudDone, this, &FwUpdateDialog::onRadioAutoBaudDone);
    connect(comms, &DeviceComms::rblWriteSectorDone, this, &FwUpdateDialog::onRadioSectorWriteDone);
    connect(comms, &DeviceComms::rblCmdResetDone, this, [this] {
        if (m_stage != Stage::Radio)
            return;
        setStage(Stage::Idle);
        m_radioInBootloader = false;
        ui->actionCancel->setEnabled(true);
        ui->actionCancel->setText(tr("Close"));
        ui->lblInfo->setText(tr("Update completed"));
        if (m_hostAfterRadio)
            startHost();
    });
    connect(comms, &DeviceComms::rfsaHostBLDone, this, &FwUpdateDialog::onHostBlDone);
    connect(comms, &DeviceComms::sequenceFailed, this, &FwUpdateDialog::onSequenceFailed);

    m_hostStageTimer->setSingleShot(true);
    connect(m_hostStageTimer, &QTimer::timeout, this, [this] {
        if (m_stage != Stage::Host)
            return;
        m_hostOverdue = true;
        ui->actionCancel->setEnabled(true);
        ui->lblInfo->setText(tr("The host update takes too long; Cancel ends it"));
    });

    connect(m_dfuUtil, &QProcess::started, this, [] { qCDebug(lcFirmware) << "Started"; });
    connect(m_dfuUtil, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        qCDebug(lcFirmware) << "Error occurred:"
                            << QMetaEnum::fromType<QProcess::ProcessError>().valueToKey(error);
        // A program that cannot start never finishes: the update has failed.
        if (error == QProcess::FailedToStart && m_stage == Stage::Host)
            hostFailed(tr("dfu-util could not be started (%1)").arg(m_dfuUtil->errorString()));
    });
    connect(m_dfuUtil, &QProcess::readyReadStandardOutput, this,
            &FwUpdateDialog::readDfuUtilOutput);
    connect(m_dfuUtil, &QProcess::readyReadStandardError, this, [this] {
        qCDebug(lcFirmware).noquote() << QString::fromLocal8Bit(m_dfuUtil->readAllStandardError());
    });
    connect(m_dfuUtil, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &FwUpdateDialog::onDfuUtilFinished);
}

FwUpdateDialog::~FwUpdateDialog()
{
    // A running dfu-util is not left behind. Its end is not reported: the window whose
    // prompts and session it would reach may be gone already.
    m_dfuUtil->disconnect();
    if (m_dfuUtil->state() != QProcess::NotRunning) {
        m_dfuUtil->kill();
        m_dfuUtil->waitForFinished(1000);
    }
}

QString FwUpdateDialog::hostImageFolder() const
{
    return m_hostFolder ? m_hostFolder->path() : QString();
}

void FwUpdateDialog::setStage(Stage stage)
{
    const bool wasUpdating = isUpdating();
    m_stage = stage;
    if (isUpdating() == wasUpdating)
        return;
    // A second update on the same port would interleave with this one's frames.
    ui->actionForce_Radio->setEnabled(!isUpdating());
    ui->actionForce_Host->setEnabled(!isUpdating());
    emit updatingChanged(isUpdating());
}

void FwUpdateDialog::reject()
{
    if (!isUpdating())
        QDialog::reject();
}

void FwUpdateDialog::closeEvent(QCloseEvent *event)
{
    if (isUpdating())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void FwUpdateDialog::setUpdRadio(bool updRadio)
{
    if (updRadio == m_updRadio)
        return;
    m_updRadio = updRadio;
    emit updRadioChanged(updRadio);
}

void FwUpdateDialog::setUpdHost(bool updHost)
{
    if (updHost == m_updHost)
        return;
    m_updHost = updHost;
    emit updHostChanged(updHost);
}

void FwUpdateDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_stage != Stage::Idle)
        return;
    ui->actionStart->setEnabled(m_updRadio || m_updHost);
    ui->lblInfo->setText(ui->actionStart->isEnabled() ? tr("Click start to begin the update")
                                                      : tr("Device currently up to date"));
    ui->actionCancel->setEnabled(true);
    ui->pbProgress->setValue(0);
}

void FwUpdateDialog::on_actionStart_triggered()
{
    ui->actionCancel->setEnabled(false);
    m_hostAfterRadio = m_updRadio && m_updHost;
    if (m_updRadio)
        startRadio();
    else if (m_updHost)
        startHost();
    else
        return;
    ui->actionStart->setEnabled(false);
}

void FwUpdateDialog::on_actionForce_Radio_triggered()
{
    if (isUpdating())
        return;
    setUpdRadio(true);
    setUpdHost(false);
    on_actionStart_triggered();
}

void FwUpdateDialog::on_actionForce_Host_triggered()
{
    if (isUpdating())
        return;
    setUpdRadio(false);
    setUpdHost(true);
    on_actionStart_triggered();
}

void FwUpdateDialog::on_actionCancel_triggered()
{
    if (m_stage == Stage::Host && m_hostOverdue) {
        // A dfu-util that never ends is stopped; its end reports the failure.
        if (m_dfuUtil->state() != QProcess::NotRunning) {
            m_dfuUtil->kill();
            return;
        }
        hostFailed(tr("the host did not come back in its update mode"));
        return;
    }
    if (isUpdating())
        return;
    ui->actionStart->setEnabled(true);
    ui->actionCancel->setText(tr("Cancel"));
    close();
}

void FwUpdateDialog::startRadio()
{
    setStage(Stage::Radio);
    m_deviceComms->setConnected(false);
    ui->lblInfo->setText(tr("Connecting to bootloader..."));
    // A radio in its bootloader does not understand the analyzer's reset command, and the
    // command's bytes would only be taken as a bootloader frame. Whether it is there is only
    // a belief: if it does not synchronise, the update resets it into the bootloader without
    // troubling the user with the synchronisation's failure.
    m_deviceComms->setSilentFailures(m_radioInBootloader ? QStringLiteral("WrkRblAutoBaud")
                                                         : QString());
    if (m_radioInBootloader)
        m_deviceComms->rblAutoBaud();
    else
        m_deviceComms->rfsaResetToBootloader();
}

void FwUpdateDialog::onRadioAutoBaudDone()
{
    if (m_stage != Stage::Radio)
        return;
    m_deviceComms->setSilentFailures(QString());
    ui->lblInfo->setText(tr("Connected"));
    QFile image(k_radioImage);
    if (!image.open(QIODevice::ReadOnly)) {
        fail(tr("the radio image cannot be read (%1)").arg(image.errorString()));
        return;
    }
    m_radioImage = image.readAll();
    m_currentSector = 0;
    m_sectorCount = RadioImage::sectorCount(m_radioImage.size());
    ui->pbProgress->setRange(0, m_sectorCount);
    ui->pbProgress->setValue(0);
    QTimer::singleShot(100, this, &FwUpdateDialog::writeSector);
}

void FwUpdateDialog::writeSector()
{
    m_deviceComms->rblWriteSector(quint32(m_currentSector * k_sectorSize),
                                  m_radioImage.mid(m_currentSector * k_sectorSize, k_sectorSize));
}

void FwUpdateDialog::onRadioSectorWriteDone()
{
    if (m_stage != Stage::Radio)
        return;
    ui->lblInfo->setText(tr("Updating radio"));
    ++m_currentSector;
    ui->pbProgress->setValue(m_currentSector);
    if (m_currentSector != m_sectorCount)
        writeSector();
    else
        m_deviceComms->rblCmdReset();
}

void FwUpdateDialog::startHost()
{
    setStage(Stage::Host);
    m_hostOverdue = false;
    m_hostStageTimer->start(m_hostStageLimitMs);
    ui->actionCancel->setEnabled(false);
    ui->lblInfo->setText(tr("Starting DFU mode..."));
    QTimer::singleShot(100, m_deviceComms, &DeviceComms::rfsaHostBL);
}

void FwUpdateDialog::onHostBlDone()
{
    if (m_stage != Stage::Host)
        return;
    ui->lblInfo->setText(tr("Searching for DFU device..."));
    ui->pbProgress->setRange(0, 100);
    ui->pbProgress->setValue(0);
    QTimer::singleShot(3000, Qt::CoarseTimer, this, &FwUpdateDialog::runDfuUtil);
}

void FwUpdateDialog::runDfuUtil()
{
    // The update may have ended while the host was looked for.
    if (m_stage != Stage::Host)
        return;
    // The image goes into a folder only this user can enter, written fresh for each run, and
    // dfu-util is the system's: nothing another user could replace or read.
    m_hostFolder = std::make_unique<QTemporaryDir>();
    const QString image = m_hostFolder->filePath(QStringLiteral("7342_quorvex_host.dfu"));
    QFile source(k_hostImage);
    QFile target(image);
    if (!m_hostFolder->isValid() || !source.open(QIODevice::ReadOnly)
        || !target.open(QIODevice::WriteOnly) || target.write(source.readAll()) != source.size()) {
        hostFailed(tr("the host image cannot be written to %1").arg(image));
        return;
    }
    target.close();
    target.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    QString program = qEnvironmentVariable("QUORVEX_DFU_UTIL");
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("dfu-util"));
    if (program.isEmpty()) {
        hostFailed(tr("dfu-util was not found (install the dfu-util package)"));
        return;
    }
    m_dfuUtil->setProgram(program);
    m_dfuUtil->setArguments({QStringLiteral("-a"), QStringLiteral("0"), QStringLiteral("-D"), image,
                             QStringLiteral("-s"), QStringLiteral(":leave")});
    m_dfuUtil->start(QIODevice::ReadOnly);
}

void FwUpdateDialog::readDfuUtilOutput()
{
    ui->lblInfo->setText(tr("Updating host"));
    QByteArray output = m_dfuUtil->readAllStandardOutput();
    const int end = output.indexOf('\0');
    if (end >= 0)
        output.truncate(end);
    const QStringList lines = QString::fromLocal8Bit(output).split(
        QRegularExpression(QStringLiteral("[\\r\\n]+")), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        qCDebug(lcFirmware).noquote() << line;
        for (const QString &word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (word.endsWith(QLatin1Char('%')))
                ui->pbProgress->setValue(word.chopped(1).toInt());
        }
    }
}

void FwUpdateDialog::onDfuUtilFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    qCDebug(lcFirmware) << exitCode
                        << QMetaEnum::fromType<QProcess::ExitStatus>().valueToKey(exitStatus);
    setStage(Stage::Idle);
    m_hostStageTimer->stop();
    m_hostOverdue = false;
    m_hostFolder.reset();
    ui->actionCancel->setEnabled(true);
    // A dfu-util killed by a signal has not completed, whatever its exit code reads.
    if (exitStatus == QProcess::NormalExit && exitCode == 0) {
        ui->lblInfo->setText(tr("Update completed"));
        showMessage(false, tr("Update completed"), tr("Update completed successfully!"));
        close();
    } else {
        ui->lblInfo->setText(tr("Update error"));
        showMessage(true, tr("Error"), tr("Error while updating the host firmware"));
        ui->actionCancel->setEnabled(true);
        ui->actionStart->setEnabled(true);
    }
    m_deviceComms->disconnectFromDevice();
}

void FwUpdateDialog::hostFailed(const QString &reason)
{
    qCWarning(lcFirmware).noquote() << "Host update:" << reason;
    onDfuUtilFinished(-1, QProcess::CrashExit);
    ui->lblInfo->setText(tr("Update error: %1").arg(reason));
}

void FwUpdateDialog::onSequenceFailed(const QString &workerClass, const QString &reason)
{
    // The host's command failed (a lost port counts as its success and never comes here).
    if (m_stage == Stage::Host && workerClass == QLatin1String("WrkHostBL")) {
        hostFailed(reason.isEmpty() ? tr("the host does not answer") : reason);
        return;
    }
    // Only a failure of the radio update's own sequences ends it.
    if (m_stage != Stage::Radio
        || !(workerClass.startsWith(QLatin1String("WrkRbl"))
             || workerClass == QLatin1String("WrkResetToBootloader")))
        return;
    if (workerClass == QLatin1String("WrkRblAutoBaud") && m_radioInBootloader) {
        // Not in the bootloader after all (or not synchronising): reset the radio into it.
        qCDebug(lcFirmware) << "The bootloader does not synchronise; resetting the radio";
        m_radioInBootloader = false;
        startRadio();
        return;
    }
    fail(reason.isEmpty() ? tr("the radio's bootloader does not answer") : reason);
}

void FwUpdateDialog::fail(const QString &reason)
{
    m_deviceComms->setSilentFailures(QString());
    setStage(Stage::Idle);
    m_hostAfterRadio = false;
    m_hostFolder.reset();
    ui->lblInfo->setText(tr("Update failed: %1").arg(reason));
    ui->actionCancel->setEnabled(true);
    ui->actionStart->setEnabled(true);
}

void FwUpdateDialog::showMessage(bool failure, const QString &title, const QString &text)
{
    if (m_messageSink)
        m_messageSink(failure, title, text);
}
