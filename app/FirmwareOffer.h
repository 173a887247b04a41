#pragma once

#include <QObject>
#include <functional>

class DeviceComms;
class FwUpdateDialog;
class QLabel;
class QWidget;
class UserPrompts;

// The analyzer's firmware versions and the update on offer. The versions the analyzer reports
// are shown in two status-bar labels ("R: v…", "H: v…"); once both are known and one differs
// from the image the program carries, the update dialog opens, as it does when the analyzer's
// radio answers only as its ROM bootloader.
class FirmwareOffer : public QObject
{
    Q_OBJECT

public:
    // The firmware versions of the images the program carries.
    static const QString k_radioFwString;
    static const QString k_hostFwString;

    // The end of an update: an information or a critical box.
    using MessageSink
        = std::function<void(bool failure, const QString &title, const QString &text)>;

    FirmwareOffer(DeviceComms &comms, QWidget *window);

    FwUpdateDialog *dialog() const { return m_dialog; }
    QLabel *radioVersionLabel() const { return m_radioVersion; }
    QLabel *hostVersionLabel() const { return m_hostVersion; }
    void setMessageSink(MessageSink sink);
    // The end of an update told through the prompts of the moment, over the dialog.
    void setPrompts(std::function<UserPrompts *()> prompts);

private:
    void onInfoString(quint8 cpu, quint8 str, const QString &data);
    void onConnectedChanged(bool connected);
    // The radio answers only as its ROM bootloader: the update writes its firmware anew.
    void offerBootloaderUpdate();

    DeviceComms &m_comms;
    FwUpdateDialog *m_dialog = nullptr;
    QLabel *m_radioVersion = nullptr;
    QLabel *m_hostVersion = nullptr;
};
