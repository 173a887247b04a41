#pragma once

#include <QByteArray>
#include <QDialog>
#include <QProcess>
#include <functional>
#include <memory>

class DeviceComms;
class QTemporaryDir;
class QTimer;
namespace Ui {
class FwUpdateDialog;
}

// Updates the analyzer's two firmwares from the images the program carries. The radio: reset
// into its ROM bootloader, synchronised, written sector by sector (4096 bytes) and reset into
// the new firmware. The host: restarted into its USB DFU mode, then written by the system's
// dfu-util (QUORVEX_DFU_UTIL overrides which), reading the image from a private temporary
// folder. One line of status and a progress bar tell how far it got; a failure of either
// says so and leaves Cancel (and Start, to try again) usable.
class FwUpdateDialog : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(bool updRadio READ updRadio WRITE setUpdRadio NOTIFY updRadioChanged)
    Q_PROPERTY(bool updHost READ updHost WRITE setUpdHost NOTIFY updHostChanged)

public:
    static constexpr int k_sectorSize = 4096;
    // How long the host update may take before Cancel ends it: putting the host into its DFU
    // mode and dfu-util's whole run take well under a minute.
    static constexpr int k_hostStageLimitMs = 120000;
    static const QString k_radioImage;
    static const QString k_hostImage;

    // The messages of the end of a host update: an information or a critical box.
    using MessageSink
        = std::function<void(bool failure, const QString &title, const QString &text)>;

    FwUpdateDialog(DeviceComms *deviceComms, QWidget *parent);
    ~FwUpdateDialog() override;

    Ui::FwUpdateDialog *getUi() const { return ui.get(); }
    void setMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }
    void setHostStageLimit(int ms) { m_hostStageLimitMs = ms; }

    // The radio is (probably) in its ROM bootloader already: an interrupted update, or a
    // radio that answers nothing else. The radio update then synchronises with the bootloader
    // at once, and falls back to resetting the radio into it when that gets no answer.
    void setRadioInBootloader(bool inBootloader) { m_radioInBootloader = inBootloader; }
    bool radioInBootloader() const { return m_radioInBootloader; }

    bool updRadio() const { return m_updRadio; }
    bool updHost() const { return m_updHost; }
    int sectorCount() const { return m_sectorCount; }
    // The folder dfu-util reads the host image from, while it exists.
    QString hostImageFolder() const;
    // An update is running: the dialog stays until it ends, and nothing else may use the port.
    bool isUpdating() const { return m_stage != Stage::Idle; }

public Q_SLOTS:
    void setUpdRadio(bool updRadio);
    void setUpdHost(bool updHost);
    void startRadio();
    void startHost();
    void onRadioAutoBaudDone();
    void onRadioSectorWriteDone();
    void onHostBlDone();
    void runDfuUtil();
    void readDfuUtilOutput();
    void onDfuUtilFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void on_actionStart_triggered();
    void on_actionForce_Radio_triggered();
    void on_actionForce_Host_triggered();
    void on_actionCancel_triggered();
    // Esc closes the dialog, except while an update runs.
    void reject() override;

Q_SIGNALS:
    void updRadioChanged(bool updRadio);
    void updHostChanged(bool updHost);
    void updatingChanged(bool updating);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Stage { Idle, Radio, Host };

    void setStage(Stage stage);
    void writeSector();
    void onSequenceFailed(const QString &workerClass, const QString &reason);
    void fail(const QString &reason);
    // The host update could not run dfu-util at all.
    void hostFailed(const QString &reason);
    void showMessage(bool failure, const QString &title, const QString &text);

    std::unique_ptr<Ui::FwUpdateDialog> ui;
    DeviceComms *const m_deviceComms;
    QByteArray m_radioImage;
    int m_currentSector = 0;
    int m_sectorCount = 0;
    QProcess *m_dfuUtil;
    std::unique_ptr<QTemporaryDir> m_hostFolder;
    bool m_updRadio = false;
    bool m_updHost = false;
    bool m_hostAfterRadio = false;
    bool m_radioInBootloader = false;
    Stage m_stage = Stage::Idle;
    MessageSink m_messageSink;
    int m_hostStageLimitMs = k_hostStageLimitMs;
    // Runs while the host stage waits for the host or dfu-util; once it fires, Cancel ends
    // the update.
    QTimer *m_hostStageTimer;
    bool m_hostOverdue = false;
};
