#pragma once

#include "comms/RfsaSerialComms.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class DeviceComms;
namespace Ui {
class DebugWindow;
}

// The engineering console of the analyzer link: every protocol log line with a time stamp,
// the serial port to use, and a button per analyzer command (each asks the session controller
// for that single command). It keeps no protocol state of its own. The log keeps the newest
// k_maxLogLines lines, so a long scan cannot grow it without end, and can be saved to a file.
class DebugWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int k_maxLogLines = 20000;
    // Lines arriving within this time are added to the view together.
    static constexpr int k_logFlushMs = 50;

    // Where "Save Log" writes (an empty path: cancelled), and how it reports a failure.
    using FileChooser = std::function<QString(QWidget *parent)>;
    using ErrorSink = std::function<void(QWidget *parent, const QString &text)>;

    // The port list is read once, here (the system's serial ports unless given).
    explicit DebugWindow(QWidget *parent = nullptr, const QStringList &ports = allPorts());
    ~DebugWindow() override;

    Ui::DebugWindow *getUi() const { return ui.get(); }
    // Places a shown console beside `window`: 500 pixels wide (or what its buttons need), as
    // high as the window, right of it; kept on the screen, over the window's right edge if
    // need be (a window as wide as the screen would otherwise put it out of sight).
    void placeBeside(const QWidget *window);
    // Shows the controller's log, and hands every request and the port choice to it.
    void attachTo(DeviceComms *comms);
    void setFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }
    void setErrorSink(ErrorSink sink) { m_errorSink = std::move(sink); }

    // The log as shown, lines added so far included.
    QString logContents();
    // Writes the log to `path`; false with the reason in *error.
    bool saveLog(const QString &path, QString *error);

public Q_SLOTS:
    void log(QString msg);

Q_SIGNALS:
    void serialPortChanged(QString port);
    void connect();
    void disconnect();
    void getDevVerClicked();
    void getFwVerClicked();
    void getRfParamsClicked(RfsaSerialComms::FBand band);
    void getLastErrorClicked();
    void syncClicked();
    void hostBLClicked();
    void setFBand(RfsaSerialComms::SetFBand fBand);
    void setFStart(double fStart);
    void setFStop(double fStop);
    void setSpanIndex(quint8 spanIndex);
    void setFStep(double fStep);
    void setRBW(quint16 rbw);
    void setStepCount(quint16 stepCount);
    void setSpan(quint16 span);
    void getSpecNoInit();
    void getCalibration();

private Q_SLOTS:
    void on_cbSerialPort_textActivated(const QString &port);
    void on_pbConnect_clicked();
    void on_pbDisconnect_clicked();
    void on_pbGetDevVer_clicked();
    void on_pbGetFwVer_clicked();
    void on_pbGet900RfParams_clicked();
    void on_pbGet24RfParams_clicked();
    void on_pbGetLastError_clicked();
    void on_pbSync_clicked();
    void on_pbHostBL_clicked();
    void on_pbGetSpectrum_clicked();
    void on_rbBand900_toggled(bool checked);
    void on_rbFBand24_toggled(bool checked);
    void on_pbSetFStart_clicked();
    void on_pbSetFStop_clicked();
    void on_pbSetSpanIndex_clicked();
    void on_pbSetFStep_clicked();
    void on_pbSetRbw_clicked();
    void on_pbSetStepCount_clicked();
    void on_pbSeSpan_clicked();
    void on_pbClearLog_clicked();
    void on_pbSaveLog_clicked();
    void on_pbGetCalibration_clicked();

private:
    static QStringList allPorts();
    void flushLog();
    void onLogScrolled();

    std::unique_ptr<Ui::DebugWindow> ui;
    QStringList m_pending;
    QTimer m_flushTimer;
    bool m_followLog = true;
    FileChooser m_fileChooser;
    ErrorSink m_errorSink;
};
