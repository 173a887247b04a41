#include "VenueDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

VenueDialog::VenueDialog(const VenueSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_url(new QLineEdit(settings.url, this))
    , m_caFile(new QLineEdit(settings.caFile, this))
    , m_user(new QLineEdit(settings.user, this))
    , m_password(new QLineEdit(this))
    , m_replay(new QSpinBox(this))
    , m_problem(new QLabel(this))
    , m_chooseFile([](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, tr("Certificate Authorities"), QString(),
                                            tr("Certificates (*.crt *.pem);;All files (*)"));
    })
{
    setWindowTitle(tr("Venue"));
    m_url->setPlaceholderText(QStringLiteral("mqtts://broker.venue.example:8883"));
    m_caFile->setPlaceholderText(tr("the system's certificate authorities"));
    m_password->setEchoMode(QLineEdit::Password);
    m_replay->setRange(0, 24 * 60);
    m_replay->setSuffix(tr(" min"));
    m_replay->setValue(settings.replayMinutes);
    m_replay->setToolTip(tr("How far back a sensor seen for the first time sends what it scanned"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #ff8c42;"));

    auto *browse = new QPushButton(tr("Browse…"), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString file = m_chooseFile(this);
        if (!file.isEmpty())
            m_caFile->setText(file);
    });
    auto *ca = new QHBoxLayout;
    ca->addWidget(m_caFile, 1);
    ca->addWidget(browse);

    auto *form = new QFormLayout;
    form->addRow(tr("Broker:"), m_url);
    form->addRow(QString(), m_problem);
    form->addRow(tr("Certificate authorities:"), ca);
    form->addRow(tr("User:"), m_user);
    form->addRow(tr("Password:"), m_password);
    form->addRow(tr("Replay up to:"), m_replay);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_connect = buttons->addButton(tr("Connect"), QDialogButtonBox::AcceptRole);
    m_connect->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("The MQTT broker the venue's sensors publish to. The password is "
                                "kept in the desktop's key store, never in a file."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(m_url, &QLineEdit::textChanged, this, &VenueDialog::check);
    check();
    resize(520, sizeHint().height());
}

void VenueDialog::setPassword(const QString &password)
{
    m_password->setText(password);
}

void VenueDialog::check()
{
    BrokerSettings broker;
    QString error;
    const bool usable = BrokerSettings::parseUrl(m_url->text().trimmed(), &broker, &error);
    m_problem->setText(usable || m_url->text().isEmpty() ? QString() : error);
    m_problem->setVisible(!m_problem->text().isEmpty());
    m_connect->setEnabled(usable);
}

VenueSettings VenueDialog::settings() const
{
    VenueSettings settings;
    settings.url = m_url->text().trimmed();
    settings.caFile = m_caFile->text().trimmed();
    settings.user = m_user->text().trimmed();
    settings.replayMinutes = m_replay->value();
    return settings;
}

QString VenueDialog::password() const
{
    return m_password->text();
}
