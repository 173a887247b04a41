#include "FirmwareOffer.h"

#include "comms/DeviceComms.h"
#include "firmware/FwUpdateDialog.h"
#include "widgets/UserPrompts.h"

#include <QLabel>

const QString FirmwareOffer::k_radioFwString = QStringLiteral("1.0.0.9.0.0");
const QString FirmwareOffer::k_hostFwString = QStringLiteral("1.0.0.9.0.69");

namespace {
const QString k_unknownRadio = QStringLiteral("R: v---");
const QString k_unknownHost = QStringLiteral("H: v---");
} // namespace

FirmwareOffer::FirmwareOffer(DeviceComms &comms, QWidget *window)
    : QObject(window)
    , m_comms(comms)
    , m_dialog(new FwUpdateDialog(&comms, window))
    , m_radioVersion(new QLabel(k_unknownRadio, window))
    , m_hostVersion(new QLabel(k_unknownHost, window))
{
    m_dialog->setModal(true);
    connect(&comms, &DeviceComms::rfsaGetInfoStrDone, this, &FirmwareOffer::onInfoString);
    connect(&comms, &DeviceComms::connectedChanged, this, &FirmwareOffer::onConnectedChanged);
    connect(&comms, &DeviceComms::shouldTryBootload, this, &FirmwareOffer::offerBootloaderUpdate);
}

void FirmwareOffer::setMessageSink(MessageSink sink)
{
    m_dialog->setMessageSink(std::move(sink));
}

void FirmwareOffer::onInfoString(quint8 cpu, quint8 str, const QString &data)
{
    if (str == 0 && cpu == 0) {
        m_radioVersion->setText(QStringLiteral("R: v") + data);
        m_dialog->setUpdRadio(data != k_radioFwString);
    } else if (str == 0 && cpu == 1) {
        m_hostVersion->setText(QStringLiteral("H: v") + data);
        m_dialog->setUpdHost(data != k_hostFwString);
    }
    // Offered once both versions are known and one differs from the image carried.
    const bool known
        = m_radioVersion->text() != k_unknownRadio && m_hostVersion->text() != k_unknownHost;
    if (known && (m_dialog->updRadio() || m_dialog->updHost()) && !m_dialog->isVisible())
        m_dialog->open();
}

void FirmwareOffer::onConnectedChanged(bool connected)
{
    if (connected)
        return;
    m_radioVersion->setText(k_unknownRadio);
    m_hostVersion->setText(k_unknownHost);
}

void FirmwareOffer::offerBootloaderUpdate()
{
    m_comms.disconnectFromDevice();
    m_dialog->setUpdRadio(true);
    m_dialog->setRadioInBootloader(true);
    m_dialog->open();
}

void FirmwareOffer::setPrompts(std::function<UserPrompts *()> prompts)
{
    setMessageSink([this, prompts](bool failure, const QString &title, const QString &text) {
        if (failure)
            prompts()->critical(m_dialog, title, text);
        else
            prompts()->information(m_dialog, title, text);
    });
}
